#pragma once
// The POSIX file system. systemFileSystem() is the one the program uses; a
// test may make its own to exercise the ways a rename is done where a file
// system lacks RENAME_NOREPLACE or hard links.
#include "platform/fs.h"

#include <map>
#include <memory>
#include <string_view>
#include <sys/types.h>

// Opens a file (open(2) flags) only when it is a regular one, and never
// waits: a FIFO, a device or a directory is refused with EINVAL instead of
// blocking or being read without end. A file without any write bit is not
// opened for writing, whoever asks (EACCES). The descriptor returned blocks
// again as usual. Every file the program reads or writes as a whole is
// opened so.
int openRegularFile(const Text& path, int flags, mode_t mode = 0);

enum class LockOutcome {
    Held,      // until the descriptor is closed
    Refused,   // the file system keeps no such locks: go on as without
    TimedOut,  // another writer held it for about 5 s: the write fails
};

// Takes the exclusive advisory lock (flock) of an open file, waiting for
// another writer for about 5 s. Every rewrite of a whole file holds it,
// from its read of the file where it reads one: on the file for a write in
// place, on its folder for a replacement by rename.
LockOutcome lockForWriting(int fd);

struct EntryAt;

enum class RenameStrategy {
    Native,             // renameat2(RENAME_NOREPLACE), falling back as needed
    LinkThenUnlink,     // as if the file system refused RENAME_NOREPLACE
    ReserveThenRename,  // as if it refused hard links as well
};

class PosixFileSystem : public FileSystem {
public:
    explicit PosixFileSystem(RenameStrategy strategy = RenameStrategy::Native);
    ~PosixFileSystem() override;

    bool renameEntry(const Text& from, const Text& to) override;
    bool renameInFolder(std::string_view folder, std::string_view name, std::string_view newName) override;
    EntryInfo lookupEntry(const Text& path) override;
    bool listDirectory(const Text& dir, std::vector<DirEntry>& entries) override;
    bool forEachDirEntry(const Text& dir, const std::function<void(const DirEntry&)>& f) override;
    bool fileExists(const Text& path) override;
    bool findListed(const PathList& paths, std::size_t first, std::size_t last, std::vector<bool>& listed) override;
    bool foldsLetterCase(const Text& dir) override;
    EntryId entryId(const Text& path) override;
    bool isEmptyEntry(const Text& path) override;
    void removeEmptyEntry(const Text& path) override;
    void setCaseTempTag(const Text& tag) override { caseTempTag_ = tag; }
    std::unique_ptr<TextFileWriter> createTextFile(const Text& path) override;
    ReadResult readFile(const Text& path, std::string& contents, std::size_t maxBytes) override;
    bool rewriteFile(const Text& path, const std::string& contents) override;
    bool editFile(const Text& path, std::size_t maxBytes, const FileEdit& edit) override;
    void beginBatch() override { ++batchDepth_; }
    void endBatch() override;

    // How many times a directory has been read to answer look-ups and case
    // checks (not listDirectory), for tests.
    int directoryReads() const { return directoryReads_; }

private:
    class Directory;

    // Moves from to to without ever replacing an entry; errno tells why not.
    bool moveNoReplace(EntryAt from, EntryAt to);
    bool renameCaseOnly(EntryAt from, EntryAt to);
    bool sameEntryUnderAnotherCase(const Text& from, const Text& to, EntryAt fromAt, EntryAt toAt);
    EntryInfo findEntry(const Text& path);
    // What is known of dir: kept for the batch, or until the public call
    // that asked ends (forgetOutsideBatch).
    Directory& directory(std::string_view dir);
    void forgetOutsideBatch();
    // Within a batch, path's entry relative to its directory held open;
    // otherwise the path as given.
    EntryAt at(const Text& path);
    // After moved was renamed: the directories known under its old path
    // are no longer there.
    void forgetDirectoriesUnder(std::string_view moved);

    RenameStrategy strategy_;
    Text caseTempTag_;
    int batchDepth_ = 0;
    int directoryReads_ = 0;
    std::map<Text, std::unique_ptr<Directory>, std::less<>> directories_;
    Directory* last_ = nullptr;
    // The names of renameInFolder, held with their ending NUL.
    Text fromName_, toName_;
};
