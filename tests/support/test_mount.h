#pragma once
// A real file system mounted by a test inside its own temporary directory,
// unmounted when it ends: exFAT through FUSE on a loop device, or the FUSE
// test file system (tests/testfs) over a folder, told how to misbehave.
// Needs root, /dev/fuse and, for exFAT, a loop device; where the mount is
// refused, why() says so and the test skips.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#ifndef VOREL_TESTFS
#define VOREL_TESTFS "vorel_testfs"
#endif

namespace test_mount {

// Runs a shell command; its output goes into out.
inline int run(const std::string& command, std::string* out = nullptr)
{
    FILE* p = ::popen((command + " 2>&1").c_str(), "r");
    if (!p) return -1;
    char buffer[512];
    std::string text;
    while (std::fgets(buffer, sizeof buffer, p)) text += buffer;
    if (out) *out = text;
    return ::pclose(p);
}

inline std::string shellQuoted(const std::string& s) { return "'" + s + "'"; }

}  // namespace test_mount

class TestMount {
public:
    enum class Kind { Exfat, Testfs };

    // flags: vorel_testfs options such as "--refuse-link"; ignored for exFAT.
    TestMount(Kind kind, const std::string& flags = "")
    {
        using test_mount::shellQuoted;
        using test_mount::run;
        char pattern[] = "/tmp/vorel-mount-XXXXXX";
        if (!::mkdtemp(pattern)) {
            why_ = "mkdtemp failed";
            return;
        }
        base_ = pattern;
        path_ = base_ + "/mnt";
        std::filesystem::create_directory(path_);
        std::string out;
        if (kind == Kind::Exfat) {
            const std::string image = base_ + "/exfat.img";
            if (run("truncate -s 64M " + shellQuoted(image) + " && mkfs.exfat " + shellQuoted(image), &out) != 0) {
                why_ = "cannot make an exFAT image (exfatprogs): " + out;
                return;
            }
            if (run("losetup --find --show " + shellQuoted(image), &out) != 0) {
                why_ = "no loop device for the exFAT image (needs root): " + out;
                return;
            }
            loop_ = out.substr(0, out.find('\n'));
            if (run("mount.exfat-fuse " + shellQuoted(loop_) + " " + shellQuoted(path_), &out) != 0) {
                why_ = "cannot mount exFAT through FUSE (exfat-fuse, /dev/fuse, root): " + out;
                return;
            }
        } else {
            const std::string backing = base_ + "/backing";
            std::filesystem::create_directory(backing);
            if (run(std::string(VOREL_TESTFS) + " " + flags + " " + shellQuoted(backing) + " " + shellQuoted(path_), &out) != 0) {
                why_ = "cannot mount the FUSE test file system (fuse3, /dev/fuse, root): " + out;
                return;
            }
        }
        mounted_ = true;
    }

    ~TestMount()
    {
        using test_mount::shellQuoted;
        using test_mount::run;
        if (mounted_ && run("umount " + shellQuoted(path_)) != 0) run("umount -l " + shellQuoted(path_));
        if (!loop_.empty()) run("losetup -d " + shellQuoted(loop_));
        if (!base_.empty()) {
            std::error_code ec;
            std::filesystem::remove_all(base_, ec);
        }
    }
    TestMount(const TestMount&) = delete;
    TestMount& operator=(const TestMount&) = delete;

    bool mounted() const { return mounted_; }
    const std::string& why() const { return why_; }
    const std::string& path() const { return path_; }
    // The paths inside the mount where the test file system told to compete
    // has created a file, one a line.
    std::string competitorLog() const { return base_ + "/backing.competitors"; }

private:
    std::string base_;
    std::string path_;
    std::string loop_;
    std::string why_;
    bool mounted_ = false;
};

// The mount that VOREL_TEST_FS asks every temporary directory of this test
// program to live on: "exfat", or "testfs" with its options after a colon
// ("testfs:--refuse-noreplace --refuse-link"). Null when unset. Where the
// mount is refused the program ends with the skip code 77 and says why.
inline const TestMount* sharedTestMount()
{
    static const TestMount* mount = [] () -> const TestMount* {
        const char* wanted = std::getenv("VOREL_TEST_FS");
        if (!wanted || !*wanted) return nullptr;
        const std::string s = wanted;
        const std::size_t colon = s.find(':');
        const std::string kind = s.substr(0, colon);
        static TestMount m(kind == "exfat" ? TestMount::Kind::Exfat : TestMount::Kind::Testfs,
                           colon == std::string::npos ? "" : s.substr(colon + 1));
        if (!m.mounted()) {
            std::fprintf(stderr, "SKIPPED: every test here runs on %s, which cannot be mounted: %s\n",
                         wanted, m.why().c_str());
            std::exit(77);
        }
        return &m;
    }();
    return mount;
}

// What a test may need of the file system its temporary directories live on.
enum class FsNeed { SymbolicLinks, HardLinks, AnyNameBytes, CaseKeptApart, PermissionBits };

// Why the file system that VOREL_TEST_FS puts the temporary directories on
// lacks what a test needs; empty when it has it.
inline std::string lackingHere(FsNeed need)
{
    const char* wanted = std::getenv("VOREL_TEST_FS");
    const std::string where = wanted ? wanted : "";
    if (where.rfind("exfat", 0) == 0) {
        switch (need) {
        case FsNeed::SymbolicLinks: return "exFAT has no symbolic links";
        case FsNeed::HardLinks: return "exFAT has no hard links";
        case FsNeed::AnyNameBytes: return "exFAT names are UTF-16: no Shift-JIS bytes, no line breaks";
        case FsNeed::CaseKeptApart: return "exFAT does not keep names of another letter case apart";
        case FsNeed::PermissionBits: return "exFAT has no permission bits";
        }
    }
    if (need == FsNeed::HardLinks && where.find("--refuse-link") != std::string::npos)
        return "the test file system refuses hard links";
    return {};
}

// Skips the running GoogleTest test where the file system lacks need.
#define SKIP_WHERE_LACKING(need)                                          \
    do {                                                                  \
        const std::string lacking_ = lackingHere(need);                   \
        if (!lacking_.empty()) GTEST_SKIP() << lacking_;                  \
    } while (0)
