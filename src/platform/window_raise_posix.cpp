// X11 through xcb: the window class is WM_CLASS (instance or class name),
// activation is the _NET_ACTIVE_WINDOW request of the window manager.
#include "platform/window_raise.h"

#include "platform/file_io.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <strings.h>
#include <unistd.h>

#ifdef VOREL_HAVE_XCB
#include "platform/xcb_display.h"

namespace {

xcb_window_t rememberedWindow = XCB_WINDOW_NONE;

bool sameText(const std::string& a, const char* b)
{
    return ::strcasecmp(a.c_str(), b) == 0;
}

// Asks the window manager to activate w.
void activate(const XcbDisplay& d, xcb_window_t w)
{
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = w;
    message.type = d.atom("_NET_ACTIVE_WINDOW");
    message.data.data32[0] = 2;  // request from a pager-like tool: honoured as asked
    message.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(d.c(), 0, d.root(),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
    // Without a window manager nobody answers that request: raise it
    // here. A window manager would take a raise of ours for a request of
    // the window itself, which it may refuse.
    if (d.values(d.root(), d.atom("_NET_SUPPORTING_WM_CHECK"), XCB_ATOM_WINDOW).empty()) {
        const uint32_t above = XCB_STACK_MODE_ABOVE;
        xcb_configure_window(d.c(), w, XCB_CONFIG_WINDOW_STACK_MODE, &above);
    }
    // One round trip, so the server has handled both requests before
    // the connection closes: a busy server was seen to drop a raise
    // that was only flushed.
    std::free(xcb_get_input_focus_reply(d.c(), xcb_get_input_focus(d.c()), nullptr));
}

// The parent of a process, from /proc; 0 when unknown.
pid_t parentOf(pid_t pid)
{
    std::string line;
    if (!readWholeFile("/proc/" + std::to_string(pid) + "/stat", line, 4096)) return 0;
    line = line.substr(0, line.find('\n'));
    // "pid (name) state ppid ...": the name may hold blanks and parentheses.
    const std::size_t close = line.rfind(')');
    if (close == std::string::npos) return 0;
    char state = 0;
    int parent = 0;
    if (std::sscanf(line.c_str() + close + 1, " %c %d", &state, &parent) != 2) return 0;
    return parent;
}

// The windows that may be handed the focus: not ours, not a dock or desktop.
std::vector<xcb_window_t> candidates(const XcbDisplay& d)
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

xcb_window_t findCallerWindow(const XcbDisplay& d, const std::string& className)
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
    const XcbDisplay d;
    if (!d) return;
    const std::vector<uint32_t> active = d.values(d.root(), d.atom("_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW);
    if (!active.empty()) rememberedWindow = active.front();
}

bool raiseCallerWindow(const std::string& className)
{
    const XcbDisplay d;
    if (!d) return false;
    const xcb_window_t w = findCallerWindow(d, className);
    if (w == XCB_WINDOW_NONE) return false;
    activate(d, w);
    return true;
}

#else

void rememberActiveWindow() {}

bool raiseCallerWindow(const std::string&)
{
    return false;
}

#endif
