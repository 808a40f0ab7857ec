// The desktop's light or dark preference, and its changes while the program
// runs. The value is numbered as the freedesktop appearance setting
// color-scheme numbers it: 0 no preference, 1 prefers dark, 2 prefers light.
#pragma once

#include <QObject>
#include <cstdint>
#include <optional>

namespace korvane::platform {

class ColorSchemeSource : public QObject {
    Q_OBJECT

  public:
    using QObject::QObject;

    // The desktop's preference; empty when the desktop does not say (no
    // settings portal answers, no such setting).
    virtual std::optional<uint32_t> Scheme() const = 0;

  signals:
    // The preference changed; Scheme() has the new one.
    void changed();
};

// The source that suits this system, a child of `parent`: the settings portal
// on the session bus on Linux, the personalisation setting of the registry on
// Windows. One implementation per system.
ColorSchemeSource* MakeColorSchemeSource(QObject* parent);

}  // namespace korvane::platform
