#pragma once
// The POSIX file system. systemFileSystem() is the one the program uses; a
// test may make its own to exercise the ways a rename is done where a file
// system lacks RENAME_NOREPLACE or hard links.
#include "platform/fs.h"

#include <memory>
#include <unordered_map>
#include <sys/types.h>

// Opens a file (open(2) flags) only when it is a regular one, and never
// waits: a FIFO, a device or a directory is refused with EINVAL instead of
// blocking or being read without end. A file without any write bit is not
// opened for writing, whoever asks (EACCES). The descriptor returned blocks
// again as usual. Every file the program reads or writes as a whole is
// opened so.
int openRegularFile(const Text& path, int flags, mode_t mode = 0);

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
    EntryInfo lookupEntry(const Text& path) override;
    bool listDirectory(const Text& dir, std::vector<DirEntry>& entries) override;
    bool fileExists(const Text& path) override;
    EntryId entryId(const Text& path) override;
    bool isEmptyEntry(const Text& path) override;
    void removeEmptyEntry(const Text& path) override;
    void setCaseTempTag(const Text& tag) override { caseTempTag_ = tag; }
    std::unique_ptr<TextFileWriter> createTextFile(const Text& path) override;
    bool readFile(const Text& path, std::string& contents, std::size_t maxBytes) override;
    bool rewriteFile(const Text& path, const std::string& contents) override;
    void beginBatch() override { ++batchDepth_; }
    void endBatch() override;

    // How many times a directory has been read to answer look-ups and case
    // checks (not listDirectory), for tests.
    int directoryReads() const { return directoryReads_; }

private:
    class Directory;

    // Moves from to to without ever replacing an entry; errno tells why not.
    bool moveNoReplace(const Text& from, const Text& to);
    bool linkThenUnlink(const Text& from, const Text& to);
    bool renameCaseOnly(const Text& from, const Text& to);
    bool sameEntryUnderAnotherCase(const Text& from, const Text& to);
    EntryInfo findEntry(const Text& path);
    // What is known of dir: kept for the batch, or until the public call
    // that asked ends (forgetOutsideBatch).
    Directory& directory(const Text& dir);
    void forgetOutsideBatch();

    RenameStrategy strategy_;
    Text caseTempTag_;
    int batchDepth_ = 0;
    int directoryReads_ = 0;
    std::unordered_map<Text, std::unique_ptr<Directory>> directories_;
};
