#pragma once
// X11 through xcb, for the few requests the program makes of the display
// server and its window manager. Only where VOREL_HAVE_XCB is set.
#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

// One connection to the display named by DISPLAY, closed at the end of scope.
class XcbDisplay {
public:
    XcbDisplay()
    {
        if (!std::getenv("DISPLAY")) return;
        c_ = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(c_)) {
            xcb_disconnect(c_);
            c_ = nullptr;
            return;
        }
        screen_ = xcb_setup_roots_iterator(xcb_get_setup(c_)).data;
    }
    ~XcbDisplay()
    {
        if (!c_) return;
        xcb_flush(c_);
        xcb_disconnect(c_);
    }
    XcbDisplay(const XcbDisplay&) = delete;
    XcbDisplay& operator=(const XcbDisplay&) = delete;

    explicit operator bool() const { return c_ && screen_; }
    xcb_connection_t* c() const { return c_; }
    xcb_window_t root() const { return screen_->root; }

    xcb_atom_t atom(const char* name) const
    {
        xcb_intern_atom_reply_t* reply =
            xcb_intern_atom_reply(c_, xcb_intern_atom(c_, 0, std::strlen(name), name), nullptr);
        if (!reply) return XCB_ATOM_NONE;
        const xcb_atom_t atom = reply->atom;
        std::free(reply);
        return atom;
    }

    // The 32-bit values of a window property of the given type.
    std::vector<uint32_t> values(xcb_window_t w, xcb_atom_t property, xcb_atom_t type) const
    {
        std::vector<uint32_t> result;
        if (property == XCB_ATOM_NONE) return result;
        xcb_get_property_reply_t* reply =
            xcb_get_property_reply(c_, xcb_get_property(c_, 0, w, property, type, 0, 4096), nullptr);
        if (!reply) return result;
        if (reply->format == 32) {
            const auto* v = static_cast<const uint32_t*>(xcb_get_property_value(reply));
            result.assign(v, v + xcb_get_property_value_length(reply) / 4);
        }
        std::free(reply);
        return result;
    }

    // The instance and class names of WM_CLASS.
    std::vector<std::string> classNames(xcb_window_t w) const
    {
        std::vector<std::string> names;
        xcb_get_property_reply_t* reply = xcb_get_property_reply(
            c_, xcb_get_property(c_, 0, w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 256), nullptr);
        if (!reply) return names;
        const char* value = static_cast<const char*>(xcb_get_property_value(reply));
        const int length = xcb_get_property_value_length(reply);
        // Two zero-terminated strings: instance, then class.
        for (int start = 0; start < length;) {
            int end = start;
            while (end < length && value[end] != '\0') ++end;
            names.emplace_back(value + start, end - start);
            start = end + 1;
        }
        std::free(reply);
        return names;
    }

    std::vector<xcb_window_t> topLevelWindows() const
    {
        std::vector<xcb_window_t> windows;
        for (uint32_t w : values(root(), atom("_NET_CLIENT_LIST"), XCB_ATOM_WINDOW)) windows.push_back(w);
        if (!windows.empty()) return windows;
        // No window manager list: the root's children are the top-level windows.
        xcb_query_tree_reply_t* tree = xcb_query_tree_reply(c_, xcb_query_tree(c_, root()), nullptr);
        if (tree) {
            xcb_window_t* children = xcb_query_tree_children(tree);
            windows.assign(children, children + xcb_query_tree_children_length(tree));
            std::free(tree);
        }
        return windows;
    }

private:
    xcb_connection_t* c_ = nullptr;
    xcb_screen_t* screen_ = nullptr;
};

