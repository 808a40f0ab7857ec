#include "platform/hotkey.h"

#include <QDBusConnection>
#include <QGuiApplication>

#include "platform/posix/hotkey_portal.h"
#include "platform/posix/hotkey_x11.h"

namespace korvane::platform {
namespace {

// The backend for the display the program runs on, or null where there is
// no global key to be had.
HotkeyBackend* BackendFor(QKeyCombination keys, QObject* parent) {
    const QString display = QGuiApplication::platformName();
    if (display == QLatin1String("xcb")) return new X11Hotkey(keys, parent);
    if (display.startsWith(QLatin1String("wayland"))) {
        const QDBusConnection bus = QDBusConnection::sessionBus();
        if (PortalHotkey::Answers(bus)) return new PortalHotkey(bus, keys, parent);
    }
    return nullptr;
}

}  // namespace

GlobalHotkey::GlobalHotkey(QKeyCombination keys, QObject* parent)
    : QObject(parent), backend_(BackendFor(keys, this)) {
    if (backend_) connect(backend_, &HotkeyBackend::activated, this, &GlobalHotkey::activated);
}

GlobalHotkey::~GlobalHotkey() {
    Unregister();
}

bool GlobalHotkey::Register() {
    return backend_ && backend_->Register();
}

void GlobalHotkey::Unregister() {
    if (backend_) backend_->Unregister();
}

bool GlobalHotkey::IsRegistered() const {
    return backend_ && backend_->IsRegistered();
}

}  // namespace korvane::platform
