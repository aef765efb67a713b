#pragma once
// What the benchmarks share: the number of files from the command line, a
// temporary directory of empty files whose names a run toggles between
// lower and upper case, and the bare system-call loops the program is
// compared with.
#include "platform/text.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

// The first argument that is a plain number, taken out of argv; def without.
inline int takeFileCount(int& argc, char** argv, int def)
{
    for (int i = 1; i < argc; ++i) {
        char* end = nullptr;
        const long n = std::strtol(argv[i], &end, 10);
        if (end == argv[i] || *end != '\0' || n <= 0) continue;
        for (int j = i; j + 1 < argc; ++j) argv[j] = argv[j + 1];
        --argc;
        return int(n);
    }
    return def;
}

struct BenchFiles {
    std::string dir;
    StringList lower;  // full paths in lower case
    StringList upper;
    bool isUpper = false;

    // A fresh directory of count files, or an existing one (keep) whose
    // files are in the given case.
    explicit BenchFiles(int count, const std::string& existing = {}, bool upperNow = false)
        : dir(existing), isUpper(upperNow)
    {
        if (dir.empty()) {
            std::string pattern =
                (std::filesystem::temp_directory_path() / "vorel-bench-XXXXXX").string();
            if (!mkdtemp(pattern.data())) std::abort();
            dir = pattern;
            owned_ = true;
        }
        lower.reserve(std::size_t(count));
        upper.reserve(std::size_t(count));
        for (int i = 0; i < count; ++i) {
            lower.push_back(path(dir, i, false));
            upper.push_back(path(dir, i, true));
            if (!owned_) continue;
            const int fd = ::open(lower.back().c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd < 0) std::abort();
            ::close(fd);
        }
    }
    ~BenchFiles()
    {
        if (!owned_) return;
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
    BenchFiles(const BenchFiles&) = delete;
    BenchFiles& operator=(const BenchFiles&) = delete;

    static std::string path(const std::string& dir, int i, bool upperCase)
    {
        char name[64];
        std::snprintf(name, sizeof name, upperCase ? "/HOLIDAY PHOTO %06d.JPEG" : "/holiday photo %06d.jpeg", i);
        return dir + name;
    }
    const StringList& current() const { return isUpper ? upper : lower; }
    const StringList& other() const { return isUpper ? lower : upper; }

private:
    bool owned_ = false;
};

// rename(2) of every file to the other case; false at the first failure.
inline bool bareRenameLoop(BenchFiles& f)
{
    const StringList& from = f.current();
    const StringList& to = f.other();
    for (std::size_t i = 0; i < from.size(); ++i)
        if (::rename(from[i].c_str(), to[i].c_str()) != 0) return false;
    f.isUpper = !f.isUpper;
    return true;
}

// The report's bytes for files renamed from `before` to `after`: four CR LF
// lines per file, the third the name found.
inline std::string bareReportBytes(const StringList& before, const StringList& after)
{
    std::string bytes;
    for (std::size_t i = 0; i < before.size(); ++i)
        bytes += before[i] + "\r\n" + after[i] + "\r\n" + after[i] + "\r\n\r\n";
    return bytes;
}

// lstat of every renamed path, then one write of the report's bytes.
inline bool bareLstatAndWrite(const StringList& renamed, const std::string& reportPath,
                              const std::string& bytes)
{
    struct stat st;
    std::size_t found = 0;
    for (const std::string& path : renamed) found += ::lstat(path.c_str(), &st) == 0;
    const int fd = ::open(reportPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    const bool written = ::write(fd, bytes.data(), bytes.size()) == ssize_t(bytes.size());
    return ::close(fd) == 0 && written && found == renamed.size();
}
