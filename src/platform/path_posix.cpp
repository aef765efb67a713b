#include "platform/path.h"

bool isPathSeparator(char c) { return c == '/'; }

char pathSeparator() { return '/'; }

bool isSingleNameComponent(CodePage, const Text& name)
{
    if (name.empty() || name == "." || name == "..") return false;
    return name.find('/') == Text::npos && name.find('\0') == Text::npos;
}
