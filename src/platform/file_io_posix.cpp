// Whole-file reading and writing on POSIX: the settings file, the report and
// every other file the program reads whole.
#include "platform/file_io.h"

#include "platform/fs_posix.h"
#include "platform/path.h"
#include "platform/posix_io.h"

#include <algorithm>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string_view>
#include <sys/file.h>
#include <time.h>
#include <vector>

namespace {

bool writeAllAt(int fd, const char* bytes, std::size_t size, off_t offset)
{
    while (size > 0) {
        const ssize_t n = retryOnEintr([&] { return ::pwrite(fd, bytes, size, offset); });
        if (n < 0) return false;
        bytes += n;
        size -= static_cast<std::size_t>(n);
        offset += n;
    }
    return true;
}

bool readAllAt(int fd, char* bytes, std::size_t size, off_t offset)
{
    while (size > 0) {
        const ssize_t n = retryOnEintr([&] { return ::pread(fd, bytes, size, offset); });
        if (n <= 0) return false;
        bytes += n;
        size -= static_cast<std::size_t>(n);
        offset += n;
    }
    return true;
}

// Write permission as the user has it, and never for a file or directory
// without any write bit, even for root (as a read-only file is on Windows).
bool mayWrite(const Text& path, const struct stat& st, int how)
{
    return (st.st_mode & 0222) != 0 && ::faccessat(AT_FDCWD, path.c_str(), how, AT_EACCESS) == 0;
}

// Temporary files of a rewrite: ".vorel-<file name>-<pid>-<n>.tmp" beside the
// file, so that what a killed write left can be told from another
// process's write in progress.
Text rewriteTempNamePrefix(const Text& target)
{
    return ".vorel-" + folderAndName(target).name + "-";
}

Text rewriteTempPath(const Text& target)
{
    return pathInFolder(folderAndName(target).folder, rewriteTempNamePrefix(target)) +
           std::to_string(::getpid()) + "-" + randomTag() + ".tmp";
}

// Removes the temporary files of earlier rewrites of target whose process
// is gone.
void removeLeftoverTemps(const Text& target)
{
    const Text namePrefix = rewriteTempNamePrefix(target);
    const Text dir = folderAndName(target).folder;
    StringList leftovers;
    forEachEntry(dir, [&](const dirent& e) {
        const std::string_view name = e.d_name;
        if (!name.starts_with(namePrefix) || !name.ends_with(".tmp")) return true;
        const long pid = std::strtol(e.d_name + namePrefix.size(), nullptr, 10);
        if (pid <= 0 || (pid != ::getpid() && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH)))
            return true;
        leftovers.push_back(pathInFolder(dir, e.d_name));
        return true;
    });
    for (const Text& path : leftovers) {
        struct stat st;
        if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) ::unlink(path.c_str());
    }
}

// The file a write to path reaches, following the links at its end. A link
// carries a write only to a file of its own owner, as the kernel has it in
// world-writable sticky folders: a link that someone else placed to a file
// of ours (or of root's), or a link to nothing, is refused (EACCES), so that
// a write never lands in another user's file nor creates one through a link.
// exists tells whether the file is there.
bool writeTarget(const Text& path, Text& target, bool& exists)
{
    Text current = path;
    std::vector<uid_t> linkOwners;
    for (int hop = 0; hop <= 40; ++hop) {
        struct stat st;
        if (::lstat(current.c_str(), &st) != 0) {
            if (!linkOwners.empty()) {
                errno = EACCES;
                return false;
            }
            if (errno != ENOENT) return false;
            target = current;
            exists = false;
            return true;
        }
        if (!S_ISLNK(st.st_mode)) {
            for (const uid_t owner : linkOwners) {
                if (owner != st.st_uid) {
                    errno = EACCES;
                    return false;
                }
            }
            target = current;
            exists = true;
            return true;
        }
        linkOwners.push_back(st.st_uid);
        std::string destination(PATH_MAX, '\0');
        const ssize_t n = ::readlink(current.c_str(), destination.data(), destination.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= destination.size()) {
            errno = EACCES;
            return false;
        }
        destination.resize(static_cast<std::size_t>(n));
        current = destination[0] == '/' ? destination : pathInFolder(folderAndName(current).folder, destination);
    }
    errno = ELOOP;
    return false;
}

// Rewrites an open regular file in place: the part that grows the file
// first (so a full disk fails before anything is overwritten), then the
// rest, then the new end; flushed. A failed overwrite puts the old bytes
// back as far as it can.
bool rewriteInPlace(int fd, const std::string& contents)
{
    struct stat st;
    if (::fstat(fd, &st) != 0) return false;
    const std::size_t oldSize = static_cast<std::size_t>(st.st_size);
    const std::size_t common = std::min(oldSize, contents.size());
    if (contents.size() > oldSize &&
        !writeAllAt(fd, contents.data() + oldSize, contents.size() - oldSize, static_cast<off_t>(oldSize))) {
        (void)!::ftruncate(fd, static_cast<off_t>(oldSize));
        return false;
    }
    std::string old(common, '\0');
    if (!readAllAt(fd, old.data(), common, 0)) {
        (void)!::ftruncate(fd, static_cast<off_t>(oldSize));
        return false;
    }
    if (!writeAllAt(fd, contents.data(), common, 0)) {
        writeAllAt(fd, old.data(), common, 0);
        (void)!::ftruncate(fd, static_cast<off_t>(oldSize));
        return false;
    }
    if (contents.size() < oldSize && ::ftruncate(fd, static_cast<off_t>(contents.size())) != 0) return false;
    return ::fsync(fd) == 0;
}

class PosixTextFileWriter : public TextFileWriter {
public:
    explicit PosixTextFileWriter(FileDescriptor fd) : fd_(std::move(fd)) {}
    using TextFileWriter::write;
    bool write(const char* bytes, std::size_t size) override { return fd_ && writeAll(fd_.get(), bytes, size); }
    bool close() override { return fd_.close(); }

private:
    FileDescriptor fd_;
};

}  // namespace

int openRegularFile(const Text& path, int flags, mode_t mode)
{
    struct stat st;
    if (path.empty()) {
        errno = ENOENT;
        return -1;
    }
    if (::stat(path.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode)) {
            errno = EINVAL;
            return -1;
        }
        // A file without any write bit is never written, even by root.
        if ((flags & O_ACCMODE) != O_RDONLY && (st.st_mode & 0222) == 0) {
            errno = EACCES;
            return -1;
        }
    }
    FileDescriptor fd(::open(path.c_str(), flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, mode));
    if (!fd) return -1;
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        errno = EINVAL;
        return -1;
    }
    const int fl = ::fcntl(fd.get(), F_GETFL);
    if (fl >= 0) ::fcntl(fd.get(), F_SETFL, fl & ~O_NONBLOCK);
    return fd.release();
}

LockOutcome lockForWriting(int fd)
{
    // A second writer waits for the first; one that holds on for longer
    // than a write takes is taken for hung, and this write fails.
    constexpr int Attempts = 250;
    const timespec pause{0, 20 * 1000 * 1000};
    for (int attempt = 0; attempt < Attempts; ++attempt) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return LockOutcome::Held;
        if (errno != EWOULDBLOCK && errno != EINTR) return LockOutcome::Refused;
        ::nanosleep(&pause, nullptr);
    }
    errno = EWOULDBLOCK;
    return LockOutcome::TimedOut;
}

ReadResult readWholeFile(const Text& path, std::string& contents, std::size_t maxBytes)
{
    FileDescriptor fd(openRegularFile(path, O_RDONLY));
    if (!fd) {
        if (errno == ENOENT || errno == ENOTDIR) return {ReadStatus::Missing};
        return {errno == EINVAL ? ReadStatus::NotRegular : ReadStatus::Unreadable};
    }
    struct stat st;
    std::string data;
    if (::fstat(fd.get(), &st) == 0) data.reserve(std::min(static_cast<std::size_t>(st.st_size), maxBytes));
    // One byte past the bound tells a file that is larger from one that
    // ends there.
    char buffer[65536];
    bool more = false;
    for (;;) {
        const std::size_t left = maxBytes - data.size();
        const std::size_t want = left < sizeof buffer ? left + 1 : sizeof buffer;
        const ssize_t n = retryOnEintr([&] { return ::read(fd.get(), buffer, want); });
        if (n < 0) return {ReadStatus::Unreadable};
        if (n == 0) break;
        const std::size_t got = static_cast<std::size_t>(n);
        if (got > left) {
            data.append(buffer, left);
            more = true;
            break;
        }
        data.append(buffer, got);
    }
    contents = std::move(data);
    return {more ? ReadStatus::TooLarge : ReadStatus::Whole};
}

std::unique_ptr<TextFileWriter> createTextFileWriter(const Text& path)
{
    Text target;
    bool exists = false;
    FileDescriptor fd;
    // A file made meanwhile under the name is looked at again, once.
    for (int attempt = 0; attempt < 2 && !fd; ++attempt) {
        if (!writeTarget(path, target, exists)) return nullptr;
        fd = FileDescriptor(openRegularFile(target, O_WRONLY | O_NOFOLLOW | (exists ? 0 : O_CREAT | O_EXCL), 0666));
        if (!fd && (exists || errno != EEXIST)) return nullptr;
    }
    if (!fd) return nullptr;
    // Emptied only once this writer has the file to itself, so that a
    // second writer never cuts the first one's text short under it.
    if (lockForWriting(fd.get()) == LockOutcome::TimedOut || ::ftruncate(fd.get(), 0) != 0) return nullptr;
    return std::make_unique<PosixTextFileWriter>(std::move(fd));
}

namespace {

// One writer's turn at a file: where the write goes, and the lock it holds
// from its read of the file to the end of its write.
struct WriteTurn {
    Text target;
    bool exists = false;
    struct stat st {};
    bool dirWritable = false;
    FileDescriptor folder;   // locked for a replacement by rename
    FileDescriptor inPlace;  // locked for a rewrite in place
};

// Waits for the turn to write path; false when the file cannot be written
// (errno tells why) or another writer held on for too long.
bool takeWriteTurn(const Text& path, WriteTurn& turn)
{
    if (path.empty()) return false;
    // Through a link the file it leads to is rewritten, not the link.
    if (!writeTarget(path, turn.target, turn.exists)) return false;
    if (turn.exists) {
        if (::lstat(turn.target.c_str(), &turn.st) != 0 || !S_ISREG(turn.st.st_mode)) return false;
        if (!mayWrite(turn.target, turn.st, W_OK)) {
            errno = EACCES;
            return false;
        }
    }
    const Text dir = folderAndName(turn.target).folder;
    struct stat dirSt;
    turn.dirWritable = ::stat(dir.c_str(), &dirSt) == 0 && mayWrite(dir, dirSt, W_OK | X_OK);

    // Writers take turns. A rewrite that replaces the file locks its folder,
    // which stays while the file is replaced, and needs no lock file left
    // beside it; one in place locks the file itself.
    if (turn.dirWritable) {
        turn.folder = FileDescriptor(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        return !turn.folder || lockForWriting(turn.folder.get()) != LockOutcome::TimedOut;
    }
    if (!turn.exists) return true;
    turn.inPlace = FileDescriptor(openRegularFile(turn.target, O_RDWR | O_NOFOLLOW));
    return turn.inPlace && lockForWriting(turn.inPlace.get()) != LockOutcome::TimedOut;
}

bool rewriteInTurn(WriteTurn& turn, const std::string& contents)
{
    const Text& target = turn.target;
    Text temp;
    FileDescriptor fd;
    for (int attempt = 0; turn.dirWritable && attempt < 100 && !fd; ++attempt) {
        temp = rewriteTempPath(target);
        fd = FileDescriptor(
            ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, turn.exists ? 0600 : 0666));
        if (!fd && errno != EEXIST) break;
    }
    if (!fd) {
        if (!turn.exists || (turn.dirWritable && errno != EACCES && errno != EPERM)) return false;
        // A folder that refused the temporary file after all: the file's
        // own lock as well.
        if (!turn.inPlace) {
            turn.inPlace = FileDescriptor(openRegularFile(target, O_RDWR | O_NOFOLLOW));
            if (!turn.inPlace || lockForWriting(turn.inPlace.get()) == LockOutcome::TimedOut) return false;
        }
        const bool ok = rewriteInPlace(turn.inPlace.get(), contents);
        return turn.inPlace.close() && ok;
    }

    bool ok = true;
    if (turn.exists) {
        const struct stat& st = turn.st;
        // Owner and group where the user may set them, then the mode (a
        // change of owner may clear some of its bits).
        if ((st.st_uid != ::geteuid() || st.st_gid != ::getegid()) && ::fchown(fd.get(), st.st_uid, st.st_gid) != 0)
            (void)!::fchown(fd.get(), static_cast<uid_t>(-1), st.st_gid);
        ok = ::fchmod(fd.get(), st.st_mode & 07777) == 0;
    }
    ok = ok && writeAll(fd.get(), contents.data(), contents.size()) && ::fsync(fd.get()) == 0;
    ok = fd.close() && ok;
    ok = ok && std::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        return false;
    }
    removeLeftoverTemps(target);
    // Make the rename itself durable; the replacement is done either way.
    if (turn.folder) ::fsync(turn.folder.get());
    return true;
}

}  // namespace

bool rewriteWholeFile(const Text& path, const std::string& contents)
{
    WriteTurn turn;
    return takeWriteTurn(path, turn) && rewriteInTurn(turn, contents);
}

bool editWholeFile(const Text& path, std::size_t maxBytes, const FileSystem::FileEdit& edit)
{
    // The file is read within the turn, so that another writer's change
    // made meanwhile is not written over with what was read before it.
    WriteTurn turn;
    const bool ready = takeWriteTurn(path, turn);
    std::string contents;
    const ReadResult read = readWholeFile(path, contents, maxBytes);
    if (!edit(read, contents)) return true;
    return ready && rewriteInTurn(turn, contents);
}
