// Stand-ins for the sync's secret store and runner: the test machine has no
// secret service, and no server. Both answer on the event loop, as the real
// ones do.
#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <deque>
#include <map>
#include <utility>
#include <vector>

#include "mainwindow/syncservice.h"
#include "syncqt/secretstore.h"

namespace korvane::test {

class FakeSecrets : public SecretStore {
  public:
    std::map<QString, QString> kept;
    bool available = true;  // false: like a desktop without a secret service
    int writes = 0;

    void Read(const QString& key, QObject* context, SecretDone done) override {
        SecretResult result = Refused(QStringLiteral("读取"));
        if (available) {
            const auto found = kept.find(key);
            result.outcome =
                found != kept.end() ? SecretResult::Outcome::Done : SecretResult::Outcome::NotFound;
            if (found != kept.end()) result.secret = found->second;
        }
        Answer(context, std::move(done), result);
    }
    void Write(const QString& key, const QString& secret, QObject* context,
               SecretDone done) override {
        ++writes;
        if (available) kept[key] = secret;
        Answer(context, std::move(done),
               available ? SecretResult{} : Refused(QStringLiteral("保存")));
    }
    void Remove(const QString& key, QObject* context, SecretDone done) override {
        if (available) kept.erase(key);
        Answer(context, std::move(done),
               available ? SecretResult{} : Refused(QStringLiteral("删除")));
    }

  private:
    static SecretResult Refused(const QString& what) {
        SecretResult result;
        result.outcome = SecretResult::Outcome::Failed;
        result.error = QStringLiteral("无法%1同步密码：这个桌面没有可用的密钥服务。").arg(what);
        return result;
    }
    static void Answer(QObject* context, SecretDone done, const SecretResult& result) {
        QTimer::singleShot(0, context, [done = std::move(done), result] {
            if (done) done(result);
        });
    }
};

// Passes that run until the test finishes them, or finish at once with the
// reports queued in `answers`.
class FakePasses : public SyncPasses {
  public:
    struct Started {
        SyncSettings settings;
        QString password;
        SyncOptions options;
    };
    std::vector<Started> started;
    std::deque<SyncReport> answers;

    bool Start(const SyncSettings& settings, const QString& password, const SyncOptions& options,
               Finished finished) override {
        if (pending_) return false;
        started.push_back({settings, password, options});
        pending_ = std::move(finished);
        if (!answers.empty()) {
            SyncReport report = answers.front();
            answers.pop_front();
            QTimer::singleShot(0, &context_, [this, report] { Finish(report); });
        }
        return true;
    }
    bool Running() const { return static_cast<bool>(pending_); }
    void Finish(const SyncReport& report) {
        Finished finished = std::exchange(pending_, {});
        if (finished) finished(report);
    }

  private:
    Finished pending_;
    QObject context_;
};

inline SyncReport Report(SyncStatus status, int downloaded = 0) {
    SyncReport report;
    report.status = status;
    report.downloaded = downloaded;
    if (status == SyncStatus::MassDelete) report.massDelete = 42;
    return report;
}

}  // namespace korvane::test
