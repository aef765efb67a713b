// X11 through xcb: the window manager's _NET_FRAME_EXTENTS property.
#include "platform/window_frame.h"

#ifdef VOREL_HAVE_XCB
#include "platform/xcb_display.h"

std::optional<FrameExtents> windowFrameExtents(std::uintptr_t window)
{
    const XcbDisplay d;
    if (!d) return std::nullopt;
    // left, right, top, bottom
    const std::vector<uint32_t> v =
        d.values(xcb_window_t(window), d.atom("_NET_FRAME_EXTENTS"), XCB_ATOM_CARDINAL);
    if (v.size() != 4) return std::nullopt;
    return FrameExtents{int(v[0]), int(v[1]), int(v[2]), int(v[3])};
}

#else

std::optional<FrameExtents> windowFrameExtents(std::uintptr_t)
{
    return std::nullopt;
}

#endif
