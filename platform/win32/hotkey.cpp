// The hotkey on Windows: RegisterHotKey for the parent widget's window, whose
// WM_HOTKEY message the filter picks out.
#include "platform/hotkey.h"

#include <windows.h>

#include <QGuiApplication>
#include <QWidget>

namespace korvane::platform {
namespace {

// The virtual-key code of a letter, a digit or F1 to F12; 0 for any other key.
uint8_t VirtualKey(Qt::Key key) {
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return static_cast<uint8_t>('A' + (key - Qt::Key_A));
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return static_cast<uint8_t>('0' + (key - Qt::Key_0));
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12) return static_cast<uint8_t>(VK_F1 + (key - Qt::Key_F1));
    return 0;
}

uint16_t WindowsModifiers(Qt::KeyboardModifiers m) {
    uint16_t mask = 0;
    if (m & Qt::ControlModifier) mask |= MOD_CONTROL;
    if (m & Qt::ShiftModifier) mask |= MOD_SHIFT;
    if (m & Qt::AltModifier) mask |= MOD_ALT;
    if (m & Qt::MetaModifier) mask |= MOD_WIN;
    return mask;
}

// One id per combination, in the range applications may use.
int HotkeyId(uint16_t modifiers, uint8_t key) {
    return (modifiers << 8 | key) & 0xBFFF;
}

}  // namespace

GlobalHotkey::GlobalHotkey(QKeyCombination keys, QObject* parent)
    : QObject(parent), modifiers_(keys.keyboardModifiers()), key_(keys.key()) {}

GlobalHotkey::~GlobalHotkey() {
    Unregister();
}

bool GlobalHotkey::IsSupported() {
    return qApp != nullptr;
}

bool GlobalHotkey::Register() {
    if (IsRegistered()) return true;
    const auto* widget = qobject_cast<const QWidget*>(parent());
    keycode_ = VirtualKey(key_);
    modMask_ = WindowsModifiers(modifiers_);
    if (qApp == nullptr || widget == nullptr || keycode_ == 0) return false;
    const auto hwnd = reinterpret_cast<HWND>(widget->window()->winId());
    // Fails when another program holds the combination.
    if (!::RegisterHotKey(hwnd, HotkeyId(modMask_, keycode_), modMask_, keycode_)) return false;
    window_ = reinterpret_cast<quintptr>(hwnd);
    grabbed_.push_back(modMask_);
    qApp->installNativeEventFilter(this);
    return true;
}

void GlobalHotkey::Unregister() {
    if (!IsRegistered()) return;
    if (qApp) qApp->removeNativeEventFilter(this);
    ::UnregisterHotKey(reinterpret_cast<HWND>(window_), HotkeyId(modMask_, keycode_));
    grabbed_.clear();
    window_ = 0;
}

bool GlobalHotkey::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    // The message is seen once by the event dispatcher and, unless taken
    // there, once more on its way to the window.
    if (eventType != "windows_dispatcher_MSG" && eventType != "windows_generic_MSG") return false;
    const auto* msg = static_cast<const MSG*>(message);
    if (msg->message != WM_HOTKEY ||
        msg->wParam != static_cast<WPARAM>(HotkeyId(modMask_, keycode_))) {
        return false;
    }
    emit activated();
    return true;
}

}  // namespace korvane::platform
