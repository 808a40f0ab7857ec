#include "platformqt/posix/hotkey_x11.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <memory>

namespace korvane::platform {
namespace {

// The lock keys must not change what the hotkey is, so each combination is
// grabbed once per state of Caps Lock (Lock) and Num Lock (Mod2).
constexpr uint16_t kLockVariants[] = {0, XCB_MOD_MASK_LOCK, XCB_MOD_MASK_2,
                                      XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2};
constexpr uint16_t kRelevantMods =
    XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4;

xcb_connection_t* Connection() {
    auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

xcb_window_t RootWindow(xcb_connection_t* c) {
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    return screen ? screen->root : XCB_NONE;
}

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};

// The first keycode whose mapping holds the keysym (or its upper-case form).
uint8_t KeycodeFor(xcb_connection_t* c, uint32_t keysym) {
    const xcb_setup_t* setup = xcb_get_setup(c);
    const uint8_t first = setup->min_keycode;
    const int count = setup->max_keycode - first + 1;
    std::unique_ptr<xcb_get_keyboard_mapping_reply_t, FreeDeleter> reply(
        xcb_get_keyboard_mapping_reply(c, xcb_get_keyboard_mapping(c, first, count), nullptr));
    if (!reply) return 0;
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(reply.get());
    const int perCode = reply->keysyms_per_keycode;
    const uint32_t upper = keysym >= 'a' && keysym <= 'z' ? keysym - 'a' + 'A' : keysym;
    for (int code = 0; code < count; ++code) {
        for (int i = 0; i < perCode; ++i) {
            const xcb_keysym_t s = syms[code * perCode + i];
            if (s == keysym || s == upper) return static_cast<uint8_t>(first + code);
        }
    }
    return 0;
}

}  // namespace

uint32_t KeysymOf(Qt::Key key) {
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return static_cast<uint32_t>('a' + (key - Qt::Key_A));
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return static_cast<uint32_t>('0' + (key - Qt::Key_0));
    constexpr uint32_t kKeysymF1 = 0xffbe;
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12) return kKeysymF1 + (key - Qt::Key_F1);
    return 0;
}

namespace {

uint16_t XcbModifiers(Qt::KeyboardModifiers m) {
    uint16_t mask = 0;
    if (m & Qt::ControlModifier) mask |= XCB_MOD_MASK_CONTROL;
    if (m & Qt::ShiftModifier) mask |= XCB_MOD_MASK_SHIFT;
    if (m & Qt::AltModifier) mask |= XCB_MOD_MASK_1;
    if (m & Qt::MetaModifier) mask |= XCB_MOD_MASK_4;
    return mask;
}

}  // namespace

X11Hotkey::X11Hotkey(QKeyCombination keys, QObject* parent)
    : HotkeyBackend(parent), modifiers_(keys.keyboardModifiers()), key_(keys.key()) {}

X11Hotkey::~X11Hotkey() {
    Unregister();
}

bool X11Hotkey::Register() {
    if (IsRegistered()) return true;
    xcb_connection_t* c = Connection();
    if (!c) return false;
    const uint32_t keysym = KeysymOf(key_);
    keycode_ = keysym ? KeycodeFor(c, keysym) : 0;
    modMask_ = XcbModifiers(modifiers_);
    const xcb_window_t root = RootWindow(c);
    if (keycode_ == 0 || root == XCB_NONE) return false;
    for (uint16_t lock : kLockVariants) {
        const uint16_t mods = modMask_ | lock;
        // A key held by another client answers BadAccess; that variant is skipped.
        const xcb_void_cookie_t cookie = xcb_grab_key_checked(
            c, 1, root, mods, keycode_, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
        if (xcb_generic_error_t* error = xcb_request_check(c, cookie)) {
            std::free(error);
            continue;
        }
        grabbed_.push_back(mods);
    }
    if (grabbed_.empty()) return false;
    qApp->installNativeEventFilter(this);
    return true;
}

void X11Hotkey::Unregister() {
    if (!IsRegistered()) return;
    if (qApp) qApp->removeNativeEventFilter(this);
    if (xcb_connection_t* c = Connection()) {
        const xcb_window_t root = RootWindow(c);
        for (uint16_t mods : grabbed_) xcb_ungrab_key(c, keycode_, root, mods);
        xcb_flush(c);
    }
    grabbed_.clear();
}

bool X11Hotkey::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t") return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & ~0x80) != XCB_KEY_PRESS) return false;
    const auto* key = reinterpret_cast<const xcb_key_press_event_t*>(event);
    if (key->detail != keycode_ || (key->state & kRelevantMods) != modMask_) return false;
    emit activated();
    return true;
}

}  // namespace korvane::platform
