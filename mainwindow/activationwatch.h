// Tells the main window when the program as a whole has lost activation to
// another program.
//
// While the window manager moves or resizes one of our windows it holds the
// keyboard, and the toolkit reports that as a loss of activation that lasts
// until the button is released. Such a loss, during a move or resize the
// user started on our own frame, is not passed on.
#pragma once

#include <QObject>
#include <QTimer>

namespace korvane {

class ActivationWatch : public QObject {
    Q_OBJECT

  public:
    explicit ActivationWatch(QObject* parent);

    // The program's activation changed (connected to the application's signal).
    void StateChanged(Qt::ApplicationState state);

    // A press on the frame handed a move or resize to the window manager, and
    // the release that ended it reached us.
    void OwnDragStarted();
    void OwnDragEnded();

    // How long after the end of a drag the activation may take to come back
    // before the loss counts as real.
    static constexpr int kSettleMs = 600;

  signals:
    void deactivated();

  private:
    void Settled();

    bool active_;
    bool dragging_ = false;
    QTimer settle_;
};

}  // namespace korvane
