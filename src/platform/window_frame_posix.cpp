// X11 through xcb: the window manager's _NET_FRAME_EXTENTS property.
#include "platform/window_frame.h"

#include <cstdlib>
#include <cstring>

#ifdef VOREL_HAVE_XCB
#include <xcb/xcb.h>

std::optional<FrameExtents> windowFrameExtents(std::uintptr_t window)
{
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    std::optional<FrameExtents> extents;
    if (!xcb_connection_has_error(c)) {
        const char name[] = "_NET_FRAME_EXTENTS";
        xcb_intern_atom_reply_t* atom =
            xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, std::strlen(name), name), nullptr);
        if (atom && atom->atom != XCB_ATOM_NONE) {
            xcb_get_property_reply_t* reply = xcb_get_property_reply(
                c, xcb_get_property(c, 0, xcb_window_t(window), atom->atom, XCB_ATOM_CARDINAL, 0, 4),
                nullptr);
            if (reply && reply->format == 32 && xcb_get_property_value_length(reply) == 16) {
                const auto* v = static_cast<const std::uint32_t*>(xcb_get_property_value(reply));
                // left, right, top, bottom
                extents = FrameExtents{int(v[0]), int(v[1]), int(v[2]), int(v[3])};
            }
            std::free(reply);
        }
        std::free(atom);
    }
    xcb_disconnect(c);
    return extents;
}

#else

std::optional<FrameExtents> windowFrameExtents(std::uintptr_t)
{
    return std::nullopt;
}

#endif
