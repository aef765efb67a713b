#include "platform/fs_posix.h"
#include "platform/listed_ids.h"

#include "support/temp_dir.h"
#include "support/test_mount.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <linux/fs.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;


bool isSymlink(const std::string& path)
{
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

using test_mount::run;

std::string strategyName(const testing::TestParamInfo<RenameStrategy>& info)
{
    switch (info.param) {
    case RenameStrategy::Native: return "Native";
    case RenameStrategy::LinkThenUnlink: return "LinkThenUnlink";
    case RenameStrategy::ReserveThenRename: return "ReserveThenRename";
    }
    return "Unknown";
}

const auto allStrategies =
    testing::Values(RenameStrategy::Native, RenameStrategy::LinkThenUnlink, RenameStrategy::ReserveThenRename);

// Every rule of a rename holds whichever way the file system lets it be
// done, by path alone and within a batch, where each rename goes relative to
// its directory held open, and there by name in the folder as a run renames.
struct RenameWay {
    RenameStrategy strategy;
    bool inBatch;
    bool byName = false;
};

class RenameTest : public testing::TestWithParam<RenameWay> {
protected:
    void SetUp() override
    {
        if (GetParam().inBatch) batch.emplace(fsys);
    }
    bool rename(const std::string& from, const std::string& to)
    {
        const std::size_t cut = from.rfind('/') + 1;
        if (!GetParam().byName || cut == 0 || to.compare(0, cut, from, 0, cut) != 0 ||
            to.find('/', cut) != std::string::npos)
            return fsys.renameEntry(from, to);
        const std::string_view f(from), t(to);
        return fsys.renameInFolder(f.substr(0, cut), f.substr(cut), t.substr(cut));
    }
    TempDir tmp;
    PosixFileSystem fsys{GetParam().strategy};
    std::optional<FileSystemBatch> batch;
};

INSTANTIATE_TEST_SUITE_P(
    Strategies, RenameTest,
    testing::Values(RenameWay{RenameStrategy::Native, false}, RenameWay{RenameStrategy::LinkThenUnlink, false},
                    RenameWay{RenameStrategy::ReserveThenRename, false}, RenameWay{RenameStrategy::Native, true},
                    RenameWay{RenameStrategy::LinkThenUnlink, true},
                    RenameWay{RenameStrategy::ReserveThenRename, true}, RenameWay{RenameStrategy::Native, true, true},
                    RenameWay{RenameStrategy::LinkThenUnlink, true, true},
                    RenameWay{RenameStrategy::ReserveThenRename, true, true}),
    [](const testing::TestParamInfo<RenameWay>& info) {
        return strategyName({info.param.strategy, info.index}) + (info.param.inBatch ? "InBatch" : "") +
               (info.param.byName ? "ByName" : "");
    });

TEST_P(RenameTest, MovesAFileToAFreeName)
{
    const std::string from = tmp.write("read me.txt", "one");
    EXPECT_TRUE(rename(from, tmp.file("READ ME.TXT")));
    EXPECT_EQ(namesIn(tmp.path()), std::vector<std::string>{"READ ME.TXT"});
    EXPECT_EQ(TempDir::read(tmp.file("READ ME.TXT")), "one");
}

TEST_P(RenameTest, EntryIdsAfterRenamesAreWhatAStatGives)
{
    // Within a batch the ids may come from a listing kept in step with the renames.
    const auto statId = [](const std::string& path) { return PosixFileSystem().entryId(path); };
    const std::string a = tmp.write("a"), b = tmp.write("b");
    fs::create_directory(tmp.file("d"));
    const EntryId first = statId(a), second = statId(b);
    // Asked often enough that the batch lists the directory before the renames.
    for (int i = 0; i < 20; ++i) EXPECT_EQ(fsys.entryId(a), first);
    ASSERT_TRUE(rename(a, tmp.file("c")));
    ASSERT_TRUE(rename(b, a));
    ASSERT_TRUE(rename(tmp.file("c"), tmp.file("e")));
    tmp.write("new");
    for (const char* name : {"a", "b", "c", "d", "e", "new"})
        EXPECT_EQ(fsys.entryId(tmp.file(name)), statId(tmp.file(name))) << name;
    EXPECT_EQ(fsys.entryId(a), second);
    EXPECT_EQ(fsys.entryId(tmp.file("e")), first);
    EXPECT_FALSE(fsys.entryId(b).known());
}

TEST(ListedIdsTest, EveryKeyFoundAndNeitherOfTwoThatShareOne)
{
    // Sizes around the index's bucket steps, keys at both ends of the range.
    for (const std::uint64_t n : {0u, 1u, 3u, 4u, 5u, 1000u, 4099u}) {
        ListedIds ids;
        std::vector<std::uint64_t> keys{0, ~std::uint64_t(0)};
        for (std::uint64_t i = 1; i <= n; ++i) keys.push_back(i * 0x9E3779B97F4A7C15u);
        for (std::size_t i = 0; i < keys.size(); ++i) ids.add(keys[i], 100 + i, S_IFREG);
        ids.add(keys.back(), 7, S_IFLNK);  // the last key twice
        ids.seal();
        for (std::size_t i = 0; i + 1 < keys.size(); ++i)
            ASSERT_EQ(ids.id(keys[i], 9), (EntryId{9, 100 + i, S_IFREG})) << n << " " << i;
        EXPECT_FALSE(ids.id(keys.back(), 9).known()) << n;
        EXPECT_FALSE(ids.id(12345, 9).known()) << n;
        EXPECT_EQ(ids.take(keys[0], 9), (EntryId{9, 100, S_IFREG})) << n;
        EXPECT_FALSE(ids.id(keys[0], 9).known()) << n;
    }
}

TEST_P(RenameTest, NeverReplacesAnExistingFile)
{
    const std::string from = tmp.write("a", "first");
    const std::string to = tmp.write("b", "second");
    EXPECT_FALSE(rename(from, to));
    EXPECT_EQ(TempDir::read(from), "first");
    EXPECT_EQ(TempDir::read(to), "second");
    EXPECT_EQ(namesIn(tmp.path()), (std::vector<std::string>{"a", "b"}));
}

TEST_P(RenameTest, ToItselfSucceedsOnlyWhenTheEntryExists)
{
    const std::string file = tmp.write("same", "x");
    EXPECT_TRUE(rename(file, file));
    EXPECT_EQ(TempDir::read(file), "x");
    EXPECT_FALSE(rename(tmp.file("missing"), tmp.file("missing")));
    fs::create_directory(tmp.file("dir"));
    EXPECT_TRUE(rename(tmp.file("dir"), tmp.file("dir")));
}

TEST_P(RenameTest, MissingSourceFails)
{
    EXPECT_FALSE(rename(tmp.file("gone"), tmp.file("new")));
    EXPECT_TRUE(namesIn(tmp.path()).empty());
}

TEST_P(RenameTest, EmptyNamesFail)
{
    const std::string file = tmp.write("a");
    EXPECT_FALSE(rename(file, ""));
    EXPECT_FALSE(rename("", file));
    EXPECT_EQ(namesIn(tmp.path()), std::vector<std::string>{"a"});
}

TEST_P(RenameTest, AHardLinkUnderTheNewNameIsAnotherFile)
{
    SKIP_WHERE_LACKING(FsNeed::HardLinks);
    const std::string from = tmp.write("a", "data");
    ASSERT_EQ(::link(from.c_str(), tmp.file("A").c_str()), 0);
    EXPECT_FALSE(rename(from, tmp.file("A")));
    EXPECT_EQ(namesIn(tmp.path()), (std::vector<std::string>{"A", "a"}));
}

TEST_P(RenameTest, RenamesADirectoryWithItsContents)
{
    fs::create_directory(tmp.file("Data"));
    tmp.write("Data/f", "in");
    EXPECT_TRUE(rename(tmp.file("Data"), tmp.file("DATA")));
    EXPECT_EQ(namesIn(tmp.path()), std::vector<std::string>{"DATA"});
    EXPECT_EQ(TempDir::read(tmp.file("DATA/f")), "in");
}

TEST_P(RenameTest, NeverReplacesAnEmptyDirectory)
{
    fs::create_directory(tmp.file("src"));
    tmp.write("src/f", "in");
    fs::create_directory(tmp.file("empty"));
    EXPECT_FALSE(rename(tmp.file("src"), tmp.file("empty")));
    EXPECT_TRUE(fs::is_directory(tmp.file("empty")));
    EXPECT_TRUE(fs::is_empty(tmp.file("empty")));
    EXPECT_EQ(TempDir::read(tmp.file("src/f")), "in");
}

TEST_P(RenameTest, NeverReplacesAFileWithADirectoryOrTheReverse)
{
    fs::create_directory(tmp.file("dir"));
    const std::string file = tmp.write("file", "f");
    EXPECT_FALSE(rename(tmp.file("dir"), file));
    EXPECT_FALSE(rename(file, tmp.file("dir")));
    EXPECT_EQ(TempDir::read(file), "f");
    EXPECT_TRUE(fs::is_directory(tmp.file("dir")));
}

TEST_P(RenameTest, RenamesASymbolicLinkNotItsTarget)
{
    SKIP_WHERE_LACKING(FsNeed::SymbolicLinks);
    const std::string target = tmp.write("target", "t");
    fs::create_symlink("target", tmp.file("link"));
    fs::create_symlink("nowhere", tmp.file("dangling"));
    EXPECT_TRUE(rename(tmp.file("link"), tmp.file("LINK")));
    EXPECT_TRUE(rename(tmp.file("dangling"), tmp.file("DANGLING")));
    EXPECT_TRUE(isSymlink(tmp.file("LINK")));
    EXPECT_TRUE(isSymlink(tmp.file("DANGLING")));
    EXPECT_EQ(fs::read_symlink(tmp.file("LINK")), "target");
    EXPECT_EQ(TempDir::read(target), "t");
    EXPECT_EQ(namesIn(tmp.path()), (std::vector<std::string>{"DANGLING", "LINK", "target"}));
}

TEST_P(RenameTest, NeverReplacesALinksTarget)
{
    SKIP_WHERE_LACKING(FsNeed::SymbolicLinks);
    const std::string target = tmp.write("target", "t");
    fs::create_symlink("target", tmp.file("link"));
    const std::string other = tmp.write("other", "o");
    EXPECT_FALSE(rename(other, tmp.file("link")));
    EXPECT_FALSE(rename(tmp.file("link"), target));
    EXPECT_TRUE(isSymlink(tmp.file("link")));
    EXPECT_EQ(TempDir::read(target), "t");
    EXPECT_EQ(TempDir::read(other), "o");
}

TEST_P(RenameTest, MultibyteNamesAsBytes)
{
    SKIP_WHERE_LACKING(FsNeed::AnyNameBytes);
    // CP932 ソ and 表 (trail byte 0x5C) and UTF-8 想
    const std::string sjis = "\x83\x5C\x95\x5C.txt";
    const std::string from = tmp.write(sjis, "s");
    EXPECT_TRUE(rename(from, tmp.file("\xE6\x83\xB3.TXT")));
    EXPECT_EQ(namesIn(tmp.path()), std::vector<std::string>{"\xE6\x83\xB3.TXT"});
}

TEST_P(RenameTest, MissingTargetDirectoryFails)
{
    const std::string from = tmp.write("a", "x");
    EXPECT_FALSE(rename(from, tmp.file("no/such")));
    EXPECT_EQ(TempDir::read(from), "x");
}

// A directory renamed meanwhile is no longer reached under its old path,
// even where it was held open for an earlier rename in it.
TEST_P(RenameTest, AFolderRenamedMeanwhileIsGoneUnderItsOldPath)
{
    fs::create_directory(tmp.file("dir"));
    tmp.write("dir/a", "a");
    tmp.write("dir/b", "b");
    EXPECT_TRUE(rename(tmp.file("dir/a"), tmp.file("dir/A")));
    EXPECT_TRUE(rename(tmp.file("dir"), tmp.file("moved")));
    EXPECT_FALSE(rename(tmp.file("dir/b"), tmp.file("dir/B")));
    EXPECT_FALSE(fsys.lookupEntry(tmp.file("dir/A")).exists);
    EXPECT_EQ(namesIn(tmp.file("moved")), (std::vector<std::string>{"A", "b"}));
}

TEST(SystemFileSystem, IsTheNativeOne)
{
    TempDir tmp;
    const std::string a = tmp.write("a", "1");
    const std::string b = tmp.write("b", "2");
    EXPECT_FALSE(systemFileSystem().renameEntry(a, b));
    EXPECT_TRUE(systemFileSystem().renameEntry(a, tmp.file("c")));
    EXPECT_EQ(&systemFileSystem(), &systemFileSystem());
}

// A real case-insensitive file system: a FAT image mounted through a loop
// device. Needs root, a loop device and the kernel's vfat driver.
class VfatTest : public testing::TestWithParam<RenameStrategy> {
protected:
    void SetUp() override
    {
        image = tmp.file("fat.img");
        mountPoint = tmp.file("mnt");
        fs::create_directory(mountPoint);
        std::string out;
        if (run("truncate -s 8M '" + image + "'", &out) != 0 ||
            run("mkfs.vfat '" + image + "'", &out) != 0) {
            GTEST_SKIP() << "cannot make a FAT image: " << out;
        }
        if (run("mount -o loop '" + image + "' '" + mountPoint + "'", &out) != 0) {
            GTEST_SKIP() << "cannot mount a FAT image (needs root, a loop device and vfat support): " << out;
        }
        mounted = true;
    }
    void TearDown() override
    {
        if (mounted) run("umount '" + mountPoint + "'");
    }
    std::string at(const std::string& name) const { return mountPoint + "/" + name; }

    TempDir tmp;
    std::string image;
    std::string mountPoint;
    bool mounted = false;
    PosixFileSystem fsys{GetParam()};
};

INSTANTIATE_TEST_SUITE_P(Strategies, VfatTest, allStrategies, strategyName);

TEST_P(VfatTest, ACaseOnlyRenameIsAnOrdinaryRename)
{
    TempDir::read(at("x"));  // nothing there
    { std::ofstream(at("Read Me File.txt")) << "data"; }
    EXPECT_TRUE(fsys.renameEntry(at("Read Me File.txt"), at("READ ME FILE.TXT")));
    EXPECT_EQ(namesIn(mountPoint), std::vector<std::string>{"READ ME FILE.TXT"});
    EXPECT_EQ(TempDir::read(at("READ ME FILE.TXT")), "data");

    const EntryInfo info = fsys.lookupEntry(at("read me file.txt"));
    EXPECT_TRUE(info.exists);
    EXPECT_FALSE(info.isDirectory);
    EXPECT_EQ(info.storedName, "READ ME FILE.TXT");
}

TEST_P(VfatTest, ACaseOnlyRenameOfADirectory)
{
    fs::create_directory(at("Data"));
    EXPECT_TRUE(fsys.renameEntry(at("Data"), at("data")));
    EXPECT_EQ(namesIn(mountPoint), std::vector<std::string>{"data"});
    EXPECT_EQ(fsys.lookupEntry(at("DATA")).storedName, "data");
    EXPECT_TRUE(fsys.lookupEntry(at("DATA")).isDirectory);
}

TEST_P(VfatTest, AnotherFileUnderAnotherCaseIsNotReplaced)
{
    { std::ofstream(at("one.txt")) << "1"; }
    { std::ofstream(at("Two.txt")) << "2"; }
    EXPECT_FALSE(fsys.renameEntry(at("one.txt"), at("TWO.TXT")));
    EXPECT_EQ(namesIn(mountPoint), (std::vector<std::string>{"Two.txt", "one.txt"}));
    EXPECT_EQ(TempDir::read(at("Two.txt")), "2");
}

// A file system that refuses RENAME_NOREPLACE and hard links and, when a
// rename arrives, first creates another file under the new name as another
// program would: that file must never be replaced.
class RaceTest : public testing::TestWithParam<bool> {
protected:
    void SetUp() override
    {
        if (!mount.mounted()) GTEST_SKIP() << mount.why();
    }
    std::string at(const std::string& name) const { return mount.path() + "/" + name; }

    TestMount mount{TestMount::Kind::Testfs, "--refuse-noreplace --refuse-link --compete"};
    PosixFileSystem fsys;
};

INSTANTIATE_TEST_SUITE_P(FileOrDirectory, RaceTest, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "Directory" : "File");
                         });

TEST_P(RaceTest, AFileCreatedUnderTheNewNameMeanwhileIsNeverReplaced)
{
    const bool directory = GetParam();
    if (directory) {
        fs::create_directory(at("mine"));
        std::ofstream(at("mine/inside")) << "mine";
    } else {
        std::ofstream(at("mine")) << "mine";
    }
    const bool renamed = fsys.renameEntry(at("mine"), at("new"));

    std::ifstream log(mount.competitorLog());
    for (std::string competitor; std::getline(log, competitor);)
        EXPECT_EQ(TempDir::read(mount.path() + competitor), "competitor") << competitor << " was replaced";
    const std::string kept = directory ? "/inside" : "";
    EXPECT_EQ(TempDir::read(at(renamed ? "new" : "mine") + kept), "mine");
    // No reservation is left behind either way.
    EXPECT_EQ(namesIn(mount.path()).size(), renamed ? 1u : 2u);
}

// Where the rename itself fails after the new name was reserved, the
// reservation goes again.
TEST(ReservationTest, NothingIsLeftWhenTheRenameFails)
{
    TestMount mount(TestMount::Kind::Testfs, "--refuse-noreplace --refuse-link");
    if (!mount.mounted()) GTEST_SKIP() << mount.why();
    PosixFileSystem fsys;
    const std::string dir = mount.path() + "/dir";
    fs::create_directory(dir);
    fs::create_directory(dir + "/sub");
    EXPECT_FALSE(fsys.renameEntry(dir, dir + "/sub/into-itself"));
    EXPECT_TRUE(fs::is_empty(dir + "/sub"));
    { std::ofstream(mount.path() + "/taken") << "taken"; }
    std::ofstream(mount.path() + "/file") << "file";
    EXPECT_FALSE(fsys.renameEntry(mount.path() + "/file", mount.path() + "/taken"));
    EXPECT_EQ(TempDir::read(mount.path() + "/taken"), "taken");
    EXPECT_EQ(namesIn(mount.path()), (std::vector<std::string>{"dir", "file", "taken"}));
}

// SIGTERM while renames go onto reservations ends the program only once the
// rename under way is done: no empty reservation is left beside a file.
TEST(ReservationTest, TerminationNeverLeavesAReservation)
{
    TestMount mount(TestMount::Kind::Testfs, "--refuse-noreplace --refuse-link");
    if (!mount.mounted()) GTEST_SKIP() << mount.why();
    constexpr int files = 30;
    const auto at = [&](int i, bool renamed) {
        return mount.path() + "/file" + std::to_string(i) + (renamed ? ".new" : "");
    };
    for (int i = 0; i < files; ++i) std::ofstream(at(i, false)) << i;
    for (int round = 0; round < 4; ++round) {
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            PosixFileSystem own;
            const FileSystemBatch batch(own);
            (void)!::write(ready[1], "r", 1);
            for (bool renamed = true;; renamed = !renamed)
                for (int i = 0; i < files; ++i) own.renameEntry(at(i, !renamed), at(i, renamed));
        }
        char c;
        ASSERT_EQ(::read(ready[0], &c, 1), 1);
        ::usleep((20 + 7 * round) * 1000);
        ::kill(child, SIGTERM);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ::close(ready[0]);
        ::close(ready[1]);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);
        EXPECT_EQ(namesIn(mount.path()).size(), std::size_t(files));
        for (int i = 0; i < files; ++i) {
            const bool renamed = fs::exists(at(i, true));
            EXPECT_EQ(TempDir::read(at(i, renamed)), std::to_string(i)) << i;
        }
    }
}

// exFAT through FUSE: case-insensitive, no RENAME_NOREPLACE for a free name,
// no hard links, and each spelling of a name with its own inode number.
class ExfatTest : public testing::Test {
protected:
    static void SetUpTestSuite() { mount = new TestMount(TestMount::Kind::Exfat); }
    static void TearDownTestSuite()
    {
        delete mount;
        mount = nullptr;
    }
    void SetUp() override
    {
        if (!mount->mounted()) GTEST_SKIP() << mount->why();
        std::string pattern = mount->path() + "/case-XXXXXX";
        if (::mkdtemp(pattern.data())) dir = pattern;
        ASSERT_FALSE(dir.empty());
    }
    void TearDown() override
    {
        std::error_code ec;
        if (!dir.empty()) fs::remove_all(dir, ec);
    }
    std::string at(const std::string& name) const { return dir + "/" + name; }

    static TestMount* mount;
    std::string dir;
    PosixFileSystem fsys;
};

TestMount* ExfatTest::mount = nullptr;

TEST_F(ExfatTest, UpperAndLowerCaseOfFilesAndDirectories)
{
    { std::ofstream(at("photo_000000.jpeg")) << "jpeg"; }
    fs::create_directory(at("Data"));
    EXPECT_TRUE(fsys.renameEntry(at("photo_000000.jpeg"), at("PHOTO_000000.JPEG")));
    EXPECT_TRUE(fsys.renameEntry(at("Data"), at("data")));
    EXPECT_EQ(namesIn(dir), (std::vector<std::string>{"PHOTO_000000.JPEG", "data"}));
    EXPECT_EQ(TempDir::read(at("PHOTO_000000.JPEG")), "jpeg");

    const EntryInfo file = fsys.lookupEntry(at("photo_000000.jpeg"));
    EXPECT_TRUE(file.exists);
    EXPECT_FALSE(file.isDirectory);
    EXPECT_EQ(file.storedName, "PHOTO_000000.JPEG");
    EXPECT_EQ(fsys.lookupEntry(at("DATA")).storedName, "data");
    EXPECT_TRUE(fsys.lookupEntry(at("DATA")).isDirectory);
    EXPECT_FALSE(fsys.lookupEntry(at("missing")).exists);
}

// The temporary name of a case-only rename is the file's name plus a tag,
// cut at a character boundary where that would pass 255 bytes.
TEST_F(ExfatTest, CaseOnlyRenamesOfLongNames)
{
    std::string kanji;
    for (int i = 0; i < 83; ++i) kanji += "\xE5\x86\x99";  // 写, three bytes in UTF-8
    for (const std::string& stem : {std::string(251, 'a'), kanji}) {
        { std::ofstream(at(stem + ".txt")) << "long"; }
        EXPECT_TRUE(fsys.renameEntry(at(stem + ".txt"), at(stem + ".TXT"))) << stem.size();
        EXPECT_EQ(namesIn(dir), std::vector<std::string>{stem + ".TXT"});
        EXPECT_EQ(TempDir::read(at(stem + ".TXT")), "long");
        fs::remove(at(stem + ".TXT"));
    }
}

// SIGTERM in the middle of case-only renames ends the program only once the
// rename under way has taken both its steps: no file is left under a
// temporary name. A few rounds, as the signal may come between two renames.
TEST_F(ExfatTest, TerminationNeverLeavesAFileUnderItsTemporaryName)
{
    constexpr int files = 50;
    const auto name = [](int i, bool upper) {
        return (upper ? "FILE" : "file") + std::to_string(i) + (upper ? ".TXT" : ".txt");
    };
    for (int i = 0; i < files; ++i) std::ofstream(at(name(i, false))) << i;
    for (int round = 0; round < 6; ++round) {
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // Back and forth until the signal comes.
            PosixFileSystem own;
            (void)!::write(ready[1], "r", 1);
            for (bool upper = true;; upper = !upper)
                for (int i = 0; i < files; ++i) own.renameEntry(at(name(i, !upper)), at(name(i, upper)));
        }
        char c;
        ASSERT_EQ(::read(ready[0], &c, 1), 1);
        ::usleep((20 + 7 * round) * 1000);
        ::kill(child, SIGTERM);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ::close(ready[0]);
        ::close(ready[1]);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);

        const std::vector<std::string> names = namesIn(dir);
        EXPECT_EQ(names.size(), std::size_t(files));
        for (const std::string& n : names) EXPECT_EQ(n.find(".vorel-case-"), std::string::npos) << n;
        for (int i = 0; i < files; ++i) {
            const bool upper = std::find(names.begin(), names.end(), name(i, true)) != names.end();
            EXPECT_EQ(TempDir::read(at(name(i, upper))), std::to_string(i)) << i;
        }
    }
}

TEST_F(ExfatTest, AnotherFileUnderAnotherCaseIsNotReplaced)
{
    { std::ofstream(at("one.txt")) << "1"; }
    { std::ofstream(at("Two.txt")) << "2"; }
    EXPECT_FALSE(fsys.renameEntry(at("one.txt"), at("TWO.TXT")));
    EXPECT_FALSE(fsys.renameEntry(at("one.txt"), at("Two.txt")));
    EXPECT_EQ(namesIn(dir), (std::vector<std::string>{"Two.txt", "one.txt"}));
    EXPECT_EQ(TempDir::read(at("Two.txt")), "2");
    EXPECT_EQ(TempDir::read(at("one.txt")), "1");
}

TEST_F(ExfatTest, ABatchListsTheDirectoryOnce)
{
    constexpr int files = 40;
    const auto name = [](int i) { return "file" + std::to_string(i); };
    for (int i = 0; i < files; ++i) std::ofstream(at(name(i) + ".txt")) << i;
    {
        const FileSystemBatch batch(fsys);
        // By path and by name in the folder, as a run renames.
        for (int i = 0; i < files; ++i)
            ASSERT_TRUE(i % 2 ? fsys.renameInFolder(dir + "/", name(i) + ".txt", name(i) + ".TXT")
                              : fsys.renameEntry(at(name(i) + ".txt"), at(name(i) + ".TXT")))
                << name(i);
    }
    EXPECT_EQ(fsys.directoryReads(), 1);
    {
        const FileSystemBatch batch(fsys);
        for (int i = 0; i < files; ++i) {
            EXPECT_EQ(fsys.lookupEntry(at(name(i) + ".TXT")).storedName, name(i) + ".TXT");
            EXPECT_EQ(fsys.lookupEntry(at(name(i) + ".txt")).storedName, name(i) + ".TXT");
        }
    }
    EXPECT_EQ(fsys.directoryReads(), 2);
}

class LookupTest : public testing::Test {
protected:
    TempDir tmp;
    FileSystem& fsys = systemFileSystem();
};

TEST_F(LookupTest, KindsOfEntry)
{
    SKIP_WHERE_LACKING(FsNeed::SymbolicLinks);
    tmp.write("file.txt", "x");
    fs::create_directory(tmp.file("dir"));
    fs::create_symlink("dir", tmp.file("dirlink"));
    fs::create_symlink("file.txt", tmp.file("filelink"));
    fs::create_symlink("nowhere", tmp.file("dangling"));

    struct Case {
        const char* name;
        bool exists;
        bool isDirectory;
    };
    for (const Case& c : {Case{"file.txt", true, false}, Case{"dir", true, true}, Case{"dirlink", true, true},
                          Case{"filelink", true, false}, Case{"dangling", true, false},
                          Case{"missing", false, false}, Case{"FILE.TXT", false, false}}) {
        const EntryInfo info = fsys.lookupEntry(tmp.file(c.name));
        EXPECT_EQ(info.exists, c.exists) << c.name;
        EXPECT_EQ(info.isDirectory, c.isDirectory) << c.name;
        if (c.exists) {
            EXPECT_EQ(info.storedName, c.name);
        }
    }
}

TEST_F(LookupTest, StoredNameOnACaseSensitiveFileSystemIsTheName)
{
    SKIP_WHERE_LACKING(FsNeed::HardLinks);
    tmp.write("Mixed.Case", "x");
    const std::string hardLink = tmp.file("MIXED.CASE");
    ASSERT_EQ(::link(tmp.file("Mixed.Case").c_str(), hardLink.c_str()), 0);
    EXPECT_EQ(fsys.lookupEntry(tmp.file("Mixed.Case")).storedName, "Mixed.Case");
    EXPECT_EQ(fsys.lookupEntry(hardLink).storedName, "MIXED.CASE");
    EXPECT_FALSE(fsys.lookupEntry(tmp.file("Mixed.Case") + "/").exists);  // not a directory
    fs::create_directory(tmp.file("Dir"));
    EXPECT_EQ(fsys.lookupEntry(tmp.file("Dir") + "/").storedName, "Dir");
    EXPECT_EQ(fsys.lookupEntry(tmp.file("\x95\x5C")).exists, false);
    tmp.write("\x95\x5C", "");
    EXPECT_EQ(fsys.lookupEntry(tmp.file("\x95\x5C")).storedName, "\x95\x5C");
}

TEST_F(LookupTest, EmptyPathDoesNotExist)
{
    EXPECT_FALSE(fsys.lookupEntry("").exists);
}

TEST_F(LookupTest, ListsHiddenEntriesAndDirectories)
{
    SKIP_WHERE_LACKING(FsNeed::SymbolicLinks);
    tmp.write(".hidden", "h");
    tmp.write("plain", "p");
    fs::create_directory(tmp.file("sub"));
    fs::create_directory(tmp.file(".hiddendir"));
    fs::create_symlink("sub", tmp.file("sublink"));
    fs::create_symlink("plain", tmp.file("plainlink"));
    fs::create_symlink("nowhere", tmp.file("dangling"));

    std::vector<DirEntry> entries;
    ASSERT_TRUE(fsys.listDirectory(tmp.path().string(), entries));
    std::vector<std::pair<std::string, bool>> got;
    for (const DirEntry& e : entries) got.emplace_back(e.name, e.isDirectory);
    std::sort(got.begin(), got.end());
    const std::vector<std::pair<std::string, bool>> expected = {
        {".hidden", false}, {".hiddendir", true}, {"dangling", false}, {"plain", false},
        {"plainlink", false}, {"sub", true},      {"sublink", true}};
    EXPECT_EQ(got, expected);

    // With a final separator too, and the order is the system's own.
    std::vector<DirEntry> again;
    ASSERT_TRUE(fsys.listDirectory(tmp.path().string() + "/", again));
    ASSERT_EQ(again.size(), entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(again[i].name, entries[i].name);
        EXPECT_EQ(again[i].isDirectory, entries[i].isDirectory);
    }
}

TEST_F(LookupTest, ListingAnEmptyOrMissingDirectory)
{
    std::vector<DirEntry> entries{{"stale", false, {}}};
    ASSERT_TRUE(fsys.listDirectory(tmp.path().string(), entries));
    EXPECT_TRUE(entries.empty());
    EXPECT_FALSE(fsys.listDirectory(tmp.file("missing"), entries));
    EXPECT_FALSE(fsys.listDirectory(tmp.write("file"), entries));
}

TEST_F(LookupTest, FileExists)
{
    SKIP_WHERE_LACKING(FsNeed::SymbolicLinks);
    tmp.write("f", "");
    fs::create_directory(tmp.file("d"));
    fs::create_symlink("f", tmp.file("flink"));
    fs::create_symlink("nowhere", tmp.file("dangling"));
    EXPECT_TRUE(fsys.fileExists(tmp.file("f")));
    EXPECT_TRUE(fsys.fileExists(tmp.file("flink")));
    EXPECT_FALSE(fsys.fileExists(tmp.file("d")));
    EXPECT_FALSE(fsys.fileExists(tmp.file("dangling")));
    EXPECT_FALSE(fsys.fileExists(tmp.file("missing")));
    EXPECT_FALSE(fsys.fileExists(""));
}

class FileContentsTest : public testing::Test {
protected:
    TempDir tmp;
    FileSystem& fsys = systemFileSystem();
};

TEST_F(FileContentsTest, TextFileWriterWritesTheBytesAsGiven)
{
    const std::string path = tmp.write("report.txt", "old contents that are longer");
    auto writer = fsys.createTextFile(path);
    ASSERT_TRUE(writer);
    EXPECT_TRUE(writer->write(std::string("/d/\x95\x5C.txt\r\n")));
    EXPECT_TRUE(writer->write("", 0));
    EXPECT_TRUE(writer->write(std::string("a\0b\r\n", 5)));
    EXPECT_TRUE(writer->close());
    EXPECT_EQ(TempDir::read(path), std::string("/d/\x95\x5C.txt\r\na\0b\r\n", 16));
    EXPECT_FALSE(writer->write(std::string("late")));
    EXPECT_FALSE(writer->close());
}

TEST_F(FileContentsTest, TextFileWriterLargeWrite)
{
    const std::string path = tmp.file("big");
    const std::string big(3 * 1024 * 1024 + 7, 'z');
    auto writer = fsys.createTextFile(path);
    ASSERT_TRUE(writer);
    EXPECT_TRUE(writer->write(big));
    EXPECT_TRUE(writer->close());
    EXPECT_EQ(TempDir::read(path), big);
}

TEST_F(FileContentsTest, TextFileWriterDestroyedWithoutClose)
{
    const std::string path = tmp.file("x");
    {
        auto writer = fsys.createTextFile(path);
        ASSERT_TRUE(writer);
        EXPECT_TRUE(writer->write(std::string("kept")));
    }
    EXPECT_EQ(TempDir::read(path), "kept");
}

TEST_F(FileContentsTest, CreateTextFileFailsAndNeverOpensADevice)
{
    fs::create_directory(tmp.file("dir"));
    const std::string paths[] = {
        tmp.file("no/such/file"),
        tmp.file("dir"),
        tmp.write("plain") + "/x",  // a parent that is a regular file fails for root as well
        "/dev/full",
        "/dev/null",
    };
    for (const std::string& path : paths) EXPECT_EQ(fsys.createTextFile(path), nullptr) << path;
}

TEST_F(FileContentsTest, ReadFile)
{
    std::string contents = "stale";
    const std::string bytes("[S]\r\nk=\x95\x5C\0z", 12);
    ASSERT_TRUE(fsys.readFile(tmp.write("f", bytes), contents, 100));
    EXPECT_EQ(contents, bytes);
    ASSERT_TRUE(fsys.readFile(tmp.write("empty", ""), contents, 100));
    EXPECT_EQ(contents, "");
    // No further than the limit.
    ASSERT_TRUE(fsys.readFile(tmp.file("f"), contents, 5));
    EXPECT_EQ(contents, "[S]\r\n");
    ASSERT_TRUE(fsys.readFile(tmp.file("f"), contents, 12));
    EXPECT_EQ(contents, bytes);
    contents = "kept";
    EXPECT_FALSE(fsys.readFile(tmp.file("missing"), contents, 100));
    fs::create_directory(tmp.file("dir"));
    EXPECT_FALSE(fsys.readFile(tmp.file("dir"), contents, 100));
    EXPECT_EQ(contents, "kept");
}

TEST_F(FileContentsTest, RewriteFileReplacesAndKeepsPermissions)
{
    SKIP_WHERE_LACKING(FsNeed::PermissionBits);
    const std::string path = tmp.write("VOREL.INI", "old");
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    EXPECT_TRUE(fsys.rewriteFile(path, "[A]\r\nb=c\r\n"));
    EXPECT_EQ(TempDir::read(path), "[A]\r\nb=c\r\n");
    struct stat st;
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(namesIn(tmp.path()), std::vector<std::string>{"VOREL.INI"});  // no temporary left
}

TEST_F(FileContentsTest, RewriteFileCreatesAMissingFile)
{
    SKIP_WHERE_LACKING(FsNeed::PermissionBits);
    const mode_t old = ::umask(022);
    const std::string path = tmp.file("new.ini");
    EXPECT_TRUE(fsys.rewriteFile(path, ""));
    EXPECT_TRUE(fs::exists(path));
    EXPECT_EQ(TempDir::read(path), "");
    struct stat st;
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
    ::umask(old);
    EXPECT_EQ(namesIn(tmp.path()), std::vector<std::string>{"new.ini"});
}

TEST_F(FileContentsTest, RewriteFileThroughALinkReplacesTheTarget)
{
    SKIP_WHERE_LACKING(FsNeed::SymbolicLinks);
    const std::string target = tmp.write("real.ini", "old");
    fs::create_symlink("real.ini", tmp.file("link.ini"));
    EXPECT_TRUE(fsys.rewriteFile(tmp.file("link.ini"), "new"));
    EXPECT_TRUE(isSymlink(tmp.file("link.ini")));
    EXPECT_EQ(TempDir::read(target), "new");
}

// A link carries a write only to a file of the link's owner: never into
// another user's file, nor to create the file a dangling link names.
TEST_F(FileContentsTest, WritesThroughALinkOnlyToAFileOfTheLinksOwner)
{
    SKIP_WHERE_LACKING(FsNeed::SymbolicLinks);
    const uid_t other = 65534;
    const struct {
        const char* label;
        bool othersLink, othersFile, dangling, written;
    } cases[] = {
        {"own link to own file", false, false, false, true},
        {"another user's link to own file", true, false, false, false},
        {"own link to another user's file", false, true, false, false},
        {"another user's link to that user's file", true, true, false, true},
        {"link to nothing", false, false, true, false},
    };
    using Write = bool (*)(FileSystem&, const std::string&);
    const std::pair<const char*, Write> writers[] = {
        {"settings", [](FileSystem& f, const std::string& p) { return f.rewriteFile(p, "new"); }},
        {"report", [](FileSystem& f, const std::string& p) {
             auto w = f.createTextFile(p);
             return w && w->write(std::string("new")) && w->close();
         }},
    };
    for (const auto& [writer, write] : writers) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(writer) + ": " + c.label);
            TempDir folder;
            const std::string target = c.dangling ? folder.file("target") : folder.write("target", "old");
            const std::string link = folder.file("vorel.TXT");
            fs::create_symlink("target", link);
            if ((c.othersFile && ::chown(target.c_str(), other, other) != 0) ||
                (c.othersLink && ::lchown(link.c_str(), other, other) != 0))
                GTEST_SKIP() << "cannot give a file to another user here (needs root)";
            EXPECT_EQ(write(fsys, link), c.written);
            EXPECT_TRUE(isSymlink(link));
            if (c.dangling)
                EXPECT_FALSE(fs::exists(target));
            else
                EXPECT_EQ(TempDir::read(target), c.written ? "new" : "old");
        }
    }
}

TEST_F(FileContentsTest, RewriteFileFailsWhereNothingCanBeCreated)
{
    // The parent is a regular file: this fails for root too, who ignores
    // permission bits.
    const std::string parent = tmp.write("plain", "p");
    EXPECT_FALSE(fsys.rewriteFile(parent + "/x.ini", "new"));
    EXPECT_EQ(TempDir::read(parent), "p");
    // A directory is not replaced by a file.
    fs::create_directory(tmp.file("dir"));
    EXPECT_FALSE(fsys.rewriteFile(tmp.file("dir"), "new"));
    EXPECT_TRUE(fs::is_directory(tmp.file("dir")));
    EXPECT_EQ(namesIn(tmp.path()), (std::vector<std::string>{"dir", "plain"}));
}

TEST_F(FileContentsTest, RewriteFileFailureLeavesTheOldFile)
{
    // An immutable file cannot be replaced even by root.
    const std::string path = tmp.write("VOREL.INI", "old contents");
    const int fd = ::open(path.c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    int flags = 0;
    const bool immutable = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 &&
                           (flags |= FS_IMMUTABLE_FL, ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0);
    if (!immutable) {
        ::close(fd);
        GTEST_SKIP() << "cannot make a file immutable here (needs root and a file system with the flag)";
    }
    EXPECT_FALSE(fsys.rewriteFile(path, "new"));
    flags &= ~FS_IMMUTABLE_FL;
    ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
    ::close(fd);
    EXPECT_EQ(TempDir::read(path), "old contents");
    EXPECT_EQ(namesIn(tmp.path()), std::vector<std::string>{"VOREL.INI"});
}

TEST_F(FileContentsTest, RewriteFileOnAFullFileSystemLeavesTheOldFile)
{
    const std::string mountPoint = tmp.file("small");
    fs::create_directory(mountPoint);
    std::string out;
    if (run("mount -t tmpfs -o size=64k tmpfs '" + mountPoint + "'", &out) != 0)
        GTEST_SKIP() << "cannot mount a small tmpfs (needs root): " << out;
    const std::string path = mountPoint + "/VOREL.INI";
    { std::ofstream(path) << "old contents"; }
    EXPECT_FALSE(fsys.rewriteFile(path, std::string(1024 * 1024, 'x')));
    EXPECT_EQ(TempDir::read(path), "old contents");
    EXPECT_EQ(namesIn(mountPoint), std::vector<std::string>{"VOREL.INI"});
    run("umount '" + mountPoint + "'");
}

// A write killed by SIGXFSZ in a child process (the default action of the
// signal ends it) leaves its temporary file as SIGKILL would.
TEST_F(FileContentsTest, RewriteFileRemovesWhatAKilledRewriteLeft)
{
    const std::string path = tmp.write("VOREL.INI", "old");
    // Files of the user's that only look alike are kept.
    const std::vector<std::string> others{".vorel-1.tmp", ".vorel-VOREL.INI-notes.tmp", "VOREL.INI.tmp"};
    for (const std::string& name : others) tmp.write(name, "mine");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_DFL);
        const rlimit limit{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        systemFileSystem().rewriteFile(path, std::string(65536, 'x'));
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ) << "the write was not killed";
    EXPECT_EQ(TempDir::read(path), "old");
    ASSERT_EQ(namesIn(tmp.path()).size(), others.size() + 2) << "no temporary file left";

    EXPECT_TRUE(fsys.rewriteFile(path, "new"));
    std::vector<std::string> expected = others;
    expected.push_back("VOREL.INI");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(namesIn(tmp.path()), expected);
    EXPECT_EQ(TempDir::read(path), "new");
}

struct InPlace {
    const char* name;
    std::string before;
    std::string after;
};

// In a folder without write permission the file is rewritten in place: the
// same inode, shorter or longer, nothing else created.
TEST_F(FileContentsTest, RewriteFileInAFolderThatCannotBeWrittenRewritesInPlace)
{
    SKIP_WHERE_LACKING(FsNeed::PermissionBits);
    const InPlace cases[] = {
        {"shorter", "[S]\r\nK=a long old value\r\n", "[S]\r\nK=v\r\n"},
        {"longer", "[S]\r\n", "[S]\r\nK=a value longer than before\r\n"},
        {"same size", "[S]\r\nK=1\r\n", "[S]\r\nK=2\r\n"},
        {"empty", "[S]\r\n", ""},
    };
    for (const InPlace& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir folder;
        const std::string path = folder.write("VOREL.INI", c.before);
        ASSERT_EQ(::chmod(path.c_str(), 0604), 0);
        struct stat before;
        ASSERT_EQ(::stat(path.c_str(), &before), 0);
        ASSERT_EQ(::chmod(folder.path().c_str(), 0555), 0);
        EXPECT_TRUE(fsys.rewriteFile(path, c.after));
        EXPECT_EQ(TempDir::read(path), c.after);
        struct stat after;
        ASSERT_EQ(::stat(path.c_str(), &after), 0);
        EXPECT_EQ(after.st_ino, before.st_ino);
        EXPECT_EQ(after.st_mode & 07777, 0604u);
        EXPECT_EQ(namesIn(folder.path()), std::vector<std::string>{"VOREL.INI"});
    }

    // A file that is not there cannot be created there.
    TempDir folder;
    ASSERT_EQ(::chmod(folder.path().c_str(), 0555), 0);
    EXPECT_FALSE(fsys.rewriteFile(folder.file("VOREL.INI"), "new"));
    EXPECT_TRUE(namesIn(folder.path()).empty());
}

// Two programs rewriting one file in place at the same moment take turns:
// after every round the file holds one of the two versions, whole.
TEST_F(FileContentsTest, TwoWritersInPlaceLeaveOneWholeVersion)
{
    SKIP_WHERE_LACKING(FsNeed::PermissionBits);
    const std::string versions[] = {"[S]\r\n" + std::string(2000000, 'a') + "\r\n\r\n",
                                    "[S]\r\nK=" + std::string(1300000, 'b') + "\r\n"};
    const std::string path = tmp.write("VOREL.INI", versions[0]);
    ASSERT_EQ(::chmod(tmp.path().c_str(), 0555), 0);
    int start[2][2], done[2][2];
    for (int i = 0; i < 2; ++i) ASSERT_TRUE(::pipe(start[i]) == 0 && ::pipe(done[i]) == 0);
    pid_t writers[2];
    for (int i = 0; i < 2; ++i) {
        writers[i] = ::fork();
        ASSERT_GE(writers[i], 0);
        if (writers[i] == 0) {
            // Only the test's own ends stay open, so a writer ends with it.
            for (int j = 0; j < 2; ++j) ::close(start[j][1]), ::close(done[j][0]);
            PosixFileSystem own;
            for (char go; ::read(start[i][0], &go, 1) == 1 && go;) {
                const char ok = own.rewriteFile(path, versions[i]) ? 1 : 0;
                if (::write(done[i][1], &ok, 1) != 1) break;
            }
            ::_exit(0);
        }
    }
    for (int i = 0; i < 2; ++i) ::close(start[i][0]), ::close(done[i][1]);
    for (int round = 0; round < 40; ++round) {
        SCOPED_TRACE(round);
        for (auto& pipe : start) ASSERT_EQ(::write(pipe[1], "\1", 1), 1);
        for (auto& pipe : done) {
            char ok = 0;
            ASSERT_EQ(::read(pipe[0], &ok, 1), 1);
            EXPECT_TRUE(ok);
        }
        const std::string now = TempDir::read(path);
        ASSERT_TRUE(now == versions[0] || now == versions[1]) << now.size() << " bytes";
    }
    for (int i = 0; i < 2; ++i) {
        (void)!::write(start[i][1], "", 1);
        ::waitpid(writers[i], nullptr, 0);
    }
}

// A writer that finds another writer's turn reads the file only once the
// turn is its own, so what the other wrote meanwhile is kept: in place and
// by rename. One that read first has closed the file within the second the
// other writer waits before writing.
TEST_F(FileContentsTest, AWriterReadsTheFileInItsOwnTurn)
{
    SKIP_WHERE_LACKING(FsNeed::PermissionBits);
    for (const bool inPlace : {true, false}) {
        SCOPED_TRACE(inPlace ? "in place" : "by rename");
        TempDir folder;
        const std::string path = folder.write("VOREL.INI", "[S]\r\n");
        if (inPlace) {
            ASSERT_EQ(::chmod(folder.path().c_str(), 0555), 0);
        }
        const int other = ::open((inPlace ? path : folder.path().string()).c_str(), O_RDONLY | O_CLOEXEC);
        ASSERT_EQ(::flock(other, LOCK_EX), 0);
        const int reads = ::inotify_init1(IN_CLOEXEC);
        ASSERT_GE(::inotify_add_watch(reads, path.c_str(), IN_CLOSE_NOWRITE), 0);
        std::thread writer([&] {
            const auto addKey = [](ReadResult, std::string& ini) { return !(ini += "A=1\r\n").empty(); };
            EXPECT_TRUE(fsys.editFile(path, 4096, addKey));
        });
        pollfd read{reads, POLLIN, 0};
        ::poll(&read, 1, 1000);
        folder.write("VOREL.INI", "[S]\r\nB=2\r\n");
        ::close(other);
        writer.join();
        ::close(reads);
        EXPECT_EQ(TempDir::read(path), "[S]\r\nB=2\r\nA=1\r\n");
    }
}

}  // namespace
