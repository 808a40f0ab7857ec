// The global key on Wayland through the desktop's GlobalShortcuts portal
// (org.freedesktop.portal.GlobalShortcuts on the session bus): a session is
// created, the key is bound in it as one named shortcut with the combination
// it should preferably have, and the portal's Activated signal for that
// shortcut is the key press. The desktop may let the user change or refuse
// the combination; that is its business. Every call is asynchronous, so a
// slow portal never holds up the window.
#pragma once

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QString>
#include <QVariantMap>

#include <cstdint>

#include "platformqt/hotkey.h"

namespace korvane::platform {

class PortalHotkey : public HotkeyBackend {
    Q_OBJECT

  public:
    // The shortcut's name in the session; the portal reports it on activation.
    static constexpr const char* kShortcutId = "show-panel";

    PortalHotkey(const QDBusConnection& bus, QKeyCombination keys, QObject* parent = nullptr);
    ~PortalHotkey() override;

    // True when a GlobalShortcuts portal answers on `bus` (its version is read,
    // waiting at most a couple of seconds).
    static bool Answers(const QDBusConnection& bus);

    // The combination as the portal's preferred trigger, such as "CTRL+q".
    static QString Trigger(QKeyCombination keys);

    // Starts creating the session and binding the key; true when the request
    // went out. The key works once the portal has answered both.
    bool Register() override;
    void Unregister() override;
    bool IsRegistered() const override { return state_ != State::kIdle; }

    // True once the portal has confirmed the binding.
    bool IsBound() const { return state_ == State::kBound; }

  private slots:
    void SessionCreated(uint response, const QVariantMap& results);
    void ShortcutsBound(uint response, const QVariantMap& results);
    void Activated(const QDBusObjectPath& session, const QString& id, qulonglong timestamp,
                   const QVariantMap& options);

  private:
    enum class State { kIdle, kCreatingSession, kBinding, kBound };

    // The object path the portal will answer a request made with `token` on.
    QString RequestPath(const QString& token) const;
    bool Call(const QString& method, const QVariantList& arguments, const QString& token,
              const char* slot);
    void StopListening();
    void Fail(const char* what);

    QDBusConnection bus_;
    QString trigger_;
    State state_ = State::kIdle;
    QString session_;
    QString pendingRequest_;             // the request whose answer is awaited
    const char* pendingSlot_ = nullptr;  // and the slot that takes it
    int tokens_ = 0;
};

}  // namespace korvane::platform
