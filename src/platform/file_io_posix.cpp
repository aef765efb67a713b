// Whole-file reading and writing on POSIX: the settings file, the report and
// every other file the program reads whole.
#include "platform/file_io.h"

#include "platform/fs_posix.h"
#include "platform/path.h"
#include "platform/posix_io.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string_view>

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
    FileDescriptor fd(openRegularFile(path, O_WRONLY | O_CREAT | O_TRUNC, 0666));
    if (!fd) return nullptr;
    return std::make_unique<PosixTextFileWriter>(std::move(fd));
}

bool rewriteWholeFile(const Text& path, const std::string& contents)
{
    if (path.empty()) return false;
    // Through a symbolic link the file it points to is rewritten, not the link.
    Text target = path;
    struct stat st;
    bool exists = false;
    if (::lstat(path.c_str(), &st) == 0) {
        if (S_ISLNK(st.st_mode)) {
            if (char* real = ::realpath(path.c_str(), nullptr)) {
                target = real;
                std::free(real);
            }
        }
        exists = ::stat(target.c_str(), &st) == 0;
        if (exists && !S_ISREG(st.st_mode)) return false;
        if (exists && !mayWrite(target, st, W_OK)) {
            errno = EACCES;
            return false;
        }
    }
    const Text dir = folderAndName(target).folder;
    struct stat dirSt;
    const bool dirWritable = ::stat(dir.c_str(), &dirSt) == 0 && mayWrite(dir, dirSt, W_OK | X_OK);

    Text temp;
    FileDescriptor fd;
    for (int attempt = 0; dirWritable && attempt < 100 && !fd; ++attempt) {
        temp = rewriteTempPath(target);
        fd = FileDescriptor(::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, exists ? 0600 : 0666));
        if (!fd && errno != EEXIST) break;
    }
    if (!fd) {
        if (!exists || (dirWritable && errno != EACCES && errno != EPERM)) return false;
        FileDescriptor inPlace(openRegularFile(target, O_RDWR));
        if (!inPlace) return false;
        const bool ok = rewriteInPlace(inPlace.get(), contents);
        return inPlace.close() && ok;
    }

    bool ok = true;
    if (exists) {
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
    const FileDescriptor dfd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dfd) ::fsync(dfd.get());
    return true;
}
