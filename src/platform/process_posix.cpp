#include "platform/process.h"

#include <cstdlib>
#include <fcntl.h>
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

Text currentBootId()
{
    const int fd = ::open("/proc/sys/kernel/random/boot_id", O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return {};
    char buffer[64];
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    ::close(fd);
    Text id(buffer, n > 0 ? static_cast<std::size_t>(n) : 0);
    while (!id.empty() && (id.back() == '\n' || id.back() == '\0')) id.pop_back();
    return id;
}
