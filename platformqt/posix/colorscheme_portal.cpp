#include "platformqt/posix/colorscheme_portal.h"

#include <QDBusArgument>
#include <QDBusError>
#include <QDBusMessage>
#include <QLoggingCategory>

namespace korvane::platform {
namespace {

Q_LOGGING_CATEGORY(lcScheme, "korvane.platform")

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kInterface = QStringLiteral("org.freedesktop.portal.Settings");
const QString kGroup = QStringLiteral("org.freedesktop.appearance");
const QString kKey = QStringLiteral("color-scheme");
// The first read holds up the window's start: a portal that has not answered
// by then is taken as absent until it signals a change.
constexpr int kReadTimeoutMs = 500;
constexpr int kMaxNesting = 4;

}  // namespace

PortalColorScheme::PortalColorScheme(const QDBusConnection& bus, QObject* parent)
    : ColorSchemeSource(parent), bus_(bus) {
    if (!bus_.isConnected()) return;
    // The slot's argument types are looked up by name when connecting: the
    // variant's type must be known by then.
    qRegisterMetaType<QDBusVariant>();
    if (!bus_.connect(kService, kPath, kInterface, QStringLiteral("SettingChanged"), this,
                      SLOT(SettingChanged(QString, QString, QDBusVariant)))) {
        qCWarning(lcScheme) << "the desktop's colour scheme will not be followed:"
                            << bus_.lastError().message();
    }
    QDBusMessage read =
        QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Read"));
    read << kGroup << kKey;
    const QDBusMessage answer = bus_.call(read, QDBus::Block, kReadTimeoutMs);
    if (answer.type() != QDBusMessage::ReplyMessage || answer.arguments().isEmpty()) {
        qCDebug(lcScheme) << "no colour scheme from the settings portal:" << answer.errorMessage();
        return;
    }
    scheme_ = SchemeOf(answer.arguments().constFirst());
}

std::optional<uint32_t> PortalColorScheme::SchemeOf(const QVariant& answer) {
    QVariant value = answer;
    for (int depth = 0;
         depth < kMaxNesting && value.metaType() == QMetaType::fromType<QDBusVariant>(); ++depth) {
        value = value.value<QDBusVariant>().variant();
    }
    if (value.metaType() != QMetaType::fromType<uint>()) return std::nullopt;
    return value.toUInt();
}

void PortalColorScheme::SettingChanged(const QString& group, const QString& key,
                                       const QDBusVariant& value) {
    if (group != kGroup || key != kKey) return;
    const std::optional<uint32_t> scheme = SchemeOf(value.variant());
    if (scheme == scheme_) return;
    scheme_ = scheme;
    emit changed();
}

ColorSchemeSource* MakeColorSchemeSource(QObject* parent) {
    return new PortalColorScheme(QDBusConnection::sessionBus(), parent);
}

}  // namespace korvane::platform
