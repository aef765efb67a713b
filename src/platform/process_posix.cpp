#include "platform/process.h"

#include <cstdlib>
#include <unistd.h>

Text ownProgramPath()
{
    if (char* real = ::realpath("/proc/self/exe", nullptr)) {
        Text path = real;
        std::free(real);
        return path;
    }
    char buffer[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer);
    if (n > 0 && static_cast<std::size_t>(n) < sizeof buffer) return Text(buffer, static_cast<std::size_t>(n));
    return {};
}

Text environmentValue(const char* name)
{
    const char* value = name ? std::getenv(name) : nullptr;
    return value ? Text(value) : Text();
}
