#include "launcher/launcher_table.h"

#include "platform/app_error.h"
#include "platform/codepage.h"
#include "platform/shell.h"
#include "settings/ini_file.h"
#include "support/code_page_scope.h"
#include "support/memory_file_system.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>

namespace {

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

TEST(LauncherTableTest, TheTableIsOneRewriteThatFailsWhole)
{
    MemoryFileSystem fs;
    fs.replacesLeft = 0;
    IniFile ini("/prog/vorel.INI", fs);
    try {
        writeLauncherTable(ini, sampleTable());
        FAIL() << "no write error";
    } catch (const AppError& e) {
        EXPECT_EQ(e.message(), "/prog/vorel.INI" + fixedText(" に書き込めません"));
    }
    EXPECT_EQ(fs.replaceCalls, 1);
    EXPECT_EQ(fs.files.count("/prog/vorel.INI"), 0u);
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

// A desktop look-up that must not be asked.
std::optional<DesktopApplication> noLookup(const std::string& type)
{
    ADD_FAILURE() << "desktop asked for " << type;
    return std::nullopt;
}

TEST_P(FirstRunTableTest, Rows)
{
    const FirstRunCase& c = GetParam();
    const LauncherTable t = firstRunLauncherTable(c.systemRoot, c.winBootDir, c.windowsDir,
                                                  *c.title1 ? noLookup : DesktopLookup());
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
        FirstRunCase{"neither_without_a_desktop", "", "", "C:\\WINDOWS", "", "", "", ""}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(FirstRunTableTest, TitlesInShiftJis)
{
    CodePageScope scope(CodePage::Cp932);
    const LauncherTable t = firstRunLauncherTable("C:\\WINNT", "", "C:\\WINNT");
    EXPECT_EQ(t[1].ProgTitle, "\x83\x81\x83\x82\x92\xA0(WinNT)");
}

const LauncherEntry openerRow{"既定のアプリ(xdg-open)", "xdg-open", "%f", "", "W"};
const LauncherEntry freeRow{"", "", "", "", "*"};

struct DesktopRowsCase {
    const char* label;
    std::optional<DesktopApplication> editor;
    LauncherEntry row1, row2;
};

class DesktopRowsTest : public testing::TestWithParam<DesktopRowsCase> {};

TEST_P(DesktopRowsTest, EditorAndOpener)
{
    const DesktopRowsCase& c = GetParam();
    std::vector<std::string> asked;
    const LauncherTable t = firstRunLauncherTable("", "", "/windows", [&](const std::string& type) {
        asked.push_back(type);
        return c.editor;
    });
    EXPECT_EQ(asked, std::vector<std::string>{"text/plain"});
    EXPECT_EQ(t[1], c.row1);
    EXPECT_EQ(t[2], c.row2);
    for (int r = 3; r <= 9; ++r) EXPECT_EQ(t[r], freeRow) << r;
}

INSTANTIATE_TEST_SUITE_P(
    Desktops, DesktopRowsTest,
    testing::Values(
        DesktopRowsCase{"editor", DesktopApplication{"Mousepad", "mousepad", {"%f"}},
                        {"Mousepad", "mousepad", "%f", "", "M"}, openerRow},
        DesktopRowsCase{"editor_with_arguments",
                        DesktopApplication{"Ed", "/opt/my ed/ed", {"--new", "a \"b\"", "%f", ""}},
                        {"Ed", "/opt/my ed/ed", "--new \"a \"\"\"b\"\"\"\" %f \"\"", "", "M"}, openerRow},
        DesktopRowsCase{"name_outside_the_code_page_gives_the_file_name",
                        DesktopApplication{"\xff", "/usr/bin/ed", {"%f"}},
                        {"ed", "/usr/bin/ed", "%f", "", "M"}, openerRow},
        DesktopRowsCase{"no_editor_puts_the_opener_first", std::nullopt, openerRow, freeRow}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(DesktopRowsTest, ShiftJisTitles)
{
    CodePageScope scope(CodePage::Cp932);
    const LauncherTable t = firstRunLauncherTable("", "", "", [](const std::string&) {
        return DesktopApplication{"テキストエディター", "ed", {"%f"}};
    });
    EXPECT_EQ(t[1].ProgTitle, fixedText("テキストエディター"));
    EXPECT_EQ(t[1].ProgTitle.substr(0, 2), "\x83\x65");
    EXPECT_EQ(t[2].ProgTitle, fixedText("既定のアプリ(xdg-open)"));
}

TEST(DesktopRowsTest, ArgumentsComeBackWholeWithTheReportPath)
{
    const LauncherEntry e = desktopLauncherEntry(
        CodePage::Utf8, {"Ed", "ed", {"--title", "my \"report\"", "%f"}}, "M");
    const std::size_t at = e.ProgOption.find("%f");
    EXPECT_EQ(splitCommandArguments(e.ProgOption, at, 2, "/my dir/vorel.TXT"),
              (StringList{"--title", "my \"report\"", "/my dir/vorel.TXT"}));
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
