#include "mainwindow/syncservice.h"

#include <utility>

#include "dialogs/qttext.h"
#include "platform/uitext.h"
#include "syncqt/secretstore.h"
#include "syncqt/syncrunner.h"

namespace korvane {
namespace {

// The SyncRunner behind the passes interface: its Finished signal hands the
// report to the one pass that runs.
class RunnerPasses : public SyncPasses {
  public:
    RunnerPasses() {
        QObject::connect(&runner_, &SyncRunner::Finished, &runner_,
                         [this](const SyncReport& report) {
                             Finished finished = std::exchange(finished_, {});
                             if (finished) finished(report);
                         });
    }

    bool Start(const SyncSettings& settings, const QString& password, const SyncOptions& options,
               Finished finished) override {
        if (runner_.Running()) return false;
        finished_ = std::move(finished);
        if (runner_.Start(settings, password, options)) return true;
        finished_ = {};
        return false;
    }

  private:
    SyncRunner runner_;
    Finished finished_;
};

// Two requests waiting for the same pass become one: what either allows.
void Join(SyncRequest& into, const SyncRequest& request) {
    into.options.createCollections =
        into.options.createCollections || request.options.createCollections;
    into.options.confirmMassDelete =
        into.options.confirmMassDelete || request.options.confirmMassDelete;
    if (!into.options.cancelled) into.options.cancelled = request.options.cancelled;
    if (request.password) into.password = request.password;
    into.quietWithoutAccount = into.quietWithoutAccount && request.quietWithoutAccount;
}

}  // namespace

std::unique_ptr<SyncPasses> MakeRunnerPasses() {
    return std::make_unique<RunnerPasses>();
}

QString OutcomeText(const SyncOutcome& outcome) {
    if (!outcome.problem.isEmpty()) return outcome.problem;
    return ToQt(SyncReportText(outcome.report));
}

int SyncExitStatus(const SyncOutcome& outcome) {
    if (outcome.Ok()) return 0;
    return outcome.problem.isEmpty() && outcome.report.status == SyncStatus::MassDelete ? 3 : 1;
}

QString StatusLine(const SyncOutcome& outcome) {
    if (outcome.Ok()) {
        return ToQt(Ui::tr("已同步 ")) + outcome.at.toString(QStringLiteral("HH:mm"));
    }
    return OutcomeText(outcome);
}

SyncService::SyncService(std::string iniPath, SecretStore& secrets, SyncPasses& passes,
                         SyncTiming timing, QObject* parent)
    : QObject(parent),
      iniPath_(std::move(iniPath)),
      secrets_(secrets),
      passes_(passes),
      timing_(timing) {
    setObjectName(QStringLiteral("SyncService"));
    afterChange_.setSingleShot(true);
    afterChange_.setInterval(timing_.afterChangeMs);
    connect(&afterChange_, &QTimer::timeout, this, &SyncService::Quietly);
    every_.setInterval(timing_.everyMs);
    connect(&every_, &QTimer::timeout, this, &SyncService::Quietly);
}

void SyncService::Begin() {
    QTimer::singleShot(timing_.startMs, this, &SyncService::Quietly);
    every_.start();
}

void SyncService::Changed() {
    afterChange_.start();
}

void SyncService::Quietly() {
    SyncRequest request;
    request.quietWithoutAccount = true;
    Ask(std::move(request));
}

void SyncService::Ask(SyncRequest request, Done done) {
    if (busy_) {
        if (queued_) {
            Join(queued_->request, request);
        } else {
            queued_ = Pending{std::move(request), {}};
        }
        if (done) queued_->waiters.push_back(std::move(done));
        return;
    }
    Pending pass{std::move(request), {}};
    if (done) pass.waiters.push_back(std::move(done));
    Launch(std::move(pass));
}

void SyncService::Launch(Pending pass) {
    busy_ = true;
    current_ = std::move(pass);
    const SyncSettings settings = LoadSyncSettings(iniPath_);
    // Every outcome comes on the event loop, never inside Ask.
    if (!settings.Configured()) {
        if (current_.request.quietWithoutAccount) {
            QTimer::singleShot(0, this, [this] {
                busy_ = false;
                current_ = {};
                if (queued_) Launch(*std::exchange(queued_, std::nullopt));
            });
            return;
        }
        SyncOutcome outcome;
        outcome.report.status = SyncStatus::NotConfigured;
        QTimer::singleShot(0, this, [this, outcome] { Finish(outcome); });
        return;
    }
    if (current_.request.password) {
        const QString password = *current_.request.password;
        QTimer::singleShot(0, this, [this, settings, password] { StartPass(settings, password); });
        return;
    }
    secrets_.Read(SecretKeyFor(settings), this, [this, settings](const SecretResult& result) {
        if (result.Ok()) {
            StartPass(settings, result.secret);
            return;
        }
        SyncOutcome outcome;
        outcome.problem = result.outcome == SecretResult::Outcome::NotFound
                              ? ToQt(Ui::tr("没有保存同步密码：请在“同步…”里输入密码并保存。"))
                              : result.error;
        Finish(outcome);
    });
}

void SyncService::StartPass(const SyncSettings& settings, const QString& password) {
    const bool started = passes_.Start(settings, password, current_.request.options,
                                       [this](const SyncReport& report) {
                                           SyncOutcome outcome;
                                           outcome.report = report;
                                           Finish(outcome);
                                       });
    if (!started) {
        SyncOutcome outcome;
        outcome.problem = ToQt(Ui::tr("同步没有开始：上一次同步还没有结束。"));
        Finish(outcome);
    }
}

void SyncService::Finish(SyncOutcome outcome) {
    outcome.at = QDateTime::currentDateTime();
    last_ = outcome;
    busy_ = false;
    const std::vector<Done> waiters = std::move(current_.waiters);
    current_ = {};
    emit finished(outcome);
    if (outcome.ChangedHere()) emit recordsChanged();
    // A waiter may ask again (the dialog after its question); that pass
    // then runs or queues like any other.
    for (const Done& waiter : waiters) waiter(outcome);
    if (queued_ && !busy_) Launch(*std::exchange(queued_, std::nullopt));
}

}  // namespace korvane
