// The never-replacing move on POSIX: renameat2 with RENAME_NOREPLACE, else a
// hard link and an unlink, else a rename onto a reservation of the new name;
// and the two-step rename of a change of letter case alone.
#include "platform/fs_posix.h"

#include "platform/codepage.h"
#include "platform/codepage_walk.h"
#include "platform/path.h"
#include "platform/posix_io.h"
#include "platform/signals_held.h"

#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <sys/syscall.h>

#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif

namespace {

int renameNoReplaceCall(const char* from, const char* to)
{
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 28))
    return ::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE);
#elif defined(SYS_renameat2)
    return static_cast<int>(::syscall(SYS_renameat2, AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE));
#else
    errno = ENOSYS;
    return -1;
#endif
}

bool flagRefused(int err) { return err == EINVAL || err == ENOSYS || err == ENOTSUP || err == EOPNOTSUPP; }

// The temporary name of a case-only rename, "<name>.vorel-case-<random>",
// so that a user who finds it after a crash sees whose file it is. A long
// name is cut at a character boundary to keep within NAME_MAX.
Text caseTempName(const Text& name)
{
    const Text suffix = ".vorel-case-" + randomTag();
    const std::size_t room = NAME_MAX - suffix.size();
    if (name.size() <= room) return name + suffix;
    const CodePage cp = activeCodePage();
    std::size_t cut = 0;
    while (cut < name.size()) {
        const std::size_t next = cut + codepage_walk::charLengthIn(cp, name.data() + cut, name.size() - cut);
        if (next > room) break;
        cut = next;
    }
    return name.substr(0, cut) + suffix;
}

// The name to, taken by this program: an empty file (for a directory, an
// empty directory) that nobody else can create now, with no permissions so
// that nobody else writes into it.
struct Reservation {
    bool made = false;
    struct stat entry {};
};

Reservation reserve(const Text& to, bool directory)
{
    Reservation r;
    if (directory) {
        if (::mkdir(to.c_str(), 0) != 0) return r;
        r.made = ::lstat(to.c_str(), &r.entry) == 0;
    } else {
        const FileDescriptor fd(::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0));
        if (!fd) return r;
        r.made = ::fstat(fd.get(), &r.entry) == 0;
    }
    if (!r.made) {
        const int err = errno;
        directory ? ::rmdir(to.c_str()) : ::unlink(to.c_str());
        errno = err;
    }
    return r;
}

// The entry under to is still the reservation, untouched.
bool stillReserved(const Text& to, const Reservation& r)
{
    struct stat now;
    return ::lstat(to.c_str(), &now) == 0 && sameEntry(now, r.entry) &&
           (now.st_mode & S_IFMT) == (r.entry.st_mode & S_IFMT) &&
           (S_ISDIR(now.st_mode) || now.st_size == 0);
}

void release(const Text& to, const Reservation& r)
{
    if (!stillReserved(to, r)) return;
    S_ISDIR(r.entry.st_mode) ? ::rmdir(to.c_str()) : ::unlink(to.c_str());
}

// Where neither RENAME_NOREPLACE nor hard links work: a plain rename may
// replace, so it only ever goes onto a reservation of the new name.
bool renameOntoReservation(const Text& from, const Text& to, bool directory)
{
    const Reservation r = reserve(to, directory);
    if (!r.made) return false;
    if (!stillReserved(to, r)) {
        errno = EEXIST;
        return false;
    }
    if (std::rename(from.c_str(), to.c_str()) == 0) return true;
    const int err = errno;
    release(to, r);
    errno = err;
    return false;
}

}  // namespace

bool PosixFileSystem::linkThenUnlink(const Text& from, const Text& to)
{
    if (::linkat(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), 0) != 0) return false;
    if (::unlink(from.c_str()) != 0) {
        const int err = errno;
        ::unlink(to.c_str());
        errno = err;
        return false;
    }
    return true;
}

bool PosixFileSystem::moveNoReplace(const Text& from, const Text& to)
{
    if (strategy_ == RenameStrategy::Native) {
        if (renameNoReplaceCall(from.c_str(), to.c_str()) == 0) return true;
        if (!flagRefused(errno)) return false;
    }
    struct stat source;
    if (::lstat(from.c_str(), &source) != 0) return false;
    const bool directory = S_ISDIR(source.st_mode);
    if (!directory && strategy_ != RenameStrategy::ReserveThenRename) {
        if (linkThenUnlink(from, to)) return true;
        if (errno != EPERM && !flagRefused(errno)) return false;
    }
    return renameOntoReservation(from, to, directory);
}

bool PosixFileSystem::renameCaseOnly(const Text& from, const Text& to)
{
    // A kill between the two steps would leave the file under its temporary
    // name: hold the usual signals off until both are done.
    const SignalsHeldOff held;
    const auto [folder, name] = folderAndName(from);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const Text temp = pathInFolder(folder, caseTempName(name));
        if (!moveNoReplace(from, temp)) {
            if (errno == EEXIST) continue;
            return false;
        }
        if (moveNoReplace(temp, to)) return true;
        const int err = errno;
        moveNoReplace(temp, from);
        errno = err;
        return false;
    }
    return false;
}
