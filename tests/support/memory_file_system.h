#pragma once
// A file system held in memory, for the failures a real disk cannot be made
// to show in a test (root ignores permissions): a replace that fails after a
// number of successful ones, or a file that is there but cannot be read.
#include "platform/fs.h"

#include <map>

class MemoryFileSystem : public FileSystem {
public:
    std::map<Text, std::string> files;
    int replacesLeft = -1;          // successful replaces before they fail; -1 for never
    bool unreadable = false;        // every existing file fails to read
    int replaceCalls = 0;
    int readCalls = 0;

    bool renameEntry(const Text&, const Text&) override { return false; }
    EntryInfo lookupEntry(const Text& path) override
    {
        EntryInfo info;
        info.exists = files.count(path) != 0;
        return info;
    }
    bool listDirectory(const Text&, std::vector<DirEntry>&) override { return false; }
    bool fileExists(const Text& path) override { return files.count(path) != 0; }
    std::unique_ptr<TextFileWriter> createTextFile(const Text&) override { return nullptr; }
    ReadResult readFile(const Text& path, std::string& contents, std::size_t maxBytes) override
    {
        ++readCalls;
        auto it = files.find(path);
        if (it == files.end()) return {ReadStatus::Missing};
        if (unreadable) return {ReadStatus::Unreadable};
        contents = it->second.substr(0, maxBytes);
        return {it->second.size() > maxBytes ? ReadStatus::TooLarge : ReadStatus::Whole};
    }
    bool rewriteFile(const Text& path, const std::string& contents) override
    {
        ++replaceCalls;
        if (replacesLeft == 0) return false;
        if (replacesLeft > 0) --replacesLeft;
        files[path] = contents;
        return true;
    }
};
