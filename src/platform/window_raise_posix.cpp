// X11 through xcb: the window class is WM_CLASS (instance or class name),
// activation is the _NET_ACTIVE_WINDOW request of the window manager.
#include "platform/window_raise.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <vector>

#include <strings.h>
#include <unistd.h>

#ifdef VOREL_HAVE_XCB
#include <xcb/xcb.h>

namespace {

xcb_window_t rememberedWindow = XCB_WINDOW_NONE;

// One connection to the display named by DISPLAY, closed at the end of scope.
class Display {
public:
    Display()
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
    ~Display()
    {
        if (!c_) return;
        xcb_flush(c_);
        xcb_disconnect(c_);
    }
    Display(const Display&) = delete;
    Display& operator=(const Display&) = delete;

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

    void activate(xcb_window_t w) const
    {
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = w;
        message.type = atom("_NET_ACTIVE_WINDOW");
        message.data.data32[0] = 2;  // request from a pager-like tool: honoured as asked
        message.data.data32[1] = XCB_CURRENT_TIME;
        xcb_send_event(c_, 0, root(),
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&message));
        // Without a window manager nobody answers that request: raise it
        // here. A window manager would take a raise of ours for a request of
        // the window itself, which it may refuse.
        if (values(root(), atom("_NET_SUPPORTING_WM_CHECK"), XCB_ATOM_WINDOW).empty()) {
            const uint32_t above = XCB_STACK_MODE_ABOVE;
            xcb_configure_window(c_, w, XCB_CONFIG_WINDOW_STACK_MODE, &above);
        }
        // One round trip, so the server has handled both requests before
        // the connection closes: a busy server was seen to drop a raise
        // that was only flushed.
        std::free(xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr));
    }

private:
    xcb_connection_t* c_ = nullptr;
    xcb_screen_t* screen_ = nullptr;
};

bool sameText(const std::string& a, const char* b)
{
    return ::strcasecmp(a.c_str(), b) == 0;
}

// The parent of a process, from /proc; 0 when unknown.
pid_t parentOf(pid_t pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) return 0;
    // "pid (name) state ppid ...": the name may hold blanks and parentheses.
    const std::size_t close = line.rfind(')');
    if (close == std::string::npos) return 0;
    char state = 0;
    int parent = 0;
    if (std::sscanf(line.c_str() + close + 1, " %c %d", &state, &parent) != 2) return 0;
    return parent;
}

// The windows that may be handed the focus: not ours, not a dock or desktop.
std::vector<xcb_window_t> candidates(const Display& d)
{
    const xcb_atom_t pidAtom = d.atom("_NET_WM_PID");
    const xcb_atom_t typeAtom = d.atom("_NET_WM_WINDOW_TYPE");
    const std::array<xcb_atom_t, 2> excludedTypes = {d.atom("_NET_WM_WINDOW_TYPE_DOCK"),
                                                     d.atom("_NET_WM_WINDOW_TYPE_DESKTOP")};
    std::vector<xcb_window_t> result;
    for (xcb_window_t w : d.topLevelWindows()) {
        const std::vector<uint32_t> pid = d.values(w, pidAtom, XCB_ATOM_CARDINAL);
        if (!pid.empty() && pid.front() == uint32_t(::getpid())) continue;
        bool excluded = false;
        for (uint32_t type : d.values(w, typeAtom, XCB_ATOM_ATOM))
            for (xcb_atom_t bad : excludedTypes) excluded = excluded || (bad != XCB_ATOM_NONE && type == bad);
        if (!excluded) result.push_back(w);
    }
    return result;
}

xcb_window_t findCallerWindow(const Display& d, const std::string& className)
{
    for (xcb_window_t w : d.topLevelWindows())
        for (const std::string& name : d.classNames(w))
            if (name == className) return w;

    const std::vector<xcb_window_t> windows = candidates(d);
    for (xcb_window_t w : windows)
        if (w == rememberedWindow) return w;

    const xcb_atom_t pidAtom = d.atom("_NET_WM_PID");
    pid_t process = ::getppid();
    for (int depth = 0; process > 1 && depth < 16; ++depth, process = parentOf(process))
        for (xcb_window_t w : windows) {
            const std::vector<uint32_t> pid = d.values(w, pidAtom, XCB_ATOM_CARDINAL);
            if (!pid.empty() && pid.front() == uint32_t(process)) return w;
        }

    const char* const fileManagers[] = {"Thunar", "Nautilus", "org.gnome.Nautilus", "Dolphin",
                                        "Nemo",   "Caja",     "Pcmanfm",            "pcmanfm-qt"};
    for (xcb_window_t w : windows)
        for (const std::string& name : d.classNames(w))
            for (const char* manager : fileManagers)
                if (sameText(name, manager)) return w;
    return XCB_WINDOW_NONE;
}

}  // namespace

void rememberActiveWindow()
{
    const Display d;
    if (!d) return;
    const std::vector<uint32_t> active = d.values(d.root(), d.atom("_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW);
    if (!active.empty()) rememberedWindow = active.front();
}

bool raiseCallerWindow(const std::string& className)
{
    const Display d;
    if (!d) return false;
    const xcb_window_t w = findCallerWindow(d, className);
    if (w == XCB_WINDOW_NONE) return false;
    d.activate(w);
    return true;
}

#else

void rememberActiveWindow() {}

bool raiseCallerWindow(const std::string&)
{
    return false;
}

#endif
