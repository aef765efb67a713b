#pragma once
// Bringing another program's top-level window to the front.
#include <string>

// Looks for a top-level window whose window class is className and asks the
// window manager to activate it. False when no such window was found or
// there is no display server to ask (this program's windows are untouched).
bool raiseWindowOfClass(const std::string& className);
