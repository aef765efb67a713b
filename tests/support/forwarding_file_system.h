#pragma once
// A file system that hands every call to the real one; a test derives from it
// and overrides only the call it makes fail, reorder or count.
#include "platform/fs.h"

class ForwardingFileSystem : public FileSystem {
public:
    bool renameEntry(const Text& from, const Text& to) override { return real().renameEntry(from, to); }
    EntryInfo lookupEntry(const Text& path) override { return real().lookupEntry(path); }
    bool listDirectory(const Text& dir, std::vector<DirEntry>& entries) override
    {
        return real().listDirectory(dir, entries);
    }
    bool fileExists(const Text& path) override { return real().fileExists(path); }
    bool foldsLetterCase(const Text& dir) override { return real().foldsLetterCase(dir); }
    EntryId entryId(const Text& path) override { return real().entryId(path); }
    bool isEmptyEntry(const Text& path) override { return real().isEmptyEntry(path); }
    void removeEmptyEntry(const Text& path) override { real().removeEmptyEntry(path); }
    void setCaseTempTag(const Text& tag) override { real().setCaseTempTag(tag); }
    std::unique_ptr<TextFileWriter> createTextFile(const Text& path) override
    {
        return real().createTextFile(path);
    }
    ReadResult readFile(const Text& path, std::string& contents, std::size_t maxBytes) override
    {
        return real().readFile(path, contents, maxBytes);
    }
    bool rewriteFile(const Text& path, const std::string& contents) override
    {
        return real().rewriteFile(path, contents);
    }

protected:
    static FileSystem& real() { return systemFileSystem(); }
};
