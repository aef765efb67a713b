// Stands in for the calling file manager: a top-level window of class
// "TolvaMainWin" (or --class NAME, titled --title TEXT) that carries its
// process id in _NET_WM_PID. With --run PROGRAM ARGS... it starts that
// program as its child once mapped, and prints "started PID". Prints
// "front" and exits 0 once another window has been above it and it has come
// back to the top (seen without a window manager only); exits 1 after 30
// seconds.
#include <xcb/xcb.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include <unistd.h>

namespace {

bool onTop(xcb_connection_t* c, xcb_window_t root, xcb_window_t w)
{
    xcb_query_tree_reply_t* tree = xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr);
    if (!tree) return false;
    const int n = xcb_query_tree_children_length(tree);
    xcb_window_t* children = xcb_query_tree_children(tree);
    // Children come bottom to top; look at the mapped ones only.
    xcb_window_t top = 0;
    for (int i = 0; i < n; ++i) {
        xcb_get_window_attributes_reply_t* a =
            xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, children[i]), nullptr);
        if (a && a->map_state == XCB_MAP_STATE_VIEWABLE) top = children[i];
        std::free(a);
    }
    std::free(tree);
    return top == w;
}

xcb_atom_t internAtom(xcb_connection_t* c, const char* name)
{
    xcb_intern_atom_reply_t* reply =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::strlen(name), name), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return atom;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string className = "TolvaMainWin";
    std::string title = "Tolva";
    char** run = nullptr;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--class" && i + 1 < argc) {
            className = argv[++i];
        } else if (arg == "--title" && i + 1 < argc) {
            title = argv[++i];
        } else if (arg == "--run" && i + 1 < argc) {
            run = argv + i + 1;
            break;
        }
    }
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) return 2;
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_window_t w = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, w, screen->root, 0, 0, 300, 200, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
    const std::string wmClass = "tolva" + std::string(1, '\0') + className + std::string(1, '\0');
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                        wmClass.size(), wmClass.data());
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                        title.size(), title.data());
    const uint32_t pid = uint32_t(::getpid());
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, internAtom(c, "_NET_WM_PID"), XCB_ATOM_CARDINAL,
                        32, 1, &pid);
    xcb_map_window(c, w);
    xcb_flush(c);
    std::printf("mapped\n");
    std::fflush(stdout);
    if (run) {
        std::signal(SIGCHLD, SIG_IGN);  // no zombie once the program ends
        const pid_t child = ::fork();
        if (child == 0) {
            std::signal(SIGCHLD, SIG_DFL);
            ::execvp(run[0], run);
            ::_exit(127);
        }
        std::printf("started %d\n", int(child));
        std::fflush(stdout);
    }

    bool covered = false;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < end) {
        const bool top = onTop(c, screen->root, w);
        if (!top) covered = true;
        if (top && covered) {
            std::printf("front\n");
            std::fflush(stdout);
            xcb_disconnect(c);
            return 0;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    xcb_disconnect(c);
    return 1;
}
