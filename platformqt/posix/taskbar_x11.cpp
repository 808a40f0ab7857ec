#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QWindow>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "platformqt/taskbar.h"

namespace korvane::platform {
namespace {

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};

xcb_atom_t Atom(xcb_connection_t* c, const char* name) {
    std::unique_ptr<xcb_intern_atom_reply_t, FreeDeleter> reply(xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

}  // namespace

void KeepOffTaskbar(QWindow* window) {
    auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!window || !x11) return;
    xcb_connection_t* c = x11->connection();
    const auto id = static_cast<xcb_window_t>(window->winId());
    const xcb_atom_t state = Atom(c, "_NET_WM_STATE");
    const xcb_atom_t wanted[] = {Atom(c, "_NET_WM_STATE_SKIP_TASKBAR"),
                                 Atom(c, "_NET_WM_STATE_SKIP_PAGER")};

    std::vector<xcb_atom_t> atoms;
    std::unique_ptr<xcb_get_property_reply_t, FreeDeleter> reply(xcb_get_property_reply(
        c, xcb_get_property(c, 0, id, state, XCB_ATOM_ATOM, 0, 1024), nullptr));
    if (reply && reply->format == 32 && reply->type == XCB_ATOM_ATOM) {
        const auto* data = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
        atoms.assign(data, data + xcb_get_property_value_length(reply.get()) / 4);
    }
    std::vector<xcb_atom_t> missing;
    for (xcb_atom_t a : wanted) {
        if (a != XCB_ATOM_NONE && std::find(atoms.begin(), atoms.end(), a) == atoms.end()) {
            missing.push_back(a);
        }
    }
    if (missing.empty()) return;

    std::unique_ptr<xcb_get_window_attributes_reply_t, FreeDeleter> attributes(
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, id), nullptr));
    if (attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE) {
        // A managed window's states belong to the window manager: ask it.
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = id;
        event.type = state;
        event.data.data32[0] = 1;  // add
        event.data.data32[1] = missing[0];
        event.data.data32[2] = missing.size() > 1 ? missing[1] : 0;
        event.data.data32[3] = 1;  // from an application
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
        xcb_send_event(c, 0, screen->root,
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&event));
    } else {
        // Before the window is mapped the window manager reads the property;
        // the toolkit adds its own states to what it finds there.
        atoms.insert(atoms.end(), missing.begin(), missing.end());
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, state, XCB_ATOM_ATOM, 32,
                            static_cast<uint32_t>(atoms.size()), atoms.data());
    }
    xcb_flush(c);
}

}  // namespace korvane::platform
