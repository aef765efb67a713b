// File-system services on POSIX (Linux).
#include "platform/fs_posix.h"

#include "platform/codepage.h"
#include "platform/codepage_walk.h"
#include "platform/signals_held.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
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
#include <string_view>
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

// A short random tag, different at every call.
std::string randomTag()
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

// True where names in dir may be matched without regard to letter case: the
// FAT, exFAT, NTFS, SMB and ISO families, FUSE, and casefolded ext4/f2fs
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
    case 0x65735546:  // FUSE (exfat-fuse, ntfs-3g and others): cannot tell
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

// Two spellings of one name that a case-insensitive file system may take
// for the same entry. Only a key to find candidates: a match is confirmed on
// disk.
Text foldKey(const Text& name)
{
    return toUpperText(activeCodePage(), name);
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

bool writeAllAt(int fd, const char* bytes, std::size_t size, off_t offset)
{
    while (size > 0) {
        const ssize_t n = ::pwrite(fd, bytes, size, offset);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes += n;
        size -= static_cast<std::size_t>(n);
        offset += n;
    }
    return true;
}

bool readAllAt(int fd, char* bytes, std::size_t size, off_t offset)
{
    while (size > 0) {
        const ssize_t n = ::pread(fd, bytes, size, offset);
        if (n < 0 && errno == EINTR) continue;
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
Text rewriteTempPrefix(const Text& target)
{
    return dirPrefixOf(target) + ".vorel-" + parentAndName(target).second + "-";
}

Text rewriteTempPath(const Text& target)
{
    return rewriteTempPrefix(target) + std::to_string(::getpid()) + "-" + randomTag() + ".tmp";
}

// Removes the temporary files of earlier rewrites of target whose process
// is gone.
void removeLeftoverTemps(const Text& target)
{
    const Text prefix = rewriteTempPrefix(target);
    const std::size_t slash = dirPrefixOf(target).size();
    const Text namePrefix = prefix.substr(slash);
    const Text dir = slash == 0 ? Text(".") : target.substr(0, slash);
    StringList leftovers;
    forEachEntry(dir, [&](const dirent& e) {
        const std::string_view name = e.d_name;
        if (!name.starts_with(namePrefix) || !name.ends_with(".tmp")) return true;
        const long pid = std::strtol(e.d_name + namePrefix.size(), nullptr, 10);
        if (pid <= 0 || (pid != ::getpid() && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH)))
            return true;
        leftovers.push_back(dirPrefixOf(target) + e.d_name);
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

// What a batch knows of one directory: whether it may fold case and, once
// asked for, the names it holds with their types, read in one pass.
class PosixFileSystem::Directory {
public:
    explicit Directory(const Text& dir) : path_(dir), mayFoldCase_(::mayFoldCase(dir)) {}

    bool mayFoldCase() const { return mayFoldCase_; }

    // The listing, read on first use; false when it could not be read.
    bool listed(int& reads)
    {
        if (!read_) {
            read_ = true;
            ++reads;
            complete_ = forEachEntry(path_, [&](const dirent& e) {
                types_.emplace(e.d_name, e.d_type);
                return true;
            });
        }
        return complete_;
    }

    // The type (a DT_ value) of the entry spelled exactly so, if listed.
    const unsigned char* typeOf(const Text& name) const
    {
        const auto it = types_.find(name);
        return it == types_.end() ? nullptr : &it->second;
    }

    // The listed names that may be name under another letter case. The
    // folded index is made on the first call: most look-ups never need it.
    const std::vector<Text>* sameFold(const Text& name)
    {
        if (!folded_) {
            folded_ = true;
            for (const auto& entry : types_) byFold_[foldKey(entry.first)].push_back(entry.first);
        }
        const auto it = byFold_.find(foldKey(name));
        return it == byFold_.end() ? nullptr : &it->second;
    }

    const std::unordered_map<Text, unsigned char>& entries() const { return types_; }

    // Keeps a read listing in step with a rename done by this program.
    void renamed(const Text& from, const Text& to)
    {
        if (!read_) return;
        const auto it = types_.find(from);
        const unsigned char type = it == types_.end() ? static_cast<unsigned char>(DT_UNKNOWN) : it->second;
        if (it != types_.end()) {
            if (folded_) {
                std::vector<Text>& fold = byFold_[foldKey(from)];
                fold.erase(std::find(fold.begin(), fold.end(), from));
            }
            types_.erase(it);
        }
        if (types_.emplace(to, type).second && folded_) byFold_[foldKey(to)].push_back(to);
    }

private:

    Text path_;
    bool mayFoldCase_;
    bool read_ = false;
    bool complete_ = false;
    bool folded_ = false;
    std::unordered_map<Text, unsigned char> types_;
    std::unordered_map<Text, std::vector<Text>> byFold_;
};

// "<name>.vorel-case-<tag>", so that a user who finds it after a crash sees
// whose file it is. A long name is cut at a character boundary to keep
// within NAME_MAX.
Text caseTempName(const Text& name, const Text& tag)
{
    const Text suffix = ".vorel-case-" + tag;
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

PosixFileSystem::PosixFileSystem(RenameStrategy strategy) : strategy_(strategy) {}

PosixFileSystem::~PosixFileSystem() = default;

void PosixFileSystem::endBatch()
{
    if (batchDepth_ > 0) --batchDepth_;
    forgetOutsideBatch();
}

void PosixFileSystem::forgetOutsideBatch()
{
    if (batchDepth_ == 0) directories_.clear();
}

PosixFileSystem::Directory& PosixFileSystem::directory(const Text& dir)
{
    std::unique_ptr<Directory>& known = directories_[dir];
    if (!known) known = std::make_unique<Directory>(dir);
    return *known;
}

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
    const int fd = ::open(path.c_str(), flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, mode);
    if (fd < 0) return -1;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        errno = EINVAL;
        return -1;
    }
    const int fl = ::fcntl(fd, F_GETFL);
    if (fl >= 0) ::fcntl(fd, F_SETFL, fl & ~O_NONBLOCK);
    return fd;
}

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

namespace {

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
        const int fd = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0);
        if (fd < 0) return r;
        r.made = ::fstat(fd, &r.entry) == 0;
        ::close(fd);
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
    const Text prefix = dirPrefixOf(from);
    const Text name = parentAndName(from).second;
    // A tagged name is the one a journal recorded: it is not varied.
    const int attempts = caseTempTag_.empty() ? 100 : 1;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        const Text temp = prefix + caseTempName(name, caseTempTag_.empty() ? randomTag() : caseTempTag_);
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

// A rename refused with EEXIST: is the new name taken by the source itself,
// spelled in another letter case on a case-insensitive file system? Decided
// from the listing: the source is there (or is the same inode), nothing is
// spelled exactly like the target, and the two names differ only in case.
// Inode numbers alone are no proof: a FUSE file system may number each
// spelling apart, and a hard link is another name of the same inode.
bool PosixFileSystem::sameEntryUnderAnotherCase(const Text& from, const Text& to)
{
    const auto [dir, name] = parentAndName(from);
    const auto [toDir, toName] = parentAndName(to);
    if (dir != toDir || name == toName || foldKey(name) != foldKey(toName)) return false;
    Directory& known = directory(dir);
    known.listed(directoryReads_);
    if (known.typeOf(toName)) return false;
    if (known.typeOf(name)) return true;
    struct stat source, target;
    return ::lstat(from.c_str(), &source) == 0 && ::lstat(to.c_str(), &target) == 0 &&
           sameEntry(source, target);
}

bool PosixFileSystem::renameEntry(const Text& from, const Text& to)
{
    if (from.empty() || to.empty()) return false;
    struct stat source;
    if (from == to) return ::lstat(from.c_str(), &source) == 0;
    bool done = moveNoReplace(from, to);
    if (!done && errno == EEXIST) done = sameEntryUnderAnotherCase(from, to) && renameCaseOnly(from, to);
    if (done) {
        const auto [dir, name] = parentAndName(from);
        const auto [toDir, toName] = parentAndName(to);
        if (dir == toDir && directories_.count(dir)) directory(dir).renamed(name, toName);
    }
    const int err = errno;
    forgetOutsideBatch();
    errno = err;
    return done;
}

EntryInfo PosixFileSystem::lookupEntry(const Text& path)
{
    EntryInfo info = findEntry(path);
    forgetOutsideBatch();
    return info;
}

EntryInfo PosixFileSystem::findEntry(const Text& path)
{
    EntryInfo info;
    if (path.empty()) return info;
    const auto [dir, name] = parentAndName(path);
    const bool plainName = path.back() != '/' && name != "/" && name != "." && name != "..";
    Directory* known = plainName ? &directory(dir) : nullptr;
    struct stat st;
    if (known && known->mayFoldCase() && known->listed(directoryReads_)) {
        // The listing answers for a name spelled as stored, without asking
        // the file system to find it among the others.
        if (const unsigned char* type = known->typeOf(name)) {
            info.exists = true;
            info.storedName = name;
            info.isDirectory = *type == DT_DIR;
            if (*type == DT_LNK || *type == DT_UNKNOWN)
                info.isDirectory = ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
            return info;
        }
    }
    if (::lstat(path.c_str(), &st) != 0) return info;
    info.exists = true;
    if (S_ISDIR(st.st_mode)) {
        info.isDirectory = true;
    } else if (S_ISLNK(st.st_mode)) {
        struct stat followed;
        info.isDirectory = ::stat(path.c_str(), &followed) == 0 && S_ISDIR(followed.st_mode);
    }
    info.storedName = name;
    if (!known || !known->mayFoldCase()) return info;

    // Found under another spelling: the listed name that is this entry. The
    // same inode decides; where the file system numbers spellings apart, the
    // one listed name of the same letters.
    const Text prefix = dir == "/" ? dir : dir + "/";
    const auto isThisEntry = [&](const Text& candidate) {
        struct stat other;
        return ::lstat((prefix + candidate).c_str(), &other) == 0 && sameEntry(st, other);
    };
    const std::vector<Text>* candidates = known->sameFold(name);
    bool found = false;
    if (candidates) {
        for (const Text& candidate : *candidates) {
            if (isThisEntry(candidate)) {
                info.storedName = candidate;
                found = true;
                break;
            }
        }
        if (!found && candidates->size() == 1) {
            info.storedName = candidates->front();
            found = true;
        }
    }
    if (!found) {
        for (const auto& [candidate, type] : known->entries()) {
            if (isThisEntry(candidate)) {
                info.storedName = candidate;
                break;
            }
        }
    }
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

EntryId PosixFileSystem::entryId(const Text& path)
{
    struct stat st;
    if (path.empty() || ::lstat(path.c_str(), &st) != 0) return {};
    return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
            static_cast<std::uint32_t>(st.st_mode & S_IFMT)};
}

bool PosixFileSystem::isEmptyEntry(const Text& path)
{
    struct stat st;
    if (path.empty() || ::lstat(path.c_str(), &st) != 0) return false;
    if (S_ISREG(st.st_mode)) return st.st_size == 0;
    if (!S_ISDIR(st.st_mode)) return false;
    if ((st.st_mode & 07777) == 0) return true;  // a reservation nobody may enter
    bool empty = true;
    return forEachEntry(path, [&](const dirent&) { return empty = false; }) && empty;
}

void PosixFileSystem::removeEmptyEntry(const Text& path)
{
    struct stat st;
    if (path.empty() || ::lstat(path.c_str(), &st) != 0) return;
    // rmdir itself refuses a directory that is not empty.
    if (S_ISDIR(st.st_mode)) ::rmdir(path.c_str());
    else if (S_ISREG(st.st_mode) && st.st_size == 0) ::unlink(path.c_str());
}

std::unique_ptr<TextFileWriter> PosixFileSystem::createTextFile(const Text& path)
{
    const int fd = openRegularFile(path, O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (fd < 0) return nullptr;
    return std::make_unique<PosixTextFileWriter>(fd);
}

bool PosixFileSystem::readFile(const Text& path, std::string& contents, std::size_t maxBytes)
{
    const int fd = openRegularFile(path, O_RDONLY);
    if (fd < 0) return false;
    struct stat st;
    std::string data;
    if (::fstat(fd, &st) == 0) data.reserve(std::min(static_cast<std::size_t>(st.st_size), maxBytes));
    char buffer[65536];
    while (data.size() < maxBytes) {
        const ssize_t n = ::read(fd, buffer, std::min(sizeof buffer, maxBytes - data.size()));
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

bool PosixFileSystem::rewriteFile(const Text& path, const std::string& contents)
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
    const Text dir = dirPrefixOf(target);
    const char* dirName = dir.empty() ? "." : dir.c_str();
    struct stat dirSt;
    const bool dirWritable = ::stat(dirName, &dirSt) == 0 && mayWrite(dirName, dirSt, W_OK | X_OK);

    Text temp;
    int fd = -1;
    for (int attempt = 0; dirWritable && attempt < 100 && fd < 0; ++attempt) {
        temp = rewriteTempPath(target);
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, exists ? 0600 : 0666);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) {
        if (!exists || (dirWritable && errno != EACCES && errno != EPERM)) return false;
        const int inPlace = openRegularFile(target, O_RDWR);
        if (inPlace < 0) return false;
        const bool ok = rewriteInPlace(inPlace, contents);
        return (::close(inPlace) == 0) && ok;
    }

    bool ok = true;
    if (exists) {
        // Owner and group where the user may set them, then the mode (a
        // change of owner may clear some of its bits).
        if ((st.st_uid != ::geteuid() || st.st_gid != ::getegid()) && ::fchown(fd, st.st_uid, st.st_gid) != 0)
            (void)!::fchown(fd, static_cast<uid_t>(-1), st.st_gid);
        ok = ::fchmod(fd, st.st_mode & 07777) == 0;
    }
    ok = ok && writeAll(fd, contents.data(), contents.size()) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && std::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        return false;
    }
    removeLeftoverTemps(target);
    // Make the rename itself durable; the replacement is done either way.
    const int dfd = ::open(dirName, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
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
