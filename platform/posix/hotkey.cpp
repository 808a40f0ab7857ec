#include "platform/hotkey.h"

#include <QDBusConnection>
#include <QGuiApplication>

#include "platform/posix/hotkey_portal.h"
#include "platform/posix/hotkey_x11.h"

namespace korvane::platform {
namespace {

// The backend for the display the program runs on, or null where there is
// no global key to be had.
HotkeyBackend* BackendFor(Qt::KeyboardModifiers modifiers, uint32_t keysym, QObject* parent) {
    const QString display = QGuiApplication::platformName();
    if (display == QLatin1String("xcb")) return new X11Hotkey(modifiers, keysym, parent);
    if (display.startsWith(QLatin1String("wayland"))) {
        const QDBusConnection bus = QDBusConnection::sessionBus();
        if (PortalHotkey::Answers(bus)) return new PortalHotkey(bus, modifiers, keysym, parent);
    }
    return nullptr;
}

}  // namespace

GlobalHotkey::GlobalHotkey(Qt::KeyboardModifiers modifiers, uint32_t keysym, QObject* parent)
    : QObject(parent), backend_(BackendFor(modifiers, keysym, this)) {
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
