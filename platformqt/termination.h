// Turns the system's request to end the program (logoff, shutdown, kill
// without -9) into a signal delivered from the event loop, so the program can
// end the way a close from the user ends it.
#pragma once

#include <QObject>

class QSocketNotifier;

namespace korvane::platform {

class TerminationWatcher : public QObject {
    Q_OBJECT

  public:
    // Watches SIGTERM, SIGHUP and SIGINT on POSIX; on Windows the end of the
    // session reaches the program through the toolkit's session manager, and
    // the watcher has nothing more to do. One watcher per process.
    explicit TerminationWatcher(QObject* parent = nullptr);
    ~TerminationWatcher() override;

  signals:
    void requested();

  private:
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace korvane::platform
