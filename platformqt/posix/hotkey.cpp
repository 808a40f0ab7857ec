#include "platformqt/hotkey.h"

#include <QDBusConnection>
#include <QGuiApplication>

#include "platformqt/posix/hotkey_portal.h"
#include "platformqt/posix/hotkey_x11.h"

namespace korvane::platform {

// On X11 a root-window grab; on Wayland the desktop's portal, where one
// answers; elsewhere none.
HotkeyBackend* MakeHotkeyBackend(QKeyCombination keys, QObject*, QObject* parent) {
    const QString display = QGuiApplication::platformName();
    if (display == QLatin1String("xcb")) return new X11Hotkey(keys, parent);
    if (display.startsWith(QLatin1String("wayland"))) {
        const QDBusConnection bus = QDBusConnection::sessionBus();
        if (PortalHotkey::Answers(bus)) return new PortalHotkey(bus, keys, parent);
    }
    return nullptr;
}

}  // namespace korvane::platform
