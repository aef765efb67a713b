// Stands in for the calling file manager: a top-level window of class
// "TolvaMainWin". Prints "front" and exits 0 once another window has been
// above it and it has come back to the top; exits 1 after 30 seconds.
#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

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

}  // namespace

int main()
{
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) return 2;
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_window_t w = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, w, screen->root, 0, 0, 300, 200, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
    const char wmClass[] = "tolva\0TolvaMainWin";
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                        sizeof wmClass, wmClass);
    const char* title = "Tolva";
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                        std::strlen(title), title);
    xcb_map_window(c, w);
    xcb_flush(c);
    std::printf("mapped\n");
    std::fflush(stdout);

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
