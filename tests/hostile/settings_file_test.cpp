// Hostile settings files as the main window meets them: read at start,
// written back at exit, on real files. Nothing crashes, nothing that was in
// the file is lost, and a write that fails says so and leaves the file as it
// was.
#include "settings/ini_file.h"
#include "settings/list_settings.h"

#include "platform/app_error.h"
#include "platform/codepage.h"
#include "platform/fs.h"
#include "report/report.h"
#include "support/code_page_scope.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/mount.h>
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace std::string_literals;
namespace fs = std::filesystem;

const std::string Launcher = "[ProgTitle]\r\n1=mousepad\r\n[ProgName]\r\n1=/usr/bin/mousepad\r\n";

const ListSettings Defaults{"system", "14", "clBlack", "clWindow"};

// The list section as the main window writes it at exit, in its order.
std::string textSection(const ListSettings& s)
{
    return "[TextJyouhou]\r\nTextFontName=" + s.ListFontName + "\r\nTextFontSize=" + s.ListFontSize +
           "\r\nTextFontColor=" + s.ListFontColor + "\r\nTextBackColor=" + s.ListBackColor + "\r\n";
}

// What the main window writes at exit, in its order, for these settings.
std::string exitSections(const ListSettings& s, int mode)
{
    return textSection(s) + "[DbcsSet]\r\nSet=" + std::to_string(mode) + "\r\n";
}

// The settings as start-up reads them.
struct ReadAtStart { ListSettings settings; std::int32_t mode = 0; };
ReadAtStart readAtStart(IniFile& ini)
{
    ReadAtStart r;
    readMainSettings(ini, r.settings, r.mode);
    return r;
}

// The exit write fails with the write error naming the file.
void expectExitWriteError(IniFile& ini, const ListSettings& settings, int mode)
{
    try {
        writeMainSettings(ini, settings, mode);
        ADD_FAILURE() << "no write error";
    } catch (const AppError& e) {
        EXPECT_EQ(e.message(), ini.path() + fixedText(" に書き込めません"));
    }
}

struct HostileFile {
    const char* name;
    std::string contents;
    ListSettings read;     // what start-up reads
    int mode;
    std::string afterExit;  // the file after exit wrote the settings as read
};

TEST(HostileSettingsFile, ReadAtStartAndWrittenAtExitKeepEverythingElse)
{
    CodePageScope cp(CodePage::Utf8);
    std::string binary;
    for (int i = 0; i < 16; ++i)
        for (int b = 0; b < 256; ++b) binary += char(b);
    const std::string sjisName = "\x82\x6C\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4E";  // ＭＳ ゴシック

    const HostileFile cases[] = {
        {"empty file", "", Defaults, 3, exitSections(Defaults, 3)},
        {"only line ends", "\r\n\n\r", Defaults, 3, "\r\n\n\r" + exitSections(Defaults, 3)},
        {"byte order mark only", "\xEF\xBB\xBF", Defaults, 3, "\xEF\xBB\xBF" + exitSections(Defaults, 3)},
        {"binary", binary, Defaults, 3, binary + "\r\n" + exitSections(Defaults, 3)},
        {"NUL bytes", Launcher + "[TextJyouhou]\r\nTextFontName=MS\0Gothic\r\n\0\0\0\r\n[DbcsSet]\r\nSet=2\0\r\n"s,
         {"MS", "14", "clBlack", "clWindow"}, 2,
         Launcher + "[TextJyouhou]\r\nTextFontName=MS\r\nTextFontSize=14\r\nTextFontColor=clBlack\r\n"
                    "TextBackColor=clWindow\r\n\0\0\0\r\n[DbcsSet]\r\nSet=2\r\n"s},
        {"NUL in a section name", "[Text\0Jyouhou]\r\nTextFontSize=9\r\n"s, Defaults, 3,
         "[Text\0Jyouhou]\r\nTextFontSize=9\r\n"s + exitSections(Defaults, 3)},
        {"duplicate sections and keys",
         "[TextJyouhou]\r\nTextFontSize=10\r\ntextfontsize=20\r\n[DbcsSet]\r\nSet=1\r\n"
         "[TEXTJYOUHOU]\r\nTextFontSize=30\r\nTextFontName=late\r\n[dbcsset]\r\nSet=2\r\n",
         {"system", "10", "clBlack", "clWindow"}, 1,
         "[TextJyouhou]\r\nTextFontSize=10\r\ntextfontsize=20\r\nTextFontName=system\r\n"
         "TextFontColor=clBlack\r\nTextBackColor=clWindow\r\n[DbcsSet]\r\nSet=1\r\n"
         "[TEXTJYOUHOU]\r\nTextFontSize=30\r\nTextFontName=late\r\n[dbcsset]\r\nSet=2\r\n"},
        {"no line end after a value", Launcher + "[DbcsSet]\r\nSet=2", Defaults, 2,
         Launcher + "[DbcsSet]\r\nSet=2\r\n" + textSection(Defaults)},
        {"no line end after a header", "[TextJyouhou]", Defaults, 3, exitSections(Defaults, 3)},
        {"keys before any section", "TextFontName=x\r\nSet=1\r\n", Defaults, 3,
         "TextFontName=x\r\nSet=1\r\n" + exitSections(Defaults, 3)},
        {"Shift-JIS bytes read as UTF-8", "[TextJyouhou]\r\nTextFontName=" + sjisName + "\r\n",
         {sjisName, "14", "clBlack", "clWindow"}, 3,
         exitSections({sjisName, "14", "clBlack", "clWindow"}, 3)},
        {"values that do not parse", "[TextJyouhou]\r\nTextFontSize=big\r\nTextFontColor=0xFF\r\n[DbcsSet]\r\nSet=x\r\n",
         {"system", "big", "0xFF", "clWindow"}, 3,
         "[TextJyouhou]\r\nTextFontSize=big\r\nTextFontColor=0xFF\r\nTextFontName=system\r\n"
         "TextBackColor=clWindow\r\n[DbcsSet]\r\nSet=3\r\n"},
    };
    for (const HostileFile& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string path = dir.write("VOREL.INI", c.contents);
        IniFile ini(path);
        const auto [read, mode] = readAtStart(ini);
        EXPECT_EQ(read.ListFontName, c.read.ListFontName);
        EXPECT_EQ(read.ListFontSize, c.read.ListFontSize);
        EXPECT_EQ(read.ListFontColor, c.read.ListFontColor);
        EXPECT_EQ(read.ListBackColor, c.read.ListBackColor);
        EXPECT_EQ(mode, c.mode);
        writeMainSettings(ini, read, mode);
        EXPECT_EQ(TempDir::read(path), c.afterExit);
        EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"VOREL.INI"});
    }
}

TEST(HostileSettingsFile, TenMegabytesBeforeTheSettings)
{
    CodePageScope cp(CodePage::Cp932);
    std::string filler = Launcher + "[Filler]\r\n";
    while (filler.size() < 10 * 1024 * 1024) filler += "Key=\x95\x5C\x8E\xA6 value with a trail byte 0x5C\r\n";
    const std::string settings = "[TextJyouhou]\r\nTextFontName=\x82\x6C\x82\x72\r\n[DbcsSet]\r\nSet=1";
    TempDir dir;
    const std::string path = dir.write("VOREL.INI", filler + settings);
    IniFile ini(path);
    auto [read, mode] = readAtStart(ini);
    EXPECT_EQ(read.ListFontName, "\x82\x6C\x82\x72");
    EXPECT_EQ(mode, 1);
    EXPECT_EQ(ini.ReadString("ProgName", "1", ""), "/usr/bin/mousepad");

    read.ListFontSize = "20";
    writeMainSettings(ini, read, 2);
    const std::string after = TempDir::read(path);
    ASSERT_GT(after.size(), filler.size());
    EXPECT_TRUE(after.compare(0, filler.size(), filler) == 0) << "the filler changed";
    EXPECT_EQ(after.substr(filler.size()),
              exitSections({"\x82\x6C\x82\x72", "20", "clBlack", "clWindow"}, 2));
}

TEST(HostileSettingsFile, TenMegabyteValueWithoutLineEndReadsAsItsFirst1023Bytes)
{
    CodePageScope cp(CodePage::Utf8);
    std::string huge;
    while (huge.size() < 10 * 1024 * 1024) huge += "\xE3\x81\x82";  // never cut inside a character
    TempDir dir;
    const std::string path = dir.write("VOREL.INI", "[TextJyouhou]\r\nTextFontName=" + huge);
    IniFile ini(path);
    const auto [read, mode] = readAtStart(ini);
    EXPECT_EQ(read.ListFontName, huge.substr(0, 1023));
    EXPECT_EQ(read.ListFontSize, "14");
    // The name is written back as it was read, as every setting is.
    writeMainSettings(ini, read, mode);
    EXPECT_EQ(TempDir::read(path), exitSections(read, 3));
}

TEST(HostileSettingsFile, ADirectoryInThePlaceOfTheFile)
{
    CodePageScope cp(CodePage::Utf8);
    TempDir dir;
    const std::string path = dir.file("VOREL.INI");
    fs::create_directory(path);
    dir.write("VOREL.INI/inside", "kept");
    IniFile ini(path);
    const auto [read, mode] = readAtStart(ini);
    EXPECT_EQ(read.ListFontName, "system");
    EXPECT_EQ(mode, 3);
    expectExitWriteError(ini, read, mode);
    EXPECT_EQ(TempDir::read(path + "/inside"), "kept");
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"VOREL.INI"});
}

// What stands in the place of the settings file or the report instead of a
// regular file. Reading one must neither wait (a FIFO without a writer) nor
// go on without end (/dev/zero).
struct SpecialFile {
    const char* name;
    void (*make)(const std::string& path);
    bool (*isStillThere)(const std::string& path);
};

bool isFifo(const std::string& path) { return fs::is_fifo(fs::symlink_status(path)); }
bool isLink(const std::string& path) { return fs::is_symlink(fs::symlink_status(path)); }

TEST(HostileSettingsFile, SpecialFilesGiveDefaultsAndFailToBeWritten)
{
    const SpecialFile cases[] = {
        {"FIFO", [](const std::string& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0644), 0); }, isFifo},
        {"link to /dev/zero", [](const std::string& p) { fs::create_symlink("/dev/zero", p); }, isLink},
        {"link to /dev/null", [](const std::string& p) { fs::create_symlink("/dev/null", p); }, isLink},
    };
    for (CodePage page : {CodePage::Utf8, CodePage::Cp932}) {
        CodePageScope cp(page);
        for (const SpecialFile& c : cases) {
            SCOPED_TRACE(c.name);
            TempDir dir;
            const std::string path = dir.file("VOREL.INI");
            c.make(path);
            IniFile ini(path);
            const auto [read, mode] = readAtStart(ini);
            EXPECT_EQ(read.ListFontName, "system");
            EXPECT_EQ(read.ListFontSize, "14");
            EXPECT_EQ(mode, 3);
            expectExitWriteError(ini, read, 1);
            EXPECT_TRUE(c.isStillThere(path));

            // The report in such a place is a failed write.
            const std::string report = dir.file("VOREL.TXT");
            c.make(report);
            const StringList one{"/a"};
            EXPECT_FALSE(writeReportFile(systemFileSystem(), report, ReportLines(one, one, one)));
            EXPECT_TRUE(c.isStillThere(report));
            EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"VOREL.INI", "VOREL.TXT"}));
        }
    }
}

// A file larger than 16 MiB is read no further (a sparse file: the hole reads
// as NUL bytes) and never rewritten, since it was not read whole.
TEST(HostileSettingsFile, BeyondSixteenMebibytesNothingIsReadNorWritten)
{
    CodePageScope cp(CodePage::Cp932);
    TempDir dir;
    const std::string head = Launcher + "[DbcsSet]\r\nSet=2\r\n";
    const std::string tail = "\r\n[TextJyouhou]\r\nTextFontName=late\r\n";
    const std::string path = dir.write("VOREL.INI", head);
    const off_t tailAt = 100 * 1024 * 1024;
    {
        const int fd = ::open(path.c_str(), O_WRONLY);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::pwrite(fd, tail.data(), tail.size(), tailAt), ssize_t(tail.size()));
        ::close(fd);
    }
    IniFile ini(path);
    const auto [read, mode] = readAtStart(ini);
    EXPECT_EQ(mode, 2);
    EXPECT_EQ(read.ListFontName, "system");
    expectExitWriteError(ini, read, 1);
    EXPECT_EQ(fs::file_size(path), std::uintmax_t(tailAt) + tail.size());
    std::string back(head.size(), '\0');
    std::ifstream in(path, std::ios::binary);
    in.read(back.data(), std::streamsize(back.size()));
    EXPECT_EQ(back, head);
    in.seekg(tailAt);
    back.assign(tail.size(), '\0');
    in.read(back.data(), std::streamsize(back.size()));
    EXPECT_EQ(back, tail);
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"VOREL.INI"});
}

// Permission bits are checked by the program itself, so they hold for root
// as well.
TEST(HostileSettingsFile, PermissionsOfTheFileAndItsFolder)
{
    CodePageScope cp(CodePage::Utf8);
    const std::string before = Launcher + "[TextJyouhou]\r\nTextFontName=a long font name\r\n";
    const ListSettings settings{"IPAGothic", "14", "clBlack", "clWindow"};
    const std::string written = Launcher + exitSections(settings, 1);
    struct Case {
        const char* name;
        mode_t fileMode;
        mode_t folderMode;
        bool saved;
    };
    const Case cases[] = {
        {"read-only file", 0444, 0755, false},
        {"read-only file in a read-only folder", 0444, 0555, false},
        {"writable file in a read-only folder", 0640, 0555, true},
        {"writable file", 0604, 0755, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string path = dir.write("VOREL.INI", before);
        ASSERT_EQ(::chmod(path.c_str(), c.fileMode), 0);
        ASSERT_EQ(::chmod(dir.path().c_str(), c.folderMode), 0);
        IniFile ini(path);
        try {
            writeMainSettings(ini, settings, 1);
            EXPECT_TRUE(c.saved) << "no write error";
        } catch (const AppError& e) {
            EXPECT_FALSE(c.saved) << e.message();
            EXPECT_EQ(e.message(), path + " に書き込めません");
        }
        EXPECT_EQ(TempDir::read(path), c.saved ? written : before);
        EXPECT_EQ(fs::status(path).permissions(), fs::perms(c.fileMode));
        EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"VOREL.INI"});
    }
}

// Another owner and group are kept where the writer may set them: all of
// them for root; the group alone for a user who belongs to it.
TEST(HostileSettingsFile, OwnerAndGroupAreKept)
{
    if (::geteuid() != 0) GTEST_SKIP() << "giving a file to another owner needs root";
    CodePageScope cp(CodePage::Utf8);
    TempDir dir;
    const std::string path = dir.write("VOREL.INI", Launcher);
    ASSERT_EQ(::chown(path.c_str(), 4242, 4343), 0);
    ASSERT_EQ(::chmod(path.c_str(), 0664), 0);
    IniFile(path).WriteString("DbcsSet", "Set", "1");
    struct stat st;
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 4242u);
    EXPECT_EQ(st.st_gid, 4343u);
    EXPECT_EQ(st.st_mode & 07777, 0664u);

    // A user 4444 in group 4343 rewrites root's file of that group.
    ASSERT_EQ(::chown(path.c_str(), 0, 4343), 0);
    ASSERT_EQ(::chmod(dir.path().c_str(), 0777), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const gid_t groups[] = {4343};
        if (::setgroups(1, groups) != 0 || ::setgid(4444) != 0 || ::setuid(4444) != 0) ::_exit(2);
        try {
            IniFile(path).WriteString("DbcsSet", "Set", "2");
        } catch (const AppError&) {
            ::_exit(3);
        }
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
    EXPECT_EQ(TempDir::read(path), Launcher + "[DbcsSet]\r\nSet=2\r\n");
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 4444u);  // an owner the user may not give away to
    EXPECT_EQ(st.st_gid, 4343u);
    EXPECT_EQ(st.st_mode & 07777, 0664u);
}

// A tmpfs of 64 KiB mounted on a fresh directory, for a full disk that is
// real. Only root may mount it.
class SmallTmpfs {
public:
    SmallTmpfs()
    {
        fs::create_directory(point_);
        if (::geteuid() != 0) {
            why_ = "mounting a small tmpfs needs root";
        } else if (::mount("tmpfs", point_.c_str(), "tmpfs", 0, "size=64k") != 0) {
            why_ = "cannot mount a small tmpfs: "s + std::strerror(errno);
        } else {
            mounted_ = true;
        }
    }
    ~SmallTmpfs()
    {
        if (mounted_) ::umount2(point_.c_str(), MNT_DETACH);
    }
    SmallTmpfs(const SmallTmpfs&) = delete;
    SmallTmpfs& operator=(const SmallTmpfs&) = delete;

    bool mounted() const { return mounted_; }
    const std::string& whyNot() const { return why_; }
    const std::string& path() const { return point_; }

    // Writes a file that takes every block left.
    void fill(const std::string& name)
    {
        const int fd = ::open((point_ + "/" + name).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        const std::string block(4096, 'f');
        while (::write(fd, block.data(), block.size()) > 0) {}
        const std::string byte(1, 'f');
        while (::write(fd, byte.data(), 1) > 0) {}
        ::close(fd);
    }

private:
    TempDir dir_;
    std::string point_ = dir_.file("small");
    bool mounted_ = false;
    std::string why_;
};

TEST(FullDisk, ExitWriteOfTheSettingsFailsWithItsMessageAndKeepsTheFile)
{
    SmallTmpfs disk;
    if (!disk.mounted()) GTEST_SKIP() << disk.whyNot();
    for (CodePage page : {CodePage::Utf8, CodePage::Cp932}) {
        SCOPED_TRACE(page == CodePage::Utf8 ? "UTF-8" : "CP932");
        CodePageScope cp(page);
        const std::string path = disk.path() + "/VOREL.INI";
        const std::string before = Launcher + "[DbcsSet]\r\nSet=2\r\n";
        { std::ofstream(path, std::ios::binary) << before; }
        disk.fill("filler");

        IniFile ini(path);
        const auto [read, mode] = readAtStart(ini);
        EXPECT_EQ(mode, 2);
        expectExitWriteError(ini, read, 1);
        EXPECT_EQ(TempDir::read(path), before);
        EXPECT_EQ(namesIn(disk.path()), (std::vector<std::string>{"VOREL.INI", "filler"}));

        // With room again the same exit writes everything.
        fs::remove(disk.path() + "/filler");
        writeMainSettings(ini, read, 1);
        EXPECT_EQ(TempDir::read(path), Launcher + "[DbcsSet]\r\nSet=1\r\n" + textSection(Defaults));
        fs::remove(path);
    }
}

TEST(FullDisk, ReportWriteFailsAndSaysSo)
{
    SmallTmpfs disk;
    if (!disk.mounted()) GTEST_SKIP() << disk.whyNot();
    CodePageScope cp(CodePage::Utf8);
    const StringList source(200, std::string(200, 's'));
    const StringList result(200, std::string(200, 'r'));
    const StringList report(200, std::string(200, 'p'));
    const ReportLines lines(source, result, report);
    const std::string path = disk.path() + "/VOREL.TXT";
    EXPECT_FALSE(writeReportFile(systemFileSystem(), path, lines));  // 120 KB on 64 KiB

    // A disk already full fails at the first line.
    fs::remove(path);
    disk.fill("filler");
    const StringList one{"/a"};
    EXPECT_FALSE(writeReportFile(systemFileSystem(), path, ReportLines(one, one, one)));
}

// A size-limited file (RLIMIT_FSIZE), which needs no root: writes past the
// limit fail with EFBIG instead of raising SIGXFSZ.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &old_);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        ok_ = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    bool ok() const { return ok_; }

private:
    rlimit old_{};
    void (*oldHandler_)(int) = SIG_DFL;
    bool ok_ = false;
};

TEST(FullDisk, SettingsWritePastTheFileSizeLimitFailsAndKeepsTheFile)
{
    CodePageScope cp(CodePage::Utf8);
    TempDir dir;
    const std::string before = Launcher + "[TextJyouhou]\r\nTextFontName=system\r\n";
    const std::string path = dir.write("VOREL.INI", before);
    IniFile ini(path);
    ListSettings settings{std::string(8000, 'n'), "14", "clBlack", "clWindow"};
    {
        FileSizeLimit limit(4096);
        if (!limit.ok()) GTEST_SKIP() << "cannot set RLIMIT_FSIZE";
        expectExitWriteError(ini, settings, 3);
        EXPECT_EQ(TempDir::read(path), before);
        EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"VOREL.INI"});

        // A setting that fits is written, within the same limit.
        settings.ListFontName = "IPAGothic";
        writeMainSettings(ini, settings, 3);
    }
    EXPECT_EQ(TempDir::read(path), Launcher + exitSections({"IPAGothic", "14", "clBlack", "clWindow"}, 3));
}

}  // namespace
