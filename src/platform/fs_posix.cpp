// Look-ups on POSIX, with what a batch keeps of each directory; the move is
// in fs_move_posix.cpp, whole files in file_io_posix.cpp.
#include "platform/fs_posix.h"

#include "platform/codepage.h"
#include "platform/dir_traits_posix.h"
#include "platform/listed_ids.h"
#include "platform/file_io.h"
#include "platform/path.h"
#include "platform/posix_io.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>
#include <utility>

namespace {

// Two spellings of one name that a case-insensitive file system may take
// for the same entry. Only a key to find candidates: a match is confirmed on
// disk.
Text foldKey(const Text& name)
{
    return toUpperText(activeCodePage(), name);
}

// How many look-ups in the directory open as fd cost about as much as
// reading its listing once: about a twentieth of its entries, told by its
// size (some 20 to 40 bytes an entry).
std::size_t lookupsBeforeListing(int fd)
{
    struct stat st;
    return fd >= 0 && ::fstat(fd, &st) == 0 ? static_cast<std::size_t>(st.st_size) / 512 : 0;
}

}  // namespace

// What a batch knows of one directory: whether it may fold case and, once
// asked for, the names it holds with their types, read in one pass.
class PosixFileSystem::Directory {
public:
    explicit Directory(const Text& dir) : path_(dir), mayFoldCase_(::mayFoldCase(dir)) {}

    const Text& path() const { return path_; }
    bool mayFoldCase() const { return mayFoldCase_; }
    bool wasListed() const { return read_; }

    // The directory held open, so that the names in it are found without
    // walking its path again each time; -1 where it cannot be opened.
    int fd()
    {
        if (!opened_) {
            opened_ = true;
            fd_ = FileDescriptor(::open(path_.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
        }
        return fd_.get();
    }

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

    // The id of name as a listing of the directory (read on first use) gave
    // it, kept in step with this program's renames; unknown where the
    // listing does not give inodes or no longer knows the name.
    EntryId listedId(std::string_view name)
    {
        if (!idsRead_ && !enoughAskedToList()) return {};
        if (!idsRead_) readIds();
        if (!moved_.empty() && moved_ == name) return movedId_;
        return ids_.id(ListedIds::keyOf(name), device_);
    }

    // After this program renamed from (in this directory; "" for none) to
    // to (likewise): the last name renamed to keeps the id it took along.
    void idMoved(std::string_view from, std::string_view to)
    {
        if (!idsRead_) return;
        EntryId id;
        if (!from.empty() && !moved_.empty() && moved_ == from) {
            id = movedId_;
            moved_.clear();
        } else if (!from.empty()) {
            id = ids_.take(ListedIds::keyOf(from), device_);
        }
        if (to.empty()) return;
        ids_.take(ListedIds::keyOf(to), device_);
        moved_.assign(to);
        movedId_ = id;
    }

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
    // A few files renamed in a large directory are not worth its listing.
    bool enoughAskedToList()
    {
        if (asked_++ == 0) listAfter_ = lookupsBeforeListing(fd());
        return asked_ > listAfter_;
    }

    void readIds()
    {
        idsRead_ = true;
        if (mayFoldCase_ || !listingGivesInode(path_)) return;
        struct stat st;
        if (fd() < 0 || ::fstat(fd(), &st) != 0) return;
        device_ = static_cast<std::uint64_t>(st.st_dev);
        // A directory's size is at least some 16 bytes an entry on the file
        // systems read here; room not filled is never touched.
        ids_.reserve(std::min<std::size_t>(static_cast<std::size_t>(st.st_size) / 16 + 16, std::size_t(1) << 24));
        const bool complete = forEachEntry(path_, [&](const dirent& e) {
            if (e.d_type != DT_DIR && e.d_type != DT_UNKNOWN)
                ids_.add(ListedIds::keyOf(e.d_name), e.d_ino, DTTOIF(e.d_type));
            return true;
        });
        if (complete)
            ids_.seal();
        else
            ids_ = ListedIds();
    }

    Text path_;
    bool mayFoldCase_;
    bool idsRead_ = false;
    std::size_t asked_ = 0;
    std::size_t listAfter_ = 0;
    ListedIds ids_;
    std::uint64_t device_ = 0;
    Text moved_;
    EntryId movedId_;
    bool opened_ = false;
    FileDescriptor fd_;
    bool read_ = false;
    bool complete_ = false;
    bool folded_ = false;
    std::unordered_map<Text, unsigned char> types_;
    std::unordered_map<Text, std::vector<Text>> byFold_;
};

PosixFileSystem::PosixFileSystem(RenameStrategy strategy) : strategy_(strategy) {}

PosixFileSystem::~PosixFileSystem() = default;

void PosixFileSystem::endBatch()
{
    if (batchDepth_ > 0) --batchDepth_;
    forgetOutsideBatch();
}

void PosixFileSystem::forgetOutsideBatch()
{
    if (batchDepth_ > 0) return;
    directories_.clear();
    last_ = nullptr;
}

PosixFileSystem::Directory& PosixFileSystem::directory(std::string_view dir)
{
    // A run asks for the same directory file after file.
    if (last_ && last_->path() == dir) return *last_;
    auto it = directories_.find(dir);
    if (it == directories_.end()) {
        const Text key(dir);
        it = directories_.emplace(key, std::make_unique<Directory>(key)).first;
    }
    last_ = it->second.get();
    return *last_;
}

EntryAt PosixFileSystem::at(const Text& path)
{
    const EntryAt asGiven{AT_FDCWD, path.c_str()};
    if (batchDepth_ == 0) return asGiven;
    const std::size_t slash = path.rfind('/');
    if (slash == Text::npos || slash + 1 == path.size()) return asGiven;
    const char* name = path.c_str() + slash + 1;
    if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) return asGiven;
    const std::string_view dir = slash == 0 ? std::string_view("/") : std::string_view(path).substr(0, slash);
    const int fd = directory(dir).fd();
    return fd < 0 ? asGiven : EntryAt{fd, name};
}

void PosixFileSystem::forgetDirectoriesUnder(std::string_view moved)
{
    while (moved.size() > 1 && moved.back() == '/') moved.remove_suffix(1);
    auto it = directories_.lower_bound(moved);
    while (it != directories_.end() && std::string_view(it->first).starts_with(moved)) {
        const std::string_view key = it->first;
        if (key.size() != moved.size() && key[moved.size()] != '/') {
            ++it;
            continue;
        }
        if (last_ == it->second.get()) last_ = nullptr;
        it = directories_.erase(it);
    }
}

// A rename refused with EEXIST: is the new name taken by the source itself,
// spelled in another letter case on a case-insensitive file system? Decided
// from the listing: the source is there (or is the same inode), nothing is
// spelled exactly like the target, and the two names differ only in case.
// Inode numbers alone are no proof: a FUSE file system may number each
// spelling apart, and a hard link is another name of the same inode.
bool PosixFileSystem::sameEntryUnderAnotherCase(const Text& from, const Text& to, EntryAt fromAt,
                                                EntryAt toAt)
{
    const auto [dir, name] = folderAndName(from);
    const auto [toDir, toName] = folderAndName(to);
    if (dir != toDir || name == toName || foldKey(name) != foldKey(toName)) return false;
    Directory& known = directory(dir);
    known.listed(directoryReads_);
    if (known.typeOf(toName)) return false;
    if (known.typeOf(name)) return true;
    struct stat source, target;
    return lstatAt(fromAt, source) && lstatAt(toAt, target) && sameEntry(source, target);
}

bool PosixFileSystem::renameEntry(const Text& from, const Text& to)
{
    if (from.empty() || to.empty()) return false;
    struct stat source;
    if (from == to) return ::lstat(from.c_str(), &source) == 0;
    const EntryAt fromAt = at(from);
    const EntryAt toAt = at(to);
    bool done = moveNoReplace(fromAt, toAt);
    if (!done && errno == EEXIST)
        done = sameEntryUnderAnotherCase(from, to, fromAt, toAt) && renameCaseOnly(fromAt, toAt);
    if (done && !directories_.empty()) {
        const auto [dir, name] = folderAndNameView(from);
        const auto [toDir, toName] = folderAndNameView(to);
        const auto known = directories_.find(dir);
        if (dir == toDir && known != directories_.end() && known->second->wasListed())
            known->second->renamed(Text(name), Text(toName));
        if (known != directories_.end()) known->second->idMoved(name, dir == toDir ? toName : std::string_view());
        if (dir != toDir)
            if (const auto there = directories_.find(toDir); there != directories_.end())
                there->second->idMoved(std::string_view(), toName);
        // What was held open under the old path is not reached through it any more.
        if (directories_.size() > 1 || directories_.begin()->first != dir) forgetDirectoriesUnder(from);
    }
    const int err = errno;
    forgetOutsideBatch();
    errno = err;
    return done;
}

bool PosixFileSystem::renameInFolder(std::string_view folder, std::string_view name, std::string_view newName)
{
    // A name the system would take for more or less than one entry of the
    // folder goes as a path, with the rest.
    const CodePage cp = activeCodePage();
    if (batchDepth_ == 0 || folder.empty() || folder.back() != '/' || !isSingleNameComponent(cp, name) ||
        !isSingleNameComponent(cp, newName))
        return FileSystem::renameInFolder(folder, name, newName);
    // The folder as a look-up in it keeps it: without the separator that
    // ends the path's folder part.
    Directory& known = directory(folder.size() > 1 ? folder.substr(0, folder.size() - 1) : folder);
    const int fd = known.fd();
    if (fd < 0) return FileSystem::renameInFolder(folder, name, newName);
    fromName_.assign(name);
    toName_.assign(newName);
    const EntryAt fromAt{fd, fromName_.c_str()}, toAt{fd, toName_.c_str()};
    struct stat source;
    if (name == newName) return lstatAt(fromAt, source);
    bool done = moveNoReplace(fromAt, toAt);
    if (!done && errno == EEXIST)
        done = sameEntryUnderAnotherCase(Text(folder).append(name), Text(folder).append(newName), fromAt, toAt) &&
               renameCaseOnly(fromAt, toAt);
    if (!done) return false;
    if (known.wasListed()) known.renamed(fromName_, toName_);
    known.idMoved(name, newName);
    // What was held open under the old path is not reached through it any more.
    if (directories_.size() > 1) forgetDirectoriesUnder(Text(folder).append(name));
    return true;
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
    const auto [dir, name] = folderAndNameView(path);
    const bool plainName = path.back() != '/' && name != "/" && name != "." && name != "..";
    Directory* known = plainName ? &directory(dir) : nullptr;
    // Within a batch the name is looked up in its directory held open.
    const EntryAt entry = at(path);
    struct stat st;
    if (known && known->mayFoldCase() && known->listed(directoryReads_)) {
        // The listing answers for a name spelled as stored, without asking
        // the file system to find it among the others.
        if (const unsigned char* type = known->typeOf(Text(name))) {
            info.exists = true;
            info.storedName = name;
            info.isDirectory = *type == DT_DIR;
            if (*type == DT_LNK || *type == DT_UNKNOWN)
                info.isDirectory = ::fstatat(entry.dir, entry.name, &st, 0) == 0 && S_ISDIR(st.st_mode);
            return info;
        }
    }
    if (!lstatAt(entry, st)) return info;
    info.exists = true;
    if (S_ISDIR(st.st_mode)) {
        info.isDirectory = true;
    } else if (S_ISLNK(st.st_mode)) {
        struct stat followed;
        info.isDirectory = ::fstatat(entry.dir, entry.name, &followed, 0) == 0 && S_ISDIR(followed.st_mode);
    }
    info.storedName = name;
    if (!known || !known->mayFoldCase()) return info;

    // Found under another spelling: the listed name that is this entry. The
    // same inode decides; where the file system numbers spellings apart, the
    // one listed name of the same letters.
    const Text folder(dir);
    const auto isThisEntry = [&](const Text& candidate) {
        struct stat other;
        const Text where = entry.dir == AT_FDCWD ? pathInFolder(folder, candidate) : candidate;
        return lstatAt({entry.dir, where.c_str()}, other) && sameEntry(st, other);
    };
    const std::vector<Text>* candidates = known->sameFold(Text(name));
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

bool PosixFileSystem::findListed(const PathList& paths, std::size_t first, std::size_t last,
                                 std::vector<bool>& listed)
{
    const std::size_t count = last > first ? last - first : 0;
    std::string_view dir = count > 0 ? paths.folder(first) : std::string_view();
    while (dir.size() > 1 && dir.back() == '/') dir.remove_suffix(1);
    if (count < 2 || count >= (std::size_t(1) << 31) || dir.empty()) return false;
    bool found = false;
    Directory& known = directory(dir);
    // Where case may fold, a look-up answers from the listing it reads
    // itself; reading it here too would read it twice.
    if (!known.mayFoldCase() && count > lookupsBeforeListing(known.fd())) {
        SoughtNames sought(paths, first, last);
        ++directoryReads_;
        if (forEachEntry(known.path(), [&](const dirent& e) {
                sought.listed(e.d_name);
                return true;
            })) {
            listed = std::move(sought).found();
            found = true;
        }
    }
    forgetOutsideBatch();
    return found;
}

bool PosixFileSystem::listDirectory(const Text& dir, std::vector<DirEntry>& entries)
{
    entries.clear();
    return forEachDirEntry(dir, [&](const DirEntry& entry) { entries.push_back(entry); });
}

bool PosixFileSystem::forEachDirEntry(const Text& dir, const std::function<void(const DirEntry&)>& f)
{
    const Text prefix = dir.empty() || dir.back() == '/' ? dir : dir + "/";
    struct stat folder;
    const bool givesIds = listingGivesInode(dir) && ::stat(dir.c_str(), &folder) == 0;
    DirEntry entry;
    return forEachEntry(dir, [&](const dirent& e) {
        entry.name = e.d_name;
        entry.isDirectory = false;
        // A directory may be a mount point, whose inode the listing does not give.
        entry.id = givesIds && e.d_type != DT_DIR && e.d_type != DT_UNKNOWN
                       ? EntryId{static_cast<std::uint64_t>(folder.st_dev), e.d_ino, DTTOIF(e.d_type)}
                       : EntryId();
        if (e.d_type == DT_DIR) {
            entry.isDirectory = true;
        } else if (e.d_type == DT_LNK || e.d_type == DT_UNKNOWN) {
            struct stat st;
            entry.isDirectory = ::stat((prefix + e.d_name).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
        }
        f(entry);
        return true;
    });
}

bool PosixFileSystem::foldsLetterCase(const Text& dir)
{
    const bool folds = directory(dir).mayFoldCase();
    forgetOutsideBatch();
    return folds;
}

bool PosixFileSystem::fileExists(const Text& path)
{
    struct stat st;
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

EntryId PosixFileSystem::entryId(const Text& path)
{
    // Within a batch, from the directory's listing where it gives inodes:
    // a run asks for the id of every file it renamed.
    if (batchDepth_ > 0 && !path.empty() && path.back() != '/') {
        const auto [dir, name] = folderAndNameView(path);
        if (name != "." && name != "..") {
            const EntryId listed = directory(dir).listedId(name);
            if (listed.known()) return listed;
        }
    }
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
    // A batch's listing no longer answers for the name.
    const auto [dir, name] = folderAndNameView(path);
    if (const auto known = directories_.find(dir); known != directories_.end()) known->second->idMoved(name, {});
}

std::unique_ptr<TextFileWriter> PosixFileSystem::createTextFile(const Text& path)
{
    return createTextFileWriter(path);
}

ReadResult PosixFileSystem::readFile(const Text& path, std::string& contents, std::size_t maxBytes)
{
    return readWholeFile(path, contents, maxBytes);
}

bool PosixFileSystem::rewriteFile(const Text& path, const std::string& contents)
{
    return rewriteWholeFile(path, contents);
}

bool PosixFileSystem::editFile(const Text& path, std::size_t maxBytes, const FileEdit& edit)
{
    return editWholeFile(path, maxBytes, edit);
}

FileSystem& systemFileSystem()
{
    static PosixFileSystem fs;
    return fs;
}
