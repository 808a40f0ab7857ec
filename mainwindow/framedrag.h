// Moving and resizing a frameless window by pressing on parts of it.
//
// A press with any mouse button on an attached handle hands the move or the
// resize to the window manager, as dragging a real caption or frame would.
// Where the window manager cannot take it over (no window manager, or one
// without the move/resize protocol), the window follows the mouse itself
// until the button is released.
#pragma once

#include <QObject>
#include <QPoint>
#include <QRect>

class QWidget;

namespace korvane {

class FrameDrag : public QObject {
    Q_OBJECT

  public:
    // No edges: the handles move the window. Qt::LeftEdge, Qt::RightEdge or
    // Qt::BottomEdge: they resize it from that edge.
    FrameDrag(QWidget* window, Qt::Edges edges);

    void Attach(QWidget* handle);

    // The last press went the manual way (for tests and diagnostics).
    bool dragsManually() const { return manual_; }

  signals:
    // The window manager took over a move or resize from a press on a handle,
    // and the release that ended it came back to the handle.
    void systemDragStarted();
    void systemDragEnded();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool StartBySystem();
    void Follow(QPoint globalPos);

    QWidget* window_;
    Qt::Edges edges_;
    bool manual_ = false;
    bool pressed_ = false;
    bool bySystem_ = false;
    QPoint pressPos_;
    QRect startGeometry_;
};

}  // namespace korvane
