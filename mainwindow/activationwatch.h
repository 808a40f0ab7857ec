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
#include <QWidget>

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

// Gives the main window the activation back whenever a dialog of the program
// closes and leaves no other dialog open, while the window is shown: some
// window managers (openbox among them) leave no window active when a
// transient closes, and the keys would go nowhere until a click.
class ActivationReturn : public QObject {
    Q_OBJECT

  public:
    // Watches the application's windows for `window`, which owns it.
    explicit ActivationReturn(QWidget* window);

    // Raises and activates the window (or the dialog open over it) when it
    // is shown and not minimised.
    void Return();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* window_;
};

}  // namespace korvane
