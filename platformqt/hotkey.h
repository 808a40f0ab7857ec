// A system-wide hotkey: a key combination that reaches the program whichever
// window has the keyboard focus.
//
// How the key is taken depends on the display, chosen when the hotkey is
// made: on Windows it is registered for the main window; on X11 it is
// grabbed on the root window; on Wayland, where no client
// may grab keys, the desktop's GlobalShortcuts portal binds it, provided one
// answers on the session bus. Elsewhere (a Wayland desktop without that
// portal, the offscreen platform) the hotkey is unavailable: registering it
// does nothing, and IsAvailable() lets the window say so.
#pragma once

#include <QKeyCombination>
#include <QObject>

namespace korvane::platform {

// One way of taking the key; GlobalHotkey owns the one that suits the display.
class HotkeyBackend : public QObject {
    Q_OBJECT

  public:
    using QObject::QObject;

    // Asks for the key; false when it cannot be had. Registering again while
    // registered is harmless.
    virtual bool Register() = 0;
    virtual void Unregister() = 0;
    virtual bool IsRegistered() const = 0;

  signals:
    void activated();
};

// The backend that suits this system and display, a child of `parent`, or
// null where no global key can be had; `window` is the widget the hotkey was
// made for. One implementation per system.
HotkeyBackend* MakeHotkeyBackend(QKeyCombination keys, QObject* window, QObject* parent);

class GlobalHotkey : public QObject {
    Q_OBJECT

  public:
    // `keys` is a key with modifiers, such as Qt::ControlModifier | Qt::Key_Q;
    // the modifiers may combine Control, Shift, Alt and Meta. Letters, digits
    // and F1 to F12 can be taken; any other key registers nothing. On Windows
    // `parent` must be the widget whose window receives the key.
    explicit GlobalHotkey(QKeyCombination keys, QObject* parent = nullptr);
    ~GlobalHotkey() override;

    // False where this display offers no global key at all.
    bool IsAvailable() const { return backend_ != nullptr; }

    // Takes the key; false when unavailable or when another client holds it.
    // Registering again while registered is harmless.
    bool Register();
    void Unregister();
    bool IsRegistered() const;

  signals:
    void activated();

  private:
    HotkeyBackend* backend_ = nullptr;  // a child; null when unavailable
};

}  // namespace korvane::platform
