#pragma once
// File-system services the program asks for, named for what it asks.
#include "platform/text.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

class PathList;

struct EntryInfo {
    bool exists = false;
    bool isDirectory = false;  // a symbolic link to a directory counts as one
    Text storedName;           // the last path element as the directory stores it
};

// Which entry a name stands for: device, inode and type, as a rename keeps
// them. A default one (type 0) is unknown and matches nothing.
struct EntryId {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint32_t type = 0;  // the file type bits of st_mode
    bool known() const { return type != 0; }
    bool operator==(const EntryId&) const = default;
};

struct DirEntry {
    Text name;
    bool isDirectory = false;  // a symbolic link to a directory counts as one
    // What a look-up of the name would give, where the listing itself tells
    // it reliably; unknown elsewhere.
    EntryId id;
};

// How reading a file whole went.
enum class ReadStatus {
    Whole,       // contents hold the whole file
    TooLarge,    // contents hold its first maxBytes; there is more
    Missing,     // nothing under that name (or a link to nothing)
    NotRegular,  // a FIFO, a device, a directory: never waited on nor read
    Unreadable,  // there, but it could not be read
};

struct ReadResult {
    ReadStatus status = ReadStatus::Missing;
    // True when contents hold the file's bytes (all, or the first maxBytes).
    explicit operator bool() const { return status == ReadStatus::Whole || status == ReadStatus::TooLarge; }
};

// Writes a text file; each call reports failure. Lines are written as given:
// the caller adds the line ends.
class TextFileWriter {
public:
    virtual ~TextFileWriter() = default;
    virtual bool write(const char* bytes, std::size_t size) = 0;
    bool write(const Text& bytes) { return write(bytes.data(), bytes.size()); }
    virtual bool close() = 0;
};

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // Renames a file, directory or link. Never replaces another entry: fails
    // when a different entry already has the new name, when the old one is
    // gone, or when the new name is not acceptable. Renaming a name to itself
    // succeeds when the entry exists; a change of letter case alone on a
    // case-insensitive file system is an ordinary successful rename.
    virtual bool renameEntry(const Text& from, const Text& to) = 0;
    // renameEntry(folder + name, folder + newName), where folder ends in the
    // separator, as a PathList keeps it: a run's rename, which keeps the
    // file in its folder. A file system may do it without making the paths.
    virtual bool renameInFolder(std::string_view folder, std::string_view name, std::string_view newName)
    {
        return renameEntry(Text(folder).append(name), Text(folder).append(newName));
    }

    // Looks one path up as a single directory entry (a link is not followed
    // for existence: a dangling link exists).
    virtual EntryInfo lookupEntry(const Text& path) = 0;

    // Lists a directory in the order the system returns its entries, hidden
    // ones included, "." and ".." left out. False when the directory cannot be
    // read to its end; entries is then unspecified.
    virtual bool listDirectory(const Text& dir, std::vector<DirEntry>& entries) = 0;
    // The same entries handed to f one by one as they are read, so that a
    // large directory is not held twice; false as for listDirectory, after
    // f may have seen some entries.
    virtual bool forEachDirEntry(const Text& dir, const std::function<void(const DirEntry&)>& f)
    {
        std::vector<DirEntry> entries;
        if (!listDirectory(dir, entries)) return false;
        for (const DirEntry& entry : entries) f(entry);
        return true;
    }

    virtual bool fileExists(const Text& path) = 0;

    // Which of paths first to last (paths sharing one folder, as a PathList
    // keeps them) the folder holds, spelled exactly as given: true, with
    // listed[i] set for path first + i, where reading the folder's listing
    // once costs less than looking each path up. False, listed left alone,
    // where it does not or the listing cannot be read to its end: the paths
    // are then looked up one by one.
    virtual bool findListed(const PathList& paths, std::size_t first, std::size_t last, std::vector<bool>& listed)
    {
        (void)paths, (void)first, (void)last, (void)listed;
        return false;
    }

    // Whether names in dir may match under another letter case, as on a
    // case-insensitive file system (true where that cannot be told).
    virtual bool foldsLetterCase(const Text& dir) { (void)dir; return false; }

    // The entry a path names, a link not followed; unknown when there is none.
    virtual EntryId entryId(const Text&) { return {}; }

    // An empty regular file or an empty directory (a link is not followed),
    // as a rename that reserves its new name leaves when it is cut short.
    virtual bool isEmptyEntry(const Text&) { return false; }
    // Removes path if it is such an empty entry.
    virtual void removeEmptyEntry(const Text&) {}

    // From now on a case-only rename passes through the temporary name
    // caseTempName(name, tag) instead of a fresh random one; "" goes back to
    // random names.
    virtual void setCaseTempTag(const Text&) {}

    // Files are opened only when they are regular files, and never waited on:
    // a FIFO, a device or a directory in their place is a failure. A write
    // goes through a symbolic link only to a file of the link's owner; a
    // link to nothing is a failure. Writers of one file take turns.

    // Creates (or empties) a file for writing; null on failure.
    virtual std::unique_ptr<TextFileWriter> createTextFile(const Text& path) = 0;

    // Reads at most maxBytes of a file; contents are left alone when it
    // cannot be read, and the status tells why.
    virtual ReadResult readFile(const Text& path, std::string& contents, std::size_t maxBytes) = 0;

    // Gives the file these contents, keeping its mode, owner and group where
    // the user may set them. A temporary file in the same directory is
    // written, flushed and renamed over the file, which removes what earlier
    // killed writes left there. Where the directory may not be written, an
    // existing file is rewritten in place instead (and flushed), which only a
    // crash in the middle can leave part old, part new. Fails for a file
    // without write permission. On failure the old contents stay.
    virtual bool rewriteFile(const Text& path, const std::string& contents) = 0;

    // Reads the file as readFile does and hands edit the outcome and the
    // bytes read ("" when none); when edit returns true, the file gets what
    // it left in contents, as rewriteFile gives them. Other writers of the
    // file wait from the read to the end of the write, so that none of their
    // changes is lost in between. Success when edit wants no write.
    using FileEdit = std::function<bool(ReadResult read, std::string& contents)>;
    virtual bool editFile(const Text& path, std::size_t maxBytes, const FileEdit& edit)
    {
        std::string contents;
        const ReadResult read = readFile(path, contents, maxBytes);
        if (!read) contents.clear();
        return !edit(read, contents) || rewriteFile(path, contents);
    }

    // Within a batch the file system may list a directory once and answer
    // later look-ups and case checks in it from that listing, kept up to date
    // with its own renames; what others change meanwhile may go unseen (a
    // rename still never replaces anything). Batches nest.
    virtual void beginBatch() {}
    virtual void endBatch() {}
};

// A batch for as long as it lives: a run's renames, a report's look-ups.
class FileSystemBatch {
public:
    explicit FileSystemBatch(FileSystem& fs) : fs_(fs) { fs_.beginBatch(); }
    ~FileSystemBatch() { fs_.endBatch(); }
    FileSystemBatch(const FileSystemBatch&) = delete;
    FileSystemBatch& operator=(const FileSystemBatch&) = delete;

private:
    FileSystem& fs_;
};

// The temporary name "<name>.vorel-case-<tag>" a case-only rename of name
// passes through, cut at a character of the active code page to fit a name.
Text caseTempName(const Text& name, const Text& tag);

// The operating system's file system.
FileSystem& systemFileSystem();
