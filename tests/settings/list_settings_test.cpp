#include "settings/list_settings.h"

#include "platform/app_error.h"
#include "platform/codepage.h"
#include "support/code_page_scope.h"
#include "support/memory_file_system.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace {

using namespace std::string_literals;


struct RuleCase {
    std::string text;
    std::optional<std::int32_t> value;
};

TEST(IntegerRule, AcceptsDecimalAndDollarHexOnly)
{
    const RuleCase cases[] = {
        {"0", 0},
        {"14", 14},
        {"+14", 14},
        {"-14", -14},
        {"0014", 14},
        {" 2", 2},
        {"\t\t2", 2},
        {"\x01\x1F 2", 2},
        {"2147483647", 2147483647},
        {"-2147483647", -2147483647},
        {"+2147483647", 2147483647},
        {"2147483648", std::nullopt},
        {"-2147483648", std::nullopt},
        {"99999999999999999999", std::nullopt},
        {"$0", 0},
        {"$FF", 255},
        {"$ff", 255},
        {"$000000FF", 255},
        {"$7FFFFFFF", 2147483647},
        {"$80000000", -2147483647 - 1},
        {"$FFFFFFFF", -1},
        {"$80000005", std::int32_t(0x80000005u)},
        {"  $aBcD", 0xABCD},
        {"$000000001", std::nullopt},
        {"$", std::nullopt},
        {"$G", std::nullopt},
        {"-$FF", std::nullopt},
        {"$-1", std::nullopt},
        {"0xFF", std::nullopt},
        {"0XFF", std::nullopt},
        {"", std::nullopt},
        {" ", std::nullopt},
        {"+", std::nullopt},
        {"-", std::nullopt},
        {"2a", std::nullopt},
        {"2 ", std::nullopt},
        {"1.5", std::nullopt},
        {"- 2", std::nullopt},
        {"++2", std::nullopt},
        {"\0" "2"s, std::nullopt},
        {"2\0"s, std::nullopt},
        {"１４", std::nullopt},
        {"\xA0" "2", std::nullopt},
    };
    for (const RuleCase& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(parseIntegerRule(c.text), c.value);
        if (c.value) {
            EXPECT_EQ(integerOrThrow(c.text), *c.value);
        } else {
            EXPECT_THROW(integerOrThrow(c.text), AppError);
        }
    }
}

struct IntegerErrorCase {
    CodePage cp;
    std::string text;
    std::string message;
};

TEST(IntegerRule, ErrorQuotesTheTextInTheActiveCodePage)
{
    const std::string utf8Tail =
        "' \xE3\x81\xAF\xE6\x95\xB4\xE6\x95\xB0\xE3\x81\xA7\xE3\x81\xAF\xE3\x81\x82\xE3\x82\x8A"
        "\xE3\x81\xBE\xE3\x81\x9B\xE3\x82\x93";
    const std::string cp932Tail =
        "' \x82\xCD\x90\xAE\x90\x94\x82\xC5\x82\xCD\x82\xA0\x82\xE8\x82\xDC\x82\xB9\x82\xF1";
    const IntegerErrorCase cases[] = {
        {CodePage::Utf8, "0xFF", "'0xFF" + utf8Tail},
        {CodePage::Utf8, "", "'" + utf8Tail},
        {CodePage::Utf8, " 1 2 ", "' 1 2 " + utf8Tail},
        {CodePage::Utf8, "十四", "'十四" + utf8Tail},
        {CodePage::Cp932, "0xFF", "'0xFF" + cp932Tail},
        {CodePage::Cp932, "\x8F\x5C\x8E\x6C", "'\x8F\x5C\x8E\x6C" + cp932Tail},
        {CodePage::Cp932, "%s", "'%s" + cp932Tail},
    };
    for (const IntegerErrorCase& c : cases) {
        SCOPED_TRACE(c.text);
        CodePageScope scope(c.cp);
        try {
            integerOrThrow(c.text);
            ADD_FAILURE() << "no error";
        } catch (const AppError& e) {
            EXPECT_EQ(e.message(), c.message);
        }
    }
}

struct NamedColour {
    std::string name;
    std::uint32_t value;
};

const NamedColour colourTable[] = {
    {"clBlack", 0x0},
    {"clMaroon", 0x80},
    {"clGreen", 0x8000},
    {"clOlive", 0x8080},
    {"clNavy", 0x800000},
    {"clPurple", 0x800080},
    {"clTeal", 0x808000},
    {"clGray", 0x808080},
    {"clSilver", 0xC0C0C0},
    {"clRed", 0xFF},
    {"clLime", 0xFF00},
    {"clYellow", 0xFFFF},
    {"clBlue", 0xFF0000},
    {"clFuchsia", 0xFF00FF},
    {"clAqua", 0xFFFF00},
    {"clWhite", 0xFFFFFF},
    {"clScrollBar", 0x80000000},
    {"clBackground", 0x80000001},
    {"clActiveCaption", 0x80000002},
    {"clInactiveCaption", 0x80000003},
    {"clMenu", 0x80000004},
    {"clWindow", 0x80000005},
    {"clWindowFrame", 0x80000006},
    {"clMenuText", 0x80000007},
    {"clWindowText", 0x80000008},
    {"clCaptionText", 0x80000009},
    {"clActiveBorder", 0x8000000A},
    {"clInactiveBorder", 0x8000000B},
    {"clAppWorkSpace", 0x8000000C},
    {"clHighlight", 0x8000000D},
    {"clHighlightText", 0x8000000E},
    {"clBtnFace", 0x8000000F},
    {"clBtnShadow", 0x80000010},
    {"clGrayText", 0x80000011},
    {"clBtnText", 0x80000012},
    {"clInactiveCaptionText", 0x80000013},
    {"clBtnHighlight", 0x80000014},
    {"cl3DDkShadow", 0x80000015},
    {"cl3DLight", 0x80000016},
    {"clInfoText", 0x80000017},
    {"clInfoBk", 0x80000018},
    {"clNone", 0x1FFFFFFF},
};

std::string asciiLower(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return s;
}

std::string asciiUpper(std::string s)
{
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return s;
}

TEST(Colours, AllFortyTwoNamesRoundTrip)
{
    ASSERT_EQ(std::size(colourTable), 42u);
    for (const NamedColour& c : colourTable) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(textToColour(c.name), c.value);
        EXPECT_EQ(textToColour(asciiLower(c.name)), c.value);
        EXPECT_EQ(textToColour(asciiUpper(c.name)), c.value);
        EXPECT_EQ(colourToText(c.value), c.name);
    }
}

TEST(Colours, SystemColoursAreTheTwentyFiveSchemeIndexes)
{
    for (const NamedColour& c : colourTable) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(isSystemColour(c.value), (c.value & 0x80000000u) != 0);
    }
    EXPECT_TRUE(isSystemColour(SystemColourBase));
    EXPECT_TRUE(isSystemColour(0x80000018u));
    EXPECT_FALSE(isSystemColour(0x80000019u));
    EXPECT_FALSE(isSystemColour(0x7FFFFFFFu));
    EXPECT_FALSE(isSystemColour(ColourNone));
    EXPECT_FALSE(isSystemColour(0xFFFFFFFFu));
}

struct ColourText {
    std::string text;
    std::uint32_t colour;
};

TEST(Colours, OtherTextsTakeTheIntegerRule)
{
    const ColourText cases[] = {
        {"$000000FF", 0xFF},
        {"255", 0xFF},
        {" 255", 0xFF},
        {"$00123456", 0x123456},
        {"$80000005", 0x80000005},
        {"$FFFFFFFF", 0xFFFFFFFF},
        {"-1", 0xFFFFFFFF},
        {"536870911", ColourNone},
    };
    for (const ColourText& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(textToColour(c.text), c.colour);
    }
    EXPECT_EQ(colourToText(textToColour("$000000FF")), "clRed");
    EXPECT_EQ(colourToText(textToColour("255")), "clRed");
    EXPECT_EQ(textToColour("clwindow"), 0x80000005u);
}

TEST(Colours, UnknownNamesAndHexWith0xAreIntegerErrors)
{
    CodePageScope scope(CodePage::Utf8);
    const std::string cases[] = {"0xFF", "clRed ", " clRed", "clReds", "Red", "", "clＲed"};
    for (const std::string& text : cases) {
        SCOPED_TRACE(text);
        try {
            textToColour(text);
            ADD_FAILURE() << "no error";
        } catch (const AppError& e) {
            EXPECT_EQ(e.message(), "'" + text + "' は整数ではありません");
        }
    }
}

TEST(Colours, ValuesOutsideTheTableGiveEightUpperCaseHexDigits)
{
    const ColourText cases[] = {
        {"$00123456", 0x123456},
        {"$00ABCDEF", 0xABCDEF},
        {"$00000001", 0x1},
        {"$80000019", 0x80000019},
        {"$FFFFFFFF", 0xFFFFFFFF},
        {"$1FFFFFFE", 0x1FFFFFFE},
    };
    for (const ColourText& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(colourToText(c.colour), c.text);
        EXPECT_EQ(textToColour(colourToText(c.colour)), c.colour);
    }
}

struct FaceCase {
    CodePage cp;
    std::string name;
    std::optional<std::string> face;
};

std::string repeat(const std::string& s, int n)
{
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

TEST(FontFace, KeepsAtMostThirtyOneCharacters)
{
    const FaceCase cases[] = {
        {CodePage::Utf8, "", std::nullopt},
        {CodePage::Utf8, "system", "system"},
        {CodePage::Utf8, " MS Gothic ", " MS Gothic "},
        {CodePage::Utf8, repeat("a", 31), repeat("a", 31)},
        {CodePage::Utf8, repeat("a", 32), repeat("a", 31)},
        {CodePage::Utf8, repeat("a", 300), repeat("a", 31)},
        {CodePage::Utf8, repeat("游", 40), repeat("游", 31)},
        {CodePage::Utf8, "a" + repeat("游", 40), "a" + repeat("游", 30)},
        {CodePage::Cp932, repeat("\x82\xA0", 40), repeat("\x82\xA0", 31)},
        {CodePage::Cp932, repeat("\x82\xA0", 30) + "ab", repeat("\x82\xA0", 30) + "a"},
        // A lead byte at the end stands alone; it is one character.
        {CodePage::Cp932, repeat("a", 30) + "\x82", repeat("a", 30) + "\x82"},
        {CodePage::Utf8, "ab\0cd"s, "ab"},
        {CodePage::Utf8, "\0cd"s, std::nullopt},
    };
    for (const FaceCase& c : cases) {
        SCOPED_TRACE(c.name);
        CodePageScope scope(c.cp);
        EXPECT_EQ(fontFaceFromSetting(c.name), c.face);
    }
}

struct HeightCase {
    int points;
    int ppi;
    int height;
};

TEST(FontSize, PointsToPixelHeightRoundsHalfAwayFromZero)
{
    const HeightCase cases[] = {
        {14, 96, -19}, {12, 96, -16}, {9, 96, -12}, {10, 96, -13}, {8, 96, -11},
        {14, 72, -14}, {3, 60, -3},   {-3, 60, 3},  {1, 36, -1},   {1, 35, 0},
        {0, 96, 0},    {14, 0, 0},    {14, 120, -23},
        {2147483647, 96, -2147483647},
    };
    for (const HeightCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.points << "pt at " << c.ppi);
        EXPECT_EQ(fontHeightFromPoints(c.points, c.ppi), c.height);
    }
}

struct MainSettingsTest : ::testing::Test {
    TempDir dir;
    Text path = dir.file("VOREL.INI");

    void SetUp() override { setActiveCodePage(CodePage::Utf8); }
};

TEST_F(MainSettingsTest, MissingFileGivesTheDefaults)
{
    IniFile ini(path);
    ListSettings list{"x", "x", "x", "x"};
    std::int32_t mode = 0;
    readMainSettings(ini, list, mode);
    EXPECT_EQ(list.ListFontName, "system");
    EXPECT_EQ(list.ListFontSize, "14");
    EXPECT_EQ(list.ListFontColor, "clBlack");
    EXPECT_EQ(list.ListBackColor, "clWindow");
    EXPECT_EQ(mode, 3);
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(MainSettingsTest, ExitLayoutAfterTheLauncherSections)
{
    dir.write("VOREL.INI", "[ProgTitle]\r\n");
    IniFile ini(path);
    ListSettings list;
    std::int32_t mode = 0;
    readMainSettings(ini, list, mode);
    writeMainSettings(ini, list, mode);
    EXPECT_EQ(TempDir::read(path),
              "[ProgTitle]\r\n[TextJyouhou]\r\nTextFontName=system\r\nTextFontSize=14\r\n"
              "TextFontColor=clBlack\r\nTextBackColor=clWindow\r\n[DbcsSet]\r\nSet=3\r\n");
}

TEST_F(MainSettingsTest, TextsAreHeldAndWrittenBackAsRead)
{
    const std::string before =
        "[TextJyouhou]\r\nTextFontName= IPAゴシック\r\nTextFontSize=0x10\r\n"
        "TextFontColor=$000000FF\r\nTextBackColor=clwindow\r\n[DbcsSet]\r\nSet=0x2\r\n";
    dir.write("VOREL.INI", before);
    IniFile ini(path);
    ListSettings list;
    std::int32_t mode = 0;
    readMainSettings(ini, list, mode);
    EXPECT_EQ(list.ListFontName, "IPAゴシック");
    EXPECT_EQ(list.ListFontSize, "0x10");
    EXPECT_EQ(list.ListFontColor, "$000000FF");
    EXPECT_EQ(list.ListBackColor, "clwindow");
    EXPECT_EQ(mode, 2);
    writeMainSettings(ini, list, mode);
    EXPECT_EQ(TempDir::read(path),
              "[TextJyouhou]\r\nTextFontName=IPAゴシック\r\nTextFontSize=0x10\r\n"
              "TextFontColor=$000000FF\r\nTextBackColor=clwindow\r\n[DbcsSet]\r\nSet=2\r\n");
}

TEST_F(MainSettingsTest, WarningModeValues)
{
    const std::pair<std::string, std::int32_t> cases[] = {
        {"0x2", 2}, {"0X2", 2}, {"0x", 3}, {" 2", 2}, {"2a", 3}, {"7", 7}, {"", 3}, {"-1", -1},
    };
    for (const auto& [stored, mode] : cases) {
        SCOPED_TRACE(stored);
        dir.write("VOREL.INI", "[DbcsSet]\r\nSet=" + stored + "\r\n");
        IniFile ini(path);
        ListSettings list;
        std::int32_t read = 0;
        readMainSettings(ini, list, read);
        EXPECT_EQ(read, mode);
        writeMainSettings(ini, list, read);
        IniFile again(path);
        EXPECT_EQ(again.ReadString("DbcsSet", "Set", ""), std::to_string(mode));
    }
}

TEST_F(MainSettingsTest, PreviewIsOnOnlyForOne)
{
    const std::pair<std::string, bool> cases[] = {
        {"1", true}, {" 1 ", true}, {"0", false}, {"01", false}, {"0x1", false}, {"yes", false}, {"", false},
    };
    for (const auto& [stored, on] : cases) {
        SCOPED_TRACE(stored);
        dir.write("VOREL.INI", "[Preview]\r\nSet=" + stored + "\r\n");
        IniFile ini(path);
        ListSettings list;
        std::int32_t mode = 0;
        readMainSettings(ini, list, mode);
        EXPECT_EQ(list.PreviewSet, on);
        list.PreviewSet = !on;
        writeMainSettings(ini, list, mode);
        readMainSettings(ini, list, mode);
        EXPECT_EQ(list.PreviewSet, !on);
        EXPECT_EQ(IniFile(path).ReadString("Preview", "Set", ""), on ? "0" : "1");
    }
    // Turned on in a file without it: written, and kept (as off) once turned off.
    dir.write("VOREL.INI", "");
    IniFile ini(path);
    ListSettings list;
    std::int32_t mode = 0;
    readMainSettings(ini, list, mode);
    list.PreviewSet = true;
    writeMainSettings(ini, list, mode);
    readMainSettings(ini, list, mode);
    list.PreviewSet = false;
    writeMainSettings(ini, list, mode);
    EXPECT_NE(TempDir::read(path).find("[Preview]\r\nSet=0\r\n"), std::string::npos);
}

TEST_F(MainSettingsTest, BlankAndQuotedTextsSurviveARoundTrip)
{
    IniFile ini(path);
    const ListSettings written{" ", "'14'", "\"clRed\"", " $00FFFFFF "};
    writeMainSettings(ini, written, 1);
    ListSettings list;
    std::int32_t mode = 0;
    readMainSettings(ini, list, mode);
    EXPECT_EQ(list.ListFontName, written.ListFontName);
    EXPECT_EQ(list.ListFontSize, written.ListFontSize);
    EXPECT_EQ(list.ListFontColor, written.ListFontColor);
    EXPECT_EQ(list.ListBackColor, written.ListBackColor);
    EXPECT_EQ(mode, 1);
}

// The five values go to the disk in one rewrite: all of them or, with the
// write error, none.
TEST(MainSettingsWriteError, OneRewriteForAllFive)
{
    CodePageScope scope(CodePage::Utf8);
    for (int succeeding = 0; succeeding < 2; ++succeeding) {
        SCOPED_TRACE(succeeding);
        MemoryFileSystem fs;
        fs.files["/p/VOREL.INI"] = "[ProgTitle]\r\n";
        fs.replacesLeft = succeeding;
        IniFile ini("/p/VOREL.INI", fs);
        try {
            writeMainSettings(ini, ListSettings{"a", "b", "c", "d"}, 5);
            EXPECT_EQ(succeeding, 1) << "no error";
        } catch (const AppError& e) {
            EXPECT_EQ(e.message(), "/p/VOREL.INI に書き込めません");
        }
        EXPECT_EQ(fs.replaceCalls, 1);
        const std::string lines[] = {"TextFontName=a\r\n", "TextFontSize=b\r\n", "TextFontColor=c\r\n",
                                     "TextBackColor=d\r\n", "Set=5\r\n"};
        const std::string& file = fs.files["/p/VOREL.INI"];
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(file.find(lines[i]) != std::string::npos, succeeding == 1) << lines[i];
    }
}

}  // namespace
