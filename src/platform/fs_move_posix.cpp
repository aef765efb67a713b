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

using At = EntryAt;

int renameNoReplaceCall(At from, At to)
{
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 28))
    return ::renameat2(from.dir, from.name, to.dir, to.name, RENAME_NOREPLACE);
#elif defined(SYS_renameat2)
    return static_cast<int>(::syscall(SYS_renameat2, from.dir, from.name, to.dir, to.name, RENAME_NOREPLACE));
#else
    errno = ENOSYS;
    return -1;
#endif
}

bool flagRefused(int err) { return err == EINVAL || err == ENOSYS || err == ENOTSUP || err == EOPNOTSUPP; }

bool linkThenUnlink(At from, At to)
{
    if (::linkat(from.dir, from.name, to.dir, to.name, 0) != 0) return false;
    if (::unlinkat(from.dir, from.name, 0) != 0) {
        const int err = errno;
        ::unlinkat(to.dir, to.name, 0);
        errno = err;
        return false;
    }
    return true;
}

// The name to, taken by this program: an empty file (for a directory, an
// empty directory) that nobody else can create now, with no permissions so
// that nobody else writes into it.
struct Reservation {
    bool made = false;
    struct stat entry {};
};

Reservation reserve(At to, bool directory)
{
    Reservation r;
    if (directory) {
        if (::mkdirat(to.dir, to.name, 0) != 0) return r;
        r.made = lstatAt(to, r.entry);
    } else {
        const FileDescriptor fd(::openat(to.dir, to.name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0));
        if (!fd) return r;
        r.made = ::fstat(fd.get(), &r.entry) == 0;
    }
    if (!r.made) {
        const int err = errno;
        ::unlinkat(to.dir, to.name, directory ? AT_REMOVEDIR : 0);
        errno = err;
    }
    return r;
}

// The entry under to is still the reservation, untouched.
bool stillReserved(At to, const Reservation& r)
{
    struct stat now;
    return lstatAt(to, now) && sameEntry(now, r.entry) && (now.st_mode & S_IFMT) == (r.entry.st_mode & S_IFMT) &&
           (S_ISDIR(now.st_mode) || now.st_size == 0);
}

void release(At to, const Reservation& r)
{
    if (!stillReserved(to, r)) return;
    ::unlinkat(to.dir, to.name, S_ISDIR(r.entry.st_mode) ? AT_REMOVEDIR : 0);
}

// Where neither RENAME_NOREPLACE nor hard links work: a plain rename may
// replace, so it only ever goes onto a reservation of the new name.
bool renameOntoReservation(At from, At to, bool directory)
{
    // A kill between the reservation and the rename would leave the empty
    // reservation beside the file: hold the usual signals off until the
    // reservation is either the file or gone.
    const SignalsHeldOff held;
    const Reservation r = reserve(to, directory);
    if (!r.made) return false;
    if (!stillReserved(to, r)) {
        // Whatever is there now is not ours to remove.
        errno = EEXIST;
        return false;
    }
    if (::renameat(from.dir, from.name, to.dir, to.name) == 0) return true;
    const int err = errno;
    release(to, r);
    errno = err;
    return false;
}

}  // namespace

bool PosixFileSystem::moveNoReplace(At from, At to)
{
    if (strategy_ == RenameStrategy::Native) {
        if (renameNoReplaceCall(from, to) == 0) return true;
        if (!flagRefused(errno)) return false;
    }
    struct stat source;
    if (!lstatAt(from, source)) return false;
    const bool directory = S_ISDIR(source.st_mode);
    if (!directory && strategy_ != RenameStrategy::ReserveThenRename) {
        if (linkThenUnlink(from, to)) return true;
        if (errno != EPERM && !flagRefused(errno)) return false;
    }
    return renameOntoReservation(from, to, directory);
}

bool PosixFileSystem::renameCaseOnly(At from, At to)
{
    // A kill between the two steps would leave the file under its temporary
    // name: hold the usual signals off until both are done.
    const SignalsHeldOff held;
    // The temporary name goes into the same directory: beside the name held
    // relative to the open directory, or into the path's own folder.
    const Text given = from.name;
    const auto [folder, name] = folderAndName(given);
    // A tagged name is the one a journal recorded: it is not varied.
    const int attempts = caseTempTag_.empty() ? 100 : 1;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        const Text tempName = caseTempName(name, caseTempTag_.empty() ? randomTag() : caseTempTag_);
        const Text temp = from.dir == AT_FDCWD ? pathInFolder(folder, tempName) : tempName;
        const At tempAt{from.dir, temp.c_str()};
        if (!moveNoReplace(from, tempAt)) {
            if (errno == EEXIST) continue;
            return false;
        }
        if (moveNoReplace(tempAt, to)) return true;
        const int err = errno;
        moveNoReplace(tempAt, from);
        errno = err;
        return false;
    }
    return false;
}
