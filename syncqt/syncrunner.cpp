#include "syncqt/syncrunner.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <atomic>

#include "syncqt/qthttpclient.h"

namespace korvane {

struct SyncRunner::Pass {
    std::atomic<bool> cancelled{false};
    std::unique_ptr<QThread> thread;
};

SyncRunner::SyncRunner(QObject* parent) : QObject(parent) {
    qRegisterMetaType<korvane::SyncReport>("korvane::SyncReport");
}

SyncRunner::~SyncRunner() {
    const std::unique_ptr<Pass> pass = std::move(pass_);
    if (!pass) return;
    pass->cancelled = true;
    // The worker may be waiting for a store call on this thread: keep
    // answering those until it has ended.
    while (!pass->thread->wait(10)) QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

bool SyncRunner::Running() const {
    return pass_ != nullptr;
}

void SyncRunner::Cancel() {
    if (pass_) pass_->cancelled = true;
}

bool SyncRunner::Start(const SyncSettings& settings, const QString& password,
                       const SyncOptions& options) {
    if (pass_) return false;
    pass_ = std::make_unique<Pass>();
    Pass* pass = pass_.get();
    const SyncAccount account{settings.url, settings.user};
    HttpClientOptions http{QString::fromStdString(settings.user), password, settings.timeoutSeconds,
                           settings.plainHttp, &pass->cancelled};
    SyncOptions withCancel = options;
    withCancel.cancelled = [pass, outer = options.cancelled] {
        return pass->cancelled.load() || (outer && outer());
    };
    pass->thread.reset(QThread::create([this, account, http, withCancel] {
        QtHttpClient client(http);
        // Every use of the store runs on the runner's thread, one at a time.
        const StoreExecutor store = [this](const std::function<void()>& work) {
            QMetaObject::invokeMethod(this, work, Qt::BlockingQueuedConnection);
        };
        const SyncReport report = RunSync(account, client, store, withCancel);
        QMetaObject::invokeMethod(
            this,
            [this, report] {
                if (!pass_) return;  // the runner is going away
                pass_->thread->wait();
                pass_.reset();
                emit Finished(report);
            },
            Qt::QueuedConnection);
    }));
    pass->thread->start();
    return true;
}

}  // namespace korvane
