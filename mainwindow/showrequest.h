// A second copy of the program started on the notebook another copy writes
// asks that copy to show its window, over a local socket named after the data
// folder, and then ends.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <string>

class QLocalServer;

namespace korvane {

// The socket name for the data folder `dataFolder` (code page): one folder
// always gives one name, whatever the runtime folder or session; two folders
// give two names.
QString ShowRequestName(const std::string& dataFolder);

// Listens in the copy that writes the notebook; `show` runs on the event loop
// each time a second copy connects. Only processes of the same user can
// connect.
class ShowRequests : public QObject {
  public:
    ShowRequests(const QString& name, std::function<void()> show, QObject* parent = nullptr);
    bool Listening() const;

  private:
    void Answer();

    QLocalServer* server_;
    std::function<void()> show_;
};

// Asks the copy listening on `name` to show its window; true when it answered
// within `timeoutMs`.
bool AskToShow(const QString& name, int timeoutMs = 3000);

}  // namespace korvane
