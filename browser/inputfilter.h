// Keeps the browser view's input to what an application window needs.
//
// Right-button presses and releases on the page are swallowed, so no context
// menu opens on a mouse click (one asked for from the keyboard still opens).
// Ctrl and Alt combinations of a fixed set of keys are kept from the engine, so
// its own shortcuts (word jumps and deletes, undo, history and the like) do not
// act on the page; plain typing, the dialog keys (Tab, Enter, Escape), Delete,
// the Down arrow, the function keys and the editing shortcuts Ctrl+A, B, C, V
// and X pass untouched.
#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <Qt>

class QWidget;

namespace korvane {

// True for the key combinations kept from the engine: Ctrl or Alt (with or
// without Shift) together with Backspace, Left, Up, Right, 0 to 9, D to U, W, Y
// or Z.
bool IsWithheldKey(int key, Qt::KeyboardModifiers modifiers);

class TInputFilter : public QObject {
    Q_OBJECT
  public:
    // Filters the widgets that receive the page's input: the view's render
    // widget now and any the view creates later.
    explicit TInputFilter(QWidget* view);
    ~TInputFilter() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Watch(QObject* child);

    QPointer<QWidget> view_;
    QList<QPointer<QObject>> watched_;
};

}  // namespace korvane
