#pragma once
// The POSIX file system. systemFileSystem() is the one the program uses; a
// test may make its own to exercise the ways a rename is done where a file
// system lacks RENAME_NOREPLACE or hard links.
#include "platform/fs.h"

enum class RenameStrategy {
    Native,           // renameat2(RENAME_NOREPLACE), falling back as needed
    LinkThenUnlink,   // as if the file system refused RENAME_NOREPLACE
    CheckThenRename,  // as if it refused hard links as well
};

class PosixFileSystem : public FileSystem {
public:
    explicit PosixFileSystem(RenameStrategy strategy = RenameStrategy::Native) : strategy_(strategy) {}

    bool renameEntry(const Text& from, const Text& to) override;
    EntryInfo lookupEntry(const Text& path) override;
    bool listDirectory(const Text& dir, std::vector<DirEntry>& entries) override;
    bool fileExists(const Text& path) override;
    std::unique_ptr<TextFileWriter> createTextFile(const Text& path) override;
    bool readFile(const Text& path, std::string& contents) override;
    bool replaceFileAtomically(const Text& path, const std::string& contents) override;

private:
    // Moves from to to without ever replacing an entry; errno tells why not.
    bool moveNoReplace(const Text& from, const Text& to);
    bool linkThenUnlink(const Text& from, const Text& to);
    bool renameCaseOnly(const Text& from, const Text& to);

    RenameStrategy strategy_;
};
