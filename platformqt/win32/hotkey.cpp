// The hotkey on Windows: RegisterHotKey for the main window, whose WM_HOTKEY
// message a native event filter picks out.
#include "platformqt/hotkey.h"

#include <windows.h>

#include <QAbstractNativeEventFilter>
#include <QGuiApplication>
#include <QWidget>

namespace korvane::platform {
namespace {

// The virtual-key code of a letter, a digit or F1 to F12; 0 for any other key.
uint8_t VirtualKey(Qt::Key key) {
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return static_cast<uint8_t>('A' + (key - Qt::Key_A));
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return static_cast<uint8_t>('0' + (key - Qt::Key_0));
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12)
        return static_cast<uint8_t>(VK_F1 + (key - Qt::Key_F1));
    return 0;
}

UINT WindowsModifiers(Qt::KeyboardModifiers m) {
    UINT mask = 0;
    if (m & Qt::ControlModifier) mask |= MOD_CONTROL;
    if (m & Qt::ShiftModifier) mask |= MOD_SHIFT;
    if (m & Qt::AltModifier) mask |= MOD_ALT;
    if (m & Qt::MetaModifier) mask |= MOD_WIN;
    return mask;
}

// The program registers one hotkey, under the id 1.
constexpr int kHotkeyId = 1;

class Win32Hotkey : public HotkeyBackend, public QAbstractNativeEventFilter {
  public:
    // `window` is the widget whose native window receives the key.
    Win32Hotkey(QKeyCombination keys, QWidget* window, QObject* parent)
        : HotkeyBackend(parent),
          window_(window),
          key_(VirtualKey(keys.key())),
          modifiers_(WindowsModifiers(keys.keyboardModifiers())) {}
    ~Win32Hotkey() override { Win32Hotkey::Unregister(); }

    bool Register() override {
        if (IsRegistered()) return true;
        if (!qApp || !window_ || key_ == 0) return false;
        const auto hwnd = reinterpret_cast<HWND>(window_->window()->winId());
        // Fails when another program holds the combination.
        if (!::RegisterHotKey(hwnd, kHotkeyId, modifiers_, key_)) return false;
        registered_ = hwnd;
        qApp->installNativeEventFilter(this);
        return true;
    }

    void Unregister() override {
        if (!IsRegistered()) return;
        if (qApp) qApp->removeNativeEventFilter(this);
        ::UnregisterHotKey(registered_, kHotkeyId);
        registered_ = nullptr;
    }

    bool IsRegistered() const override { return registered_ != nullptr; }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
        // The message is seen once by the event dispatcher and, unless taken
        // there, once more on its way to the window.
        if (eventType != "windows_dispatcher_MSG" && eventType != "windows_generic_MSG")
            return false;
        const auto* msg = static_cast<const MSG*>(message);
        if (msg->message != WM_HOTKEY || msg->hwnd != registered_ ||
            msg->wParam != static_cast<WPARAM>(kHotkeyId)) {
            return false;
        }
        emit activated();
        return true;
    }

  private:
    QWidget* window_;
    uint8_t key_;
    UINT modifiers_;
    HWND registered_ = nullptr;  // the window it was registered for
};

}  // namespace

HotkeyBackend* MakeHotkeyBackend(QKeyCombination keys, QObject* window, QObject* parent) {
    return new Win32Hotkey(keys, qobject_cast<QWidget*>(window), parent);
}

}  // namespace korvane::platform
