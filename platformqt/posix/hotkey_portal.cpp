#include "platformqt/posix/hotkey_portal.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QKeySequence>
#include <QLoggingCategory>

#include "platform/codepage.h"
#include "platform/uitext.h"

namespace {

// One entry of BindShortcuts' a(sa{sv}): the shortcut's id and its options.
struct PortalShortcut {
    QString id;
    QVariantMap options;
};

QDBusArgument& operator<<(QDBusArgument& out, const PortalShortcut& shortcut) {
    out.beginStructure();
    out << shortcut.id << shortcut.options;
    out.endStructure();
    return out;
}

const QDBusArgument& operator>>(const QDBusArgument& in, PortalShortcut& shortcut) {
    in.beginStructure();
    in >> shortcut.id >> shortcut.options;
    in.endStructure();
    return in;
}

}  // namespace

Q_DECLARE_METATYPE(PortalShortcut)

namespace korvane::platform {
namespace {

Q_LOGGING_CATEGORY(lcPortal, "korvane.platform")

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString kRequest = QStringLiteral("org.freedesktop.portal.Request");
const QString kSession = QStringLiteral("org.freedesktop.portal.Session");
constexpr int kProbeTimeoutMs = 2000;

void RegisterTypes() {
    static const bool once = [] {
        qDBusRegisterMetaType<PortalShortcut>();
        qDBusRegisterMetaType<QList<PortalShortcut>>();
        return true;
    }();
    (void)once;
}

}  // namespace

PortalHotkey::PortalHotkey(const QDBusConnection& bus, QKeyCombination keys, QObject* parent)
    : HotkeyBackend(parent), bus_(bus), trigger_(Trigger(keys)) {
    RegisterTypes();
}

PortalHotkey::~PortalHotkey() {
    Unregister();
}

bool PortalHotkey::Answers(const QDBusConnection& bus) {
    if (!bus.isConnected()) return false;
    QDBusMessage get = QDBusMessage::createMethodCall(
        kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << kInterface << QStringLiteral("version");
    return bus.call(get, QDBus::Block, kProbeTimeoutMs).type() == QDBusMessage::ReplyMessage;
}

QString PortalHotkey::Trigger(QKeyCombination keys) {
    const Qt::KeyboardModifiers modifiers = keys.keyboardModifiers();
    const Qt::Key key = keys.key();
    QStringList parts;
    if (modifiers & Qt::ControlModifier) parts << QStringLiteral("CTRL");
    if (modifiers & Qt::AltModifier) parts << QStringLiteral("ALT");
    if (modifiers & Qt::ShiftModifier) parts << QStringLiteral("SHIFT");
    if (modifiers & Qt::MetaModifier) parts << QStringLiteral("LOGO");
    // Letters in lower case and digits as themselves, function keys by name.
    if (key >= Qt::Key_A && key <= Qt::Key_Z) {
        parts << QString(QChar('a' + (key - Qt::Key_A)));
    } else if (key >= Qt::Key_F1 && key <= Qt::Key_F35) {
        parts << QStringLiteral("F%1").arg(key - Qt::Key_F1 + 1);
    } else {
        parts << QKeySequence(key).toString();
    }
    return parts.join(QLatin1Char('+'));
}

QString PortalHotkey::RequestPath(const QString& token) const {
    // The portal answers on .../request/<our unique name without ':' and with
    // '.' as '_'>/<token>; listening there before asking leaves no race.
    QString sender = bus_.baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    return kPath + QStringLiteral("/request/") + sender + QLatin1Char('/') + token;
}

bool PortalHotkey::Call(const QString& method, const QVariantList& arguments, const QString& token,
                        const char* slot) {
    pendingRequest_ = RequestPath(token);
    pendingSlot_ = slot;
    if (!bus_.connect(kService, pendingRequest_, kRequest, QStringLiteral("Response"), this,
                      slot)) {
        pendingRequest_.clear();
        return false;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
    call.setArguments(arguments);
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, method](QDBusPendingCallWatcher* w) {
                w->deleteLater();
                if (w->isError()) {
                    qCWarning(lcPortal)
                        << "GlobalShortcuts" << method << "failed:" << w->error().message();
                    Fail("call refused");
                }
            });
    return true;
}

bool PortalHotkey::Register() {
    if (IsRegistered()) return true;
    if (!bus_.isConnected()) return false;
    const QString token = QStringLiteral("korvane%1").arg(++tokens_);
    const QVariantMap options{{QStringLiteral("handle_token"), token},
                              {QStringLiteral("session_handle_token"), token}};
    state_ = State::kCreatingSession;
    if (Call(QStringLiteral("CreateSession"), {options}, token,
             SLOT(SessionCreated(uint, QVariantMap)))) {
        return true;
    }
    state_ = State::kIdle;
    return false;
}

void PortalHotkey::SessionCreated(uint response, const QVariantMap& results) {
    StopListening();
    if (state_ != State::kCreatingSession) return;  // unregistered meanwhile
    session_ = results.value(QStringLiteral("session_handle")).toString();
    if (response != 0 || session_.isEmpty()) return Fail("no session");
    bus_.connect(kService, kPath, kInterface, QStringLiteral("Activated"), this,
                 SLOT(Activated(QDBusObjectPath, QString, qulonglong, QVariantMap)));
    const QList<PortalShortcut> shortcuts{
        {QString::fromLatin1(kShortcutId),
         {{QStringLiteral("description"),
           QString::fromStdString(platform::FromCodePage(Ui::tr("显示面板")))},
          {QStringLiteral("preferred_trigger"), trigger_}}}};
    const QString token = QStringLiteral("korvane%1").arg(++tokens_);
    state_ = State::kBinding;
    const QVariantList arguments{QVariant::fromValue(QDBusObjectPath(session_)),
                                 QVariant::fromValue(shortcuts), QString(),
                                 QVariantMap{{QStringLiteral("handle_token"), token}}};
    if (!Call(QStringLiteral("BindShortcuts"), arguments, token,
              SLOT(ShortcutsBound(uint, QVariantMap)))) {
        Fail("bind not sent");
    }
}

void PortalHotkey::ShortcutsBound(uint response, const QVariantMap&) {
    StopListening();
    if (state_ != State::kBinding) return;
    if (response != 0) return Fail("binding refused");
    state_ = State::kBound;
}

void PortalHotkey::Activated(const QDBusObjectPath& session, const QString& id, qulonglong,
                             const QVariantMap&) {
    if (state_ == State::kBound && session.path() == session_ && id == QLatin1String(kShortcutId)) {
        emit activated();
    }
}

void PortalHotkey::Fail(const char* what) {
    qCWarning(lcPortal) << "the global key is not bound:" << what;
    Unregister();
}

void PortalHotkey::Unregister() {
    if (state_ == State::kIdle) return;
    StopListening();
    bus_.disconnect(kService, kPath, kInterface, QStringLiteral("Activated"), this,
                    SLOT(Activated(QDBusObjectPath, QString, qulonglong, QVariantMap)));
    if (!session_.isEmpty() && bus_.isConnected()) {
        // Closing the session releases the shortcut; nothing waits for it.
        bus_.send(
            QDBusMessage::createMethodCall(kService, session_, kSession, QStringLiteral("Close")));
    }
    session_.clear();
    state_ = State::kIdle;
}

void PortalHotkey::StopListening() {
    if (pendingRequest_.isEmpty()) return;
    bus_.disconnect(kService, pendingRequest_, kRequest, QStringLiteral("Response"), this,
                    pendingSlot_);
    pendingRequest_.clear();
    pendingSlot_ = nullptr;
}

}  // namespace korvane::platform
