#include "ui/pages/WindowManagerState.h"

#include <QGuiApplication>
#include <QWidget>

#ifdef TAVOLEX_HAVE_XCB
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

struct FreeReply
{
    void operator()(void *reply) const { std::free(reply); }
};

xcb_atom_t internAtom(xcb_connection_t *connection, const char *name)
{
    const std::unique_ptr<xcb_intern_atom_reply_t, FreeReply> reply(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 1, static_cast<uint16_t>(strlen(name)), name),
        nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

} // namespace

std::optional<bool> windowManagerFullScreen(const QWidget &window)
{
    const auto *x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection() || !window.isWindow() || !window.testAttribute(Qt::WA_WState_Created))
        return std::nullopt;
    xcb_connection_t *connection = x11->connection();
    static const xcb_atom_t state = internAtom(connection, "_NET_WM_STATE");
    static const xcb_atom_t fullScreen = internAtom(connection, "_NET_WM_STATE_FULLSCREEN");
    if (state == XCB_ATOM_NONE || fullScreen == XCB_ATOM_NONE)
        return std::nullopt;
    const std::unique_ptr<xcb_get_property_reply_t, FreeReply> reply(xcb_get_property_reply(
        connection,
        xcb_get_property(connection, 0, static_cast<xcb_window_t>(window.winId()), state,
                         XCB_ATOM_ATOM, 0, 64),
        nullptr));
    if (!reply || reply->type != XCB_ATOM_ATOM || reply->format != 32)
        return false;
    const auto *atoms = static_cast<const xcb_atom_t *>(xcb_get_property_value(reply.get()));
    const int count = xcb_get_property_value_length(reply.get()) / int(sizeof(xcb_atom_t));
    for (int i = 0; i < count; ++i) {
        if (atoms[i] == fullScreen)
            return true;
    }
    return false;
}

#else

std::optional<bool> windowManagerFullScreen(const QWidget &)
{
    return std::nullopt;
}

#endif
