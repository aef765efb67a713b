#include "platform/path.h"

bool isPathSeparator(char c) { return c == '/'; }

char pathSeparator() { return '/'; }

bool isSingleNameComponent(CodePage, std::string_view name)
{
    if (name.empty() || name == "." || name == "..") return false;
    return name.find('/') == std::string_view::npos && name.find('\0') == std::string_view::npos;
}
