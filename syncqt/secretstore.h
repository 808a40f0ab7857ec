// The sync password in the desktop's secret store (the Secret Service on a
// Linux desktop, the Credential Manager on Windows), never in a file of the
// program: not in sys.ini, not in the log. Its jobs finish on the event
// loop, so every call answers through a callback.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

#include "logic/syncsettings.h"

namespace korvane {

struct SecretResult {
    enum class Outcome {
        Done,      // read, written or removed
        NotFound,  // nothing is kept under the key
        Failed,    // the store refused or there is none: `error` says why
    };
    Outcome outcome = Outcome::Done;
    QString secret;  // a read's password when Done
    QString error;   // in the user's words, naming the store and the key
    bool Ok() const { return outcome == Outcome::Done; }
};
using SecretDone = std::function<void(const SecretResult&)>;

// The key the password of `settings`'s account is kept under: user@url.
QString SecretKeyFor(const SyncSettings& settings);

// Where passwords go. `done` runs once, on the event loop, and only while
// `context` still exists (a dialog closed meanwhile hears nothing).
class SecretStore {
  public:
    virtual ~SecretStore() = default;
    virtual void Read(const QString& key, QObject* context, SecretDone done) = 0;
    virtual void Write(const QString& key, const QString& secret, QObject* context,
                       SecretDone done) = 0;
    virtual void Remove(const QString& key, QObject* context, SecretDone done) = 0;
};

// The desktop's secret store through QtKeychain, service "korvane". Without
// a secret service a write fails with a clear error and the password is kept
// nowhere else (the library's plain-file fallback stays off).
class DesktopSecretStore : public QObject, public SecretStore {
    Q_OBJECT
  public:
    explicit DesktopSecretStore(QObject* parent = nullptr);

    void Read(const QString& key, QObject* context, SecretDone done) override;
    void Write(const QString& key, const QString& secret, QObject* context,
               SecretDone done) override;
    void Remove(const QString& key, QObject* context, SecretDone done) override;
};

}  // namespace korvane
