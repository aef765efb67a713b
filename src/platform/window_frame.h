#pragma once
// The frame a window manager has put around one of this program's windows.
#include <cstdint>
#include <optional>

struct FrameExtents {
    int left = 0;
    int right = 0;
    int top = 0;
    int bottom = 0;
};

// The frame of the native window, once the window manager has told it;
// nullopt before that, without a window manager or without a display server.
std::optional<FrameExtents> windowFrameExtents(std::uintptr_t window);
