// File-system services on POSIX (Linux).
#include "platform/fs_posix.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <utility>

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

bool sameEntry(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// The directory that holds the last element of path, and that element.
std::pair<Text, Text> parentAndName(const Text& path)
{
    std::size_t end = path.size();
    while (end > 1 && path[end - 1] == '/') --end;
    if (end == 1 && path[0] == '/') return {"/", "/"};
    const std::size_t slash = end == 0 ? Text::npos : path.rfind('/', end - 1);
    if (slash == Text::npos) return {".", path.substr(0, end)};
    return {slash == 0 ? Text("/") : path.substr(0, slash), path.substr(slash + 1, end - slash - 1)};
}

// A name in dir (ending in '/' or empty for the current one) that is not in
// use now; the caller still creates it without replacing anything.
Text uniqueTempPath(const Text& dirPrefix)
{
    static std::atomic<unsigned> counter{0};
    static const unsigned long seed = [] {
        std::random_device rd;
        return static_cast<unsigned long>(rd()) ^ static_cast<unsigned long>(::getpid());
    }();
    char name[64];
    std::snprintf(name, sizeof name, ".vorel-%lx-%x.tmp", seed, counter.fetch_add(1) * 2654435761u);
    return dirPrefix + name;
}

Text dirPrefixOf(const Text& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == Text::npos ? Text() : path.substr(0, slash + 1);
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

bool nameInDirectory(const Text& dir, const Text& name)
{
    bool found = false;
    forEachEntry(dir, [&](const dirent& e) {
        found = name == e.d_name;
        return !found;
    });
    return found;
}

// True where names in dir may be matched without regard to letter case: the
// FAT, exFAT, NTFS, SMB and ISO families, and casefolded ext4/f2fs
// directories. Elsewhere the name looked up is the name stored, and no
// listing is needed to find it.
bool mayFoldCase(const Text& dir)
{
    struct statfs fs;
    if (::statfs(dir.c_str(), &fs) != 0) return true;
    switch (static_cast<unsigned long>(fs.f_type)) {
    case 0x4d44:      // MSDOS / vfat
    case 0x2011BAB0:  // exFAT
    case 0x5346544e:  // NTFS (ntfs3, ntfs-3g reports fuseblk)
    case 0x65735546:  // FUSE (ntfs-3g and others): cannot tell
    case 0xFF534D42:  // CIFS
    case 0xFE534D42:  // SMB2
    case 0x517B:      // SMB
    case 0x9660:      // ISO 9660
    case 0x15013346:  // UDF
    case 0x482b:      // HFS+
        return true;
    default:
        break;
    }
#ifdef FS_CASEFOLD_FL
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    int flags = 0;
    const bool folded = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 && (flags & FS_CASEFOLD_FL);
    ::close(fd);
    return folded;
#else
    return false;
#endif
}

// mayFoldCase for the directory of the last lookup, asked again only when the
// directory or its device changes: a report looks up thousands of names in
// one directory.
bool mayFoldCaseCached(const Text& dir, dev_t device)
{
    thread_local Text lastDir;
    thread_local dev_t lastDevice = 0;
    thread_local bool lastAnswer = false;
    thread_local bool valid = false;
    if (!valid || device != lastDevice || dir != lastDir) {
        lastAnswer = mayFoldCase(dir);
        lastDir = dir;
        lastDevice = device;
        valid = true;
    }
    return lastAnswer;
}

bool writeAll(int fd, const char* bytes, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, bytes, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

class PosixTextFileWriter : public TextFileWriter {
public:
    explicit PosixTextFileWriter(int fd) : fd_(fd) {}
    ~PosixTextFileWriter() override
    {
        if (fd_ >= 0) ::close(fd_);
    }
    using TextFileWriter::write;
    bool write(const char* bytes, std::size_t size) override { return fd_ >= 0 && writeAll(fd_, bytes, size); }
    bool close() override
    {
        if (fd_ < 0) return false;
        const int fd = std::exchange(fd_, -1);
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

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
    if (!S_ISDIR(source.st_mode) && strategy_ != RenameStrategy::CheckThenRename) {
        if (linkThenUnlink(from, to)) return true;
        if (errno != EPERM) return false;
    }
    // Neither the flag nor hard links: look first. lstat also sees an empty
    // directory, which rename() would replace.
    struct stat target;
    if (::lstat(to.c_str(), &target) == 0) {
        errno = EEXIST;
        return false;
    }
    if (errno != ENOENT) return false;
    return std::rename(from.c_str(), to.c_str()) == 0;
}

bool PosixFileSystem::renameCaseOnly(const Text& from, const Text& to)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        const Text temp = uniqueTempPath(dirPrefixOf(to));
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

bool PosixFileSystem::renameEntry(const Text& from, const Text& to)
{
    if (from.empty() || to.empty()) return false;
    struct stat source;
    if (from == to) return ::lstat(from.c_str(), &source) == 0;
    if (moveNoReplace(from, to)) return true;
    if (errno != EEXIST) return false;

    // The new name is taken. By this same entry under another letter case
    // on a case-insensitive file system, or by another one (a hard link
    // counts as another file).
    struct stat target;
    if (::lstat(from.c_str(), &source) != 0 || ::lstat(to.c_str(), &target) != 0) return false;
    if (!sameEntry(source, target)) return false;
    const auto [dir, name] = parentAndName(to);
    if (nameInDirectory(dir, name)) return false;
    return renameCaseOnly(from, to);
}

EntryInfo PosixFileSystem::lookupEntry(const Text& path)
{
    EntryInfo info;
    struct stat st;
    if (path.empty() || ::lstat(path.c_str(), &st) != 0) return info;
    info.exists = true;
    if (S_ISDIR(st.st_mode)) {
        info.isDirectory = true;
    } else if (S_ISLNK(st.st_mode)) {
        struct stat followed;
        info.isDirectory = ::stat(path.c_str(), &followed) == 0 && S_ISDIR(followed.st_mode);
    }
    const auto [dir, name] = parentAndName(path);
    info.storedName = name;
    if (name == "/" || name == "." || name == "..") return info;

    // Where the file system folds case, the listing holds the stored form.
    if (!mayFoldCaseCached(dir, st.st_dev) || nameInDirectory(dir, name)) return info;
    const Text prefix = dir == "/" ? dir : dir + "/";
    forEachEntry(dir, [&](const dirent& e) {
        struct stat other;
        if (::lstat((prefix + e.d_name).c_str(), &other) == 0 && sameEntry(st, other)) {
            info.storedName = e.d_name;
            return false;
        }
        return true;
    });
    return info;
}

bool PosixFileSystem::listDirectory(const Text& dir, std::vector<DirEntry>& entries)
{
    entries.clear();
    const Text prefix = dir.empty() || dir.back() == '/' ? dir : dir + "/";
    return forEachEntry(dir, [&](const dirent& e) {
        DirEntry entry;
        entry.name = e.d_name;
        if (e.d_type == DT_DIR) {
            entry.isDirectory = true;
        } else if (e.d_type == DT_LNK || e.d_type == DT_UNKNOWN) {
            struct stat st;
            entry.isDirectory = ::stat((prefix + e.d_name).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
        }
        entries.push_back(std::move(entry));
        return true;
    });
}

bool PosixFileSystem::fileExists(const Text& path)
{
    struct stat st;
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

std::unique_ptr<TextFileWriter> PosixFileSystem::createTextFile(const Text& path)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return nullptr;
    return std::make_unique<PosixTextFileWriter>(fd);
}

bool PosixFileSystem::readFile(const Text& path, std::string& contents)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    std::string data;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            ::close(fd);
            return false;
        }
        if (n == 0) break;
        data.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    contents = std::move(data);
    return true;
}

bool PosixFileSystem::replaceFileAtomically(const Text& path, const std::string& contents)
{
    if (path.empty()) return false;
    // Through a symbolic link the file it points to is replaced, not the link.
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
    }

    Text temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = uniqueTempPath(dirPrefixOf(target));
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) return false;
    }
    if (fd < 0) return false;

    bool ok = true;
    if (exists) {
        ok = ::fchmod(fd, st.st_mode & 0777) == 0;
        if (ok && (st.st_uid != ::geteuid() || st.st_gid != ::getegid()))
            (void)!::fchown(fd, st.st_uid, st.st_gid);  // best effort, as its owner had it
    }
    ok = ok && writeAll(fd, contents.data(), contents.size()) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && std::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        return false;
    }
    // Make the rename itself durable; the replacement is done either way.
    const Text dir = dirPrefixOf(target);
    const int dfd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return true;
}

FileSystem& systemFileSystem()
{
    static PosixFileSystem fs;
    return fs;
}
