#pragma once
// Small POSIX pieces the platform files share; not for use outside platform/.
#include "platform/text.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

// A file descriptor that closes itself. The close on the way out keeps errno
// as the failure that led there left it.
class FileDescriptor {
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept
    {
        if (this != &other) {
            discard();
            fd_ = std::exchange(other.fd_, -1);
        }
        return *this;
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() { discard(); }

    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    int release() { return std::exchange(fd_, -1); }

    // Closes now and says whether the close went well: a write the system
    // deferred may fail only here.
    bool close() { return fd_ >= 0 && ::close(std::exchange(fd_, -1)) == 0; }

private:
    void discard()
    {
        if (fd_ < 0) return;
        const int err = errno;
        ::close(std::exchange(fd_, -1));
        errno = err;
    }

    int fd_ = -1;
};

// Calls a system call again for as long as a signal interrupts it.
template <typename Call>
auto retryOnEintr(Call call) -> decltype(call())
{
    decltype(call()) result;
    do {
        result = call();
    } while (result == -1 && errno == EINTR);
    return result;
}

// Writes all of bytes; false on the first failure (errno tells which).
inline bool writeAll(int fd, const char* bytes, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = retryOnEintr([&] { return ::write(fd, bytes, size); });
        if (n < 0) return false;
        bytes += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// An entry named relative to an open directory, or (dir AT_FDCWD) a path as
// given.
struct EntryAt {
    int dir;
    const char* name;
};

inline bool lstatAt(EntryAt at, struct stat& st)
{
    return ::fstatat(at.dir, at.name, &st, AT_SYMLINK_NOFOLLOW) == 0;
}

inline bool sameEntry(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// A short random tag, different at every call.
inline std::string randomTag()
{
    static std::atomic<unsigned> counter{0};
    static const unsigned long seed = [] {
        std::random_device rd;
        return static_cast<unsigned long>(rd()) ^ static_cast<unsigned long>(::getpid());
    }();
    char tag[40];
    std::snprintf(tag, sizeof tag, "%lx-%x", seed, counter.fetch_add(1) * 2654435761u);
    return tag;
}

// Calls f for each entry of dir but "." and ".."; f returns false to stop.
// False when the directory cannot be read to its end (or to the stop).
template <typename F>
bool forEachEntry(const Text& dir, F f)
{
    DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
    if (!d) return false;
    bool ok = true;
    for (;;) {
        errno = 0;
        const dirent* e = ::readdir(d);
        if (!e) {
            ok = errno == 0;
            break;
        }
        const char* n = e->d_name;
        if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0))) continue;
        if (!f(*e)) break;
    }
    ::closedir(d);
    return ok;
}
