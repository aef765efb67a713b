#include "launcher/launcher_table.h"

#include "platform/app_error.h"
#include "platform/codepage.h"
#include "settings/ini_file.h"
#include "settings/memory_file_system.h"
#include "support/code_page_scope.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Restores the code page a test switched to.

LauncherTable sampleTable()
{
    LauncherTable t;
    t[1] = {"Editor", "/usr/bin/mousepad", "%f", "", "E"};
    t[2] = {"Viewer", "/usr/bin/less", "-N %f", "/tmp", " "};
    for (int r = 3; r <= 9; ++r) t[r] = {};
    return t;
}

// The file that writing sampleTable() into a new file gives, byte for byte.
std::string sampleFileBytes()
{
    std::string s;
    const char* sections[] = {"ProgTitle", "ProgName", "ProgOption", "ProgDir", "ProgShortCut"};
    const char* row1[] = {"Editor", "/usr/bin/mousepad", "%f", "", "E"};
    const char* row2[] = {"Viewer", "/usr/bin/less", "-N %f", "/tmp", "\" \""};
    for (int f = 0; f < 5; ++f) {
        s += std::string("[") + sections[f] + "]\r\n";
        s += std::string("1=") + row1[f] + "\r\n";
        s += std::string("2=") + row2[f] + "\r\n";
        for (int r = 3; r <= 9; ++r) s += std::to_string(r) + "=\r\n";
    }
    return s;
}

TEST(LauncherTableTest, WritesAll45KeysInSectionOrderFreeRowsIncluded)
{
    TempDir dir;
    IniFile ini(dir.file("vorel.INI"));
    writeLauncherTable(ini, sampleTable());
    EXPECT_EQ(TempDir::read(ini.path()), sampleFileBytes());
}

TEST(LauncherTableTest, ReadsBackWhatWasWritten)
{
    TempDir dir;
    IniFile ini(dir.file("vorel.INI"));
    writeLauncherTable(ini, sampleTable());
    LauncherTable back;
    back[3].ProgTitle = "stale";
    readLauncherTable(ini, back);
    EXPECT_EQ(back, sampleTable());
    EXPECT_EQ(back[2].ProgShortCut, " ");
}

TEST(LauncherTableTest, HandEditedFileReadsBackWithMissingKeysEmpty)
{
    TempDir dir;
    const std::string path = dir.write(
        "vorel.INI",
        "; edited by hand\r\n"
        "[progtitle]\r\n"
        "2=Second\r\n"
        "1 = First\r\n"
        "[PROGNAME]\r\n"
        "1=/bin/first\r\n"
        "2=/bin/second\r\n"
        "[ProgOption]\r\n"
        "2=\"%f --flag\"\r\n"
        "[ProgShortCut]\r\n"
        "1=F\r\n"
        "5=*\r\n"
        "[TextJyouhou]\r\n"
        "TextFontName=system\r\n");
    LauncherTable t;
    readLauncherTable(IniFile(path), t);
    EXPECT_EQ(t[1], (LauncherEntry{"First", "/bin/first", "", "", "F"}));
    EXPECT_EQ(t[2], (LauncherEntry{"Second", "/bin/second", "%f --flag", "", ""}));
    EXPECT_EQ(t[5], (LauncherEntry{"", "", "", "", "*"}));
    EXPECT_EQ(t[9], LauncherEntry{});
}

TEST(LauncherTableTest, WriteStopsAtTheFirstFailedWrite)
{
    MemoryFileSystem fs;
    fs.replacesLeft = 12;  // ProgTitle 1-9 and ProgName 1-3 succeed
    IniFile ini("/prog/vorel.INI", fs);
    try {
        writeLauncherTable(ini, sampleTable());
        FAIL() << "no write error";
    } catch (const AppError& e) {
        EXPECT_EQ(e.message(), "/prog/vorel.INI" + fixedText(" に書き込めません"));
    }
    EXPECT_EQ(fs.replaceCalls, 13);
    const std::string& file = fs.files.at("/prog/vorel.INI");
    EXPECT_NE(file.find("[ProgName]\r\n1=/usr/bin/mousepad\r\n2=/usr/bin/less\r\n3=\r\n"),
              std::string::npos);
    EXPECT_EQ(file.find("4=", file.find("[ProgName]")), std::string::npos);
    EXPECT_EQ(file.find("[ProgOption]"), std::string::npos);
}

struct FirstRunCase {
    const char* label;
    const char* systemRoot;
    const char* winBootDir;
    const char* windowsDir;
    const char* title1;
    const char* program1;
    const char* title2;
    const char* program2;
};

class FirstRunTableTest : public testing::TestWithParam<FirstRunCase> {};

TEST_P(FirstRunTableTest, Rows)
{
    const FirstRunCase& c = GetParam();
    const LauncherTable t = firstRunLauncherTable(c.systemRoot, c.winBootDir, c.windowsDir);
    const bool defaults = *c.title1 != '\0';
    EXPECT_EQ(t[1].ProgTitle, fixedText(c.title1));
    EXPECT_EQ(t[1].ProgName, c.program1);
    EXPECT_EQ(t[1].ProgOption, defaults ? "%f" : "");
    EXPECT_EQ(t[1].ProgDir, "");
    EXPECT_EQ(t[1].ProgShortCut, defaults ? "M" : "*");
    EXPECT_EQ(t[2].ProgTitle, fixedText(c.title2));
    EXPECT_EQ(t[2].ProgName, c.program2);
    EXPECT_EQ(t[2].ProgOption, defaults ? "%f" : "");
    EXPECT_EQ(t[2].ProgShortCut, defaults ? "W" : "*");
    for (int r = 3; r <= 9; ++r) EXPECT_EQ(t[r], (LauncherEntry{"", "", "", "", "*"})) << r;
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, FirstRunTableTest,
    testing::Values(
        FirstRunCase{"both_set_windows_wins", "C:\\WINNT", "C:\\", "C:\\WINDOWS", "メモ帳(Windows)",
                     "C:\\WINDOWS\\NOTEPAD.EXE", "ワードパット(Windows)", "C:\\WINDOWS\\WRITE.EXE"},
        FirstRunCase{"system_root_only", "C:\\WINNT", "", "D", "メモ帳(WinNT)", "D\\NOTEPAD.EXE",
                     "ワードパット(WinNT)", "D\\SYSTEM32\\WRITE.EXE"},
        FirstRunCase{"win_boot_dir_only_no_windir", "", "C:\\", "", "メモ帳(Windows)",
                     "\\NOTEPAD.EXE", "ワードパット(Windows)", "\\WRITE.EXE"},
        FirstRunCase{"neither", "", "", "C:\\WINDOWS", "", "", "", ""}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(FirstRunTableTest, TitlesInShiftJis)
{
    CodePageScope scope(CodePage::Cp932);
    const LauncherTable t = firstRunLauncherTable("C:\\WINNT", "", "C:\\WINNT");
    EXPECT_EQ(t[1].ProgTitle, "\x83\x81\x83\x82\x92\xA0(WinNT)");
}

TEST(LauncherWorkCopyTest, LinesFollowTheTableAndGrowOnInsert)
{
    LauncherWorkCopy w = LauncherWorkCopy::fromTable(sampleTable());
    ASSERT_EQ(w.size(), 9u);
    EXPECT_EQ(w.line(1), sampleTable()[2]);
    w.insertLine(0, {"New", "n", "", "", "N"});
    EXPECT_EQ(w.size(), 10u);
    EXPECT_EQ(w.ProgShortCut.size(), 10u);
    EXPECT_EQ(w.line(0).ProgTitle, "New");
    EXPECT_EQ(w.line(2), sampleTable()[2]);
    LauncherTable t;
    w.copyInto(t);
    EXPECT_EQ(t[1].ProgTitle, "New");
    EXPECT_EQ(t[3].ProgTitle, "Viewer");
    EXPECT_EQ(t[0], LauncherEntry{});  // slot 0 is never written
}

}  // namespace
