// The desktop's colour scheme through the settings portal
// (org.freedesktop.portal.Settings on the session bus): the value of
// org.freedesktop.appearance color-scheme is read once when the source is
// made, and its SettingChanged signal keeps it current.
#pragma once

#include <QDBusConnection>
#include <QDBusVariant>
#include <QString>

#include "platformqt/colorscheme.h"

namespace korvane::platform {

class PortalColorScheme : public ColorSchemeSource {
    Q_OBJECT

  public:
    PortalColorScheme(const QDBusConnection& bus, QObject* parent = nullptr);

    std::optional<uint32_t> Scheme() const override { return scheme_; }

    // The number a portal answer holds, however deep its variants are nested
    // (older portals wrap the value in one variant more); empty when it holds
    // no unsigned number.
    static std::optional<uint32_t> SchemeOf(const QVariant& answer);

  private slots:
    void SettingChanged(const QString& group, const QString& key, const QDBusVariant& value);

  private:
    QDBusConnection bus_;
    std::optional<uint32_t> scheme_;
};

}  // namespace korvane::platform
