#include "syncqt/secretstore.h"

#include <qt6keychain/keychain.h>

#include <string>

#include "platform/codepage.h"
#include "platform/uitext.h"

namespace korvane {
namespace {

const QString kService = QStringLiteral("korvane");

// A text for the user (from Ui::tr) as the toolkit takes it.
QString Shown(const std::string& codePage) {
    return QString::fromStdString(platform::FromCodePage(codePage));
}

// What failed, why, and where, for the user.
QString FailureText(const QString& what, const QKeychain::Job& job) {
    QString why;
    switch (job.error()) {
        case QKeychain::NoBackendAvailable:
        case QKeychain::NotImplemented:
            why = Shown(Ui::tr("这个桌面没有可用的密钥服务（Secret Service）"));
            break;
        case QKeychain::AccessDeniedByUser:
            why = Shown(Ui::tr("密钥服务的访问被取消"));
            break;
        case QKeychain::AccessDenied:
            why = Shown(Ui::tr("密钥服务拒绝访问"));
            break;
        default:
            why = Shown(Ui::tr("密钥服务出错（%1）")).arg(job.errorString());
            break;
    }
    return Shown(Ui::tr("无法%1：%2。位置：桌面密钥环，服务 %3，项 %4。"))
        .arg(what, why, kService, job.key());
}

SecretResult ResultOf(const QKeychain::Job& job, const QString& what) {
    SecretResult result;
    if (job.error() == QKeychain::NoError) return result;
    if (job.error() == QKeychain::EntryNotFound) {
        result.outcome = SecretResult::Outcome::NotFound;
        return result;
    }
    result.outcome = SecretResult::Outcome::Failed;
    result.error = FailureText(what, job);
    return result;
}

// Starts `job` for `key`; `finish` turns the finished job into the result
// handed to `done`, while `context` lives.
template <typename Job, typename Finish>
void Run(Job* job, const QString& key, QObject* context, SecretDone done, Finish finish) {
    job->setAutoDelete(true);
    // Never a plain file in place of the secret store.
    job->setInsecureFallback(false);
    job->setKey(key);
    QObject::connect(job, &QKeychain::Job::finished, context,
                     [done = std::move(done), finish](QKeychain::Job* finished) {
                         if (done) done(finish(*static_cast<Job*>(finished)));
                     });
    job->start();
}

}  // namespace

QString SecretKeyFor(const SyncSettings& settings) {
    return QString::fromStdString(settings.user) + QLatin1Char('@') +
           QString::fromStdString(settings.url);
}

DesktopSecretStore::DesktopSecretStore(QObject* parent) : QObject(parent) {}

void DesktopSecretStore::Read(const QString& key, QObject* context, SecretDone done) {
    Run(new QKeychain::ReadPasswordJob(kService), key, context ? context : this, std::move(done),
        [](const QKeychain::ReadPasswordJob& job) {
            SecretResult result = ResultOf(job, Shown(Ui::tr("读取同步密码")));
            if (result.Ok()) result.secret = job.textData();
            return result;
        });
}

void DesktopSecretStore::Write(const QString& key, const QString& secret, QObject* context,
                               SecretDone done) {
    auto* job = new QKeychain::WritePasswordJob(kService);
    job->setTextData(secret);
    Run(job, key, context ? context : this, std::move(done),
        [](const QKeychain::WritePasswordJob& written) {
            SecretResult result = ResultOf(written, Shown(Ui::tr("保存同步密码")));
            if (result.outcome == SecretResult::Outcome::Failed) {
                result.error += Shown(Ui::tr("密码没有保存，也没有写到任何别的地方。"));
            }
            return result;
        });
}

void DesktopSecretStore::Remove(const QString& key, QObject* context, SecretDone done) {
    Run(new QKeychain::DeletePasswordJob(kService), key, context ? context : this, std::move(done),
        [](const QKeychain::DeletePasswordJob& job) {
            return ResultOf(job, Shown(Ui::tr("删除旧帐户的同步密码")));
        });
}

}  // namespace korvane
