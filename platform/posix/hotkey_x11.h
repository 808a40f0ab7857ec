// The global key on X11: grabbed on the root window for every state of the
// lock keys, and seen in the native event stream.
#pragma once

#include <QAbstractNativeEventFilter>

#include <cstdint>
#include <vector>

#include "platform/hotkey.h"

namespace korvane::platform {

class X11Hotkey : public HotkeyBackend, public QAbstractNativeEventFilter {
    Q_OBJECT

  public:
    X11Hotkey(Qt::KeyboardModifiers modifiers, uint32_t keysym, QObject* parent = nullptr);
    ~X11Hotkey() override;

    bool Register() override;
    void Unregister() override;
    bool IsRegistered() const override { return !grabbed_.empty(); }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

  private:
    Qt::KeyboardModifiers modifiers_;
    uint32_t keysym_;
    uint8_t keycode_ = 0;
    uint16_t modMask_ = 0;
    std::vector<uint16_t> grabbed_;  // modifier variants actually grabbed
};

}  // namespace korvane::platform
