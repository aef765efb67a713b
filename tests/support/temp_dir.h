#pragma once
// A real temporary directory for a test, removed with everything in it. It
// lives on the mount that VOREL_TEST_FS names, where that is set.
#include "support/test_mount.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

class TempDir {
public:
    // onTestMount false: in the system's temporary folder all the same.
    explicit TempDir(bool onTestMount = true) {
        const TestMount* mount = onTestMount ? sharedTestMount() : nullptr;
        const std::filesystem::path base =
            mount ? std::filesystem::path(mount->path()) : std::filesystem::temp_directory_path();
        std::string pattern = (base / "vorel-test-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~TempDir() {
        std::error_code ec;
        // Give back write permission first, so read-only subdirectories go too.
        for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
             !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
            std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ec);
        }
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // The path of a name inside the directory, as a byte string.
    std::string file(const std::string& name) const { return (path_ / name).string(); }
    // Creates a file with the given bytes and returns its path.
    std::string write(const std::string& name, const std::string& bytes = "") const {
        std::ofstream out(path_ / name, std::ios::binary);
        out << bytes;
        return file(name);
    }
    static std::string read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

private:
    std::filesystem::path path_;
};

// The names in a directory, sorted.
inline std::vector<std::string> namesIn(const std::filesystem::path& dir)
{
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}
