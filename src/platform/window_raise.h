#pragma once
// Bringing the calling program's top-level window to the front.
#include <string>

// Notes the window that is active now (under X11 the root's
// _NET_ACTIVE_WINDOW): called at start, before this program shows a window,
// it is the window of the program that started us.
void rememberActiveWindow();

// Asks the window manager to activate the caller's window, the first found
// of: a top-level window whose window class is className; the window noted
// by rememberActiveWindow, while it still exists; a top-level window of the
// parent process (or of its parents, nearest first) by _NET_WM_PID; a window
// of a common file manager (Thunar, Nautilus, Dolphin, Nemo, Caja, PCManFM).
// This program's own windows, docks and desktops are never chosen. False
// when none was found or there is no display server to ask.
bool raiseCallerWindow(const std::string& className);
