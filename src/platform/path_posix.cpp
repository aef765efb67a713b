#include "platform/path.h"

bool isPathSeparator(char c) { return c == '/'; }

char pathSeparator() { return '/'; }
