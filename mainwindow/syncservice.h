// When the program syncs, and what the last pass came to. A pass runs at
// start, a few seconds after a record was saved or deleted here (the timer
// starts again with each change, so a burst of saves makes one pass), every
// few minutes while the program runs, and when the user or a second copy asks.
// One pass runs at a time: a request while one runs queues one more pass,
// and requests meanwhile join that one. The password comes from the secret
// store unless the request brings one (the dialog's typed password).
#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "logic/syncengine.h"
#include "logic/syncsettings.h"

namespace korvane {

class SecretStore;

// What a request came to: a pass's report, or why no pass ran.
struct SyncOutcome {
    SyncReport report;
    QString problem;  // no pass ran: why (no password kept, the secret store's error)
    QDateTime at;     // when it ended
    bool Ok() const { return problem.isEmpty() && report.status == SyncStatus::Done; }
    // The pass changed records here, so the list shows something else now.
    bool ChangedHere() const {
        return problem.isEmpty() && report.downloaded + report.deletedHere + report.conflicts > 0;
    }
};

// The outcome in words: the dialog's status line, the answer to a second copy.
QString OutcomeText(const SyncOutcome& outcome);
// The exit status `korvane --sync` gives for it: 0 done, 3 stopped before
// deleting many records here, 1 any other failure.
int SyncExitStatus(const SyncOutcome& outcome);
// The footer's short form: "已同步 12:34" after a pass that went through,
// else the failure in words.
QString StatusLine(const SyncOutcome& outcome);

// Runs one pass off the interface thread and reports on the event loop. The
// program's is the SyncRunner; tests give one of their own.
class SyncPasses {
  public:
    using Finished = std::function<void(const SyncReport&)>;
    virtual ~SyncPasses() = default;
    // False when a pass is running already (nothing is started then).
    virtual bool Start(const SyncSettings& settings, const QString& password,
                       const SyncOptions& options, Finished finished) = 0;
};

// The program's passes: the SyncRunner's worker thread.
std::unique_ptr<SyncPasses> MakeRunnerPasses();

struct SyncTiming {
    int startMs = 3000;           // after the start, once the window is up
    int afterChangeMs = 5000;     // after the last save or delete here
    int everyMs = 5 * 60 * 1000;  // while the program runs
};

struct SyncRequest {
    SyncOptions options = Background();
    std::optional<QString> password;  // instead of the secret store's
    // Without an account nothing runs and nothing is told (the timers' passes).
    bool quietWithoutAccount = false;

    // A pass nobody asked for in person: it makes no collections on the
    // server, the dialog asks first.
    static SyncOptions Background() {
        SyncOptions options;
        options.createCollections = false;
        return options;
    }
};

class SyncService : public QObject {
    Q_OBJECT
  public:
    using Done = std::function<void(const SyncOutcome&)>;

    // The account is read from `iniPath` at each pass, so a save in the
    // dialog counts from the next pass on.
    SyncService(std::string iniPath, SecretStore& secrets, SyncPasses& passes,
                SyncTiming timing = {}, QObject* parent = nullptr);

    // The start's pass, and one every `everyMs` from now on.
    void Begin();
    // A record was saved or deleted here.
    void Changed();
    // A pass as soon as none runs; `done` hears the outcome of a pass that
    // starts after this call.
    void Ask(SyncRequest request, Done done = {});

    bool Busy() const { return busy_; }
    const std::optional<SyncOutcome>& Last() const { return last_; }
    SecretStore& Secrets() { return secrets_; }
    const std::string& IniPath() const { return iniPath_; }

  signals:
    // Every pass's outcome, and every reason a pass asked for did not run.
    void finished(const korvane::SyncOutcome& outcome);
    // A pass changed records here: the list should show them.
    void recordsChanged();

  private:
    struct Pending {
        SyncRequest request;
        std::vector<Done> waiters;
    };
    void Launch(Pending pass);
    void StartPass(const SyncSettings& settings, const QString& password);
    void Finish(SyncOutcome outcome);
    void Quietly();

    std::string iniPath_;
    SecretStore& secrets_;
    SyncPasses& passes_;
    SyncTiming timing_;
    QTimer afterChange_;
    QTimer every_;
    bool busy_ = false;
    Pending current_;
    std::optional<Pending> queued_;
    std::optional<SyncOutcome> last_;
};

}  // namespace korvane
