// A system-wide hotkey: a key combination that reaches the program whichever
// window has the keyboard focus.
//
// On X11 the key is grabbed on the root window; on Windows it is registered
// for the parent's window, which receives it as a message. Where the display
// server offers no global grab (Wayland, the offscreen platform) the hotkey
// reports itself unsupported and registering it does nothing.
#pragma once

#include <QAbstractNativeEventFilter>
#include <QKeyCombination>
#include <QObject>

#include <cstdint>
#include <vector>

namespace korvane::platform {

class GlobalHotkey : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT

  public:
    // `keys` is a key with modifiers, such as Qt::ControlModifier | Qt::Key_Q;
    // the modifiers may combine Control, Shift, Alt and Meta. Letters, digits
    // and F1 to F12 can be registered; any other key registers nothing. On
    // Windows `parent` must be the widget whose window receives the key.
    explicit GlobalHotkey(QKeyCombination keys, QObject* parent = nullptr);
    ~GlobalHotkey() override;

    static bool IsSupported();

    // Grabs the key; false when unsupported or when another client holds it.
    // Registering again while registered is harmless.
    bool Register();
    void Unregister();
    bool IsRegistered() const { return !grabbed_.empty(); }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

  signals:
    void activated();

  private:
    Qt::KeyboardModifiers modifiers_;
    Qt::Key key_;
    uint8_t keycode_ = 0;            // the key in the system's numbering
    uint16_t modMask_ = 0;           // the modifiers in the system's form
    std::vector<uint16_t> grabbed_;  // modifier variants actually registered
    quintptr window_ = 0;            // the native window it was registered for, where one is needed
};

}  // namespace korvane::platform
