#include "X11Window.h"

#include <QGuiApplication>
#include <QWidget>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace host {

namespace {

template <class Reply>
using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

xcb_atom_t internAtom(xcb_connection_t* connection, const char* name)
{
    const ReplyPtr<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, std::uint16_t(std::strlen(name)), name), nullptr),
        &std::free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

// Qt keeps the state atoms it does not manage when it shows the window, so ours go beside
// whatever is there.
void addStates(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property,
               const std::vector<xcb_atom_t>& wanted)
{
    const ReplyPtr<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(connection, xcb_get_property(connection, 0, window, property, XCB_ATOM_ATOM, 0, 64),
                               nullptr),
        &std::free);
    std::vector<xcb_atom_t> states;
    if (reply && reply->format == 32) {
        const auto* first = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
        states.assign(first, first + xcb_get_property_value_length(reply.get()) / sizeof(xcb_atom_t));
    }
    for (const xcb_atom_t state : wanted)
        if (state != XCB_ATOM_NONE && std::find(states.begin(), states.end(), state) == states.end())
            states.push_back(state);
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, property, XCB_ATOM_ATOM, 32,
                        std::uint32_t(states.size()), states.data());
}

} // namespace

void KeepOutOfTaskBar(QWidget& window)
{
    const auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection() || !window.internalWinId())
        return;
    xcb_connection_t* connection = x11->connection();
    const auto id = xcb_window_t(window.internalWinId());
    addStates(connection, id, internAtom(connection, "_NET_WM_STATE"),
              {internAtom(connection, "_NET_WM_STATE_SKIP_TASKBAR"), internAtom(connection, "_NET_WM_STATE_SKIP_PAGER")});
    xcb_flush(connection);
}

} // namespace host
