// Keeps the browser view's input to what an application window needs.
//
// Every key reaches the engine, so the page's text fields keep their editing
// keys: undo and redo, word moves and word deletes. The engine has no key
// accelerators of its own for history, reload or zoom; the keys a page leaves
// unhandled go on to the view's parent widget, the program's window. What the
// engine does act on by itself is kept from it: the mouse's back and forward
// buttons (history navigation) and Ctrl with the wheel, or a pinch (page zoom).
// Right-button presses and releases on the page are swallowed, so no context
// menu opens on a mouse click (one asked for from the keyboard still opens,
// and its history and reload entries do nothing: see TBodyPage).
#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

class QEvent;
class QWidget;

namespace korvane {

// True for the input events kept from the engine: presses, releases and double
// clicks of the right, back and forward mouse buttons, wheel turns with Ctrl
// held and zoom gestures. No key event is.
bool IsWithheldInput(const QEvent& event);

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
