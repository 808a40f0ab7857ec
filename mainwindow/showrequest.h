// A second copy of the program started on the notebook another copy writes
// asks that copy to show its window, over a local socket named after the data
// folder, and then ends. `korvane --sync` asks it to sync instead and waits
// for the outcome.
//
// The exchange: the asking copy connects and may send one line, "show",
// "sync" or "sync confirm-deletes" (the user agreed to a pass that deletes
// many records). A connection that sends nothing for a moment (as copies
// before the sync did) means "show". "show" is answered with the byte '1' at once;
// "sync" with "sync <exit status>\n" and the outcome's words (UTF-8) once the
// pass is over, then the connection closes. A copy from before the sync
// answers '1' to anything, which the asking copy recognises.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <string>

#include "logic/syncengine.h"

class QLocalServer;
class QLocalSocket;

namespace korvane {

// The socket name for the data folder `dataFolder` (code page): one folder
// always gives one name, whatever the runtime folder or session; two folders
// give two names.
QString ShowRequestName(const std::string& dataFolder);

// Listens in the copy that writes the notebook; `show` runs on the event loop
// each time a second copy asks to see the window, `sync` each time one asks
// for a pass (the copy then hears the exit status and words handed to its
// `answer`). Only processes of the same user can connect.
class ShowRequests : public QObject {
  public:
    using Answer = std::function<void(int exitStatus, const QString& words)>;
    using Sync = std::function<void(const SyncOptions& options, Answer answer)>;

    ShowRequests(const QString& name, std::function<void()> show, Sync sync = {},
                 QObject* parent = nullptr);
    bool Listening() const;

    // How long a connection may stay silent before it counts as "show".
    static constexpr int kSilenceMs = 500;

  private:
    void Accept();
    void Take(QLocalSocket* socket, bool silent);

    QLocalServer* server_;
    std::function<void()> show_;
    Sync sync_;
};

// Asks the copy listening on `name` to show its window; true when it answered
// within `timeoutMs`.
bool AskToShow(const QString& name, int timeoutMs = 3000);

// What a running copy said to a sync request.
struct SyncAnswer {
    enum class Kind {
        Answered,  // `exitStatus` and `words` are the pass's
        NoAnswer,  // nobody listens, or no answer within the time
        TooOld,    // the running copy does not sync on request
    };
    Kind kind = Kind::NoAnswer;
    int exitStatus = 1;
    std::string words;  // code page
};

// Asks the copy listening on `name` to sync and waits for the outcome, at
// most `timeoutMs`; `confirmDeletes` lets the pass delete many records.
SyncAnswer AskToSync(const QString& name, int timeoutMs, bool confirmDeletes = false);

}  // namespace korvane
