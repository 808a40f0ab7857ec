// The global key on X11: grabbed on the root window for every state of the
// lock keys, and seen in the native event stream.
#pragma once

#include <QAbstractNativeEventFilter>

#include <cstdint>
#include <vector>

#include "platformqt/hotkey.h"

namespace korvane::platform {

// The X keysym of a key: letters (lower case), digits and F1 to F12; 0 for
// any other key.
uint32_t KeysymOf(Qt::Key key);

class X11Hotkey : public HotkeyBackend, public QAbstractNativeEventFilter {
    Q_OBJECT

  public:
    explicit X11Hotkey(QKeyCombination keys, QObject* parent = nullptr);
    ~X11Hotkey() override;

    bool Register() override;
    void Unregister() override;
    bool IsRegistered() const override { return !grabbed_.empty(); }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

  private:
    Qt::KeyboardModifiers modifiers_;
    Qt::Key key_;
    uint8_t keycode_ = 0;
    uint16_t modMask_ = 0;
    std::vector<uint16_t> grabbed_;  // modifier variants actually grabbed
};

}  // namespace korvane::platform
