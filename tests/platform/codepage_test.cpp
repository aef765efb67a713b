#include "platform/codepage.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct LengthCase {
    const char* label;
    CodePage cp;
    std::string bytes;  // zero-terminated by std::string
    std::vector<int> lengths;  // the walk from the start, terminator excluded
};

class CharLengthTest : public testing::TestWithParam<LengthCase> {};

TEST_P(CharLengthTest, WalksCharacterByCharacter)
{
    const LengthCase& c = GetParam();
    const char* p = c.bytes.c_str();
    std::vector<int> walked;
    for (int n; (n = charLength(c.cp, p)) != 0; p += n) walked.push_back(n);
    EXPECT_EQ(walked, c.lengths);
    EXPECT_EQ(p, c.bytes.c_str() + c.bytes.size());
}

INSTANTIATE_TEST_SUITE_P(
    Both, CharLengthTest,
    testing::Values(
        LengthCase{"cp932_empty", CodePage::Cp932, "", {}},
        LengthCase{"cp932_ascii", CodePage::Cp932, "AB.c", {1, 1, 1, 1}},
        // 想 0x91 0x7A, ソ 0x83 0x5C, 表 0x95 0x5C then a real backslash
        LengthCase{"cp932_trail_bytes", CodePage::Cp932, "\x91\x7A\x83\x5C\x95\x5C\\", {2, 2, 2, 1}},
        LengthCase{"cp932_lead_range_ends", CodePage::Cp932, "\x81\x40\x9F\xFC\xE0\x40\xFC\xFC", {2, 2, 2, 2}},
        LengthCase{"cp932_not_lead", CodePage::Cp932, "\x80\xA0\xFD\xFE\xFF", {1, 1, 1, 1, 1}},
        LengthCase{"cp932_halfwidth_katakana", CodePage::Cp932, "\xB1\xDF\xA1", {1, 1, 1}},
        LengthCase{"cp932_lead_before_terminator", CodePage::Cp932, "A\x82", {1, 1}},
        LengthCase{"cp932_lead_lead", CodePage::Cp932, "\x82\x82\x82", {2, 1}},
        LengthCase{"utf8_ascii", CodePage::Utf8, "abc", {1, 1, 1}},
        LengthCase{"utf8_two_three_four", CodePage::Utf8, "\xC3\xA9\xE6\x83\xB3\xF0\x9F\x98\x80", {2, 3, 4}},
        LengthCase{"utf8_overlong_two", CodePage::Utf8, "\xC0\xAF\xC1\xBF", {1, 1, 1, 1}},
        LengthCase{"utf8_overlong_three", CodePage::Utf8, "\xE0\x80\xAF", {1, 1, 1}},
        LengthCase{"utf8_overlong_four", CodePage::Utf8, "\xF0\x8F\xBF\xBF", {1, 1, 1, 1}},
        LengthCase{"utf8_surrogate", CodePage::Utf8, "\xED\xA0\x80", {1, 1, 1}},
        LengthCase{"utf8_last_before_surrogates", CodePage::Utf8, "\xED\x9F\xBF", {3}},
        LengthCase{"utf8_above_max", CodePage::Utf8, "\xF4\x90\x80\x80", {1, 1, 1, 1}},
        LengthCase{"utf8_max", CodePage::Utf8, "\xF4\x8F\xBF\xBF", {4}},
        LengthCase{"utf8_f5", CodePage::Utf8, "\xF5\x80\x80\x80", {1, 1, 1, 1}},
        LengthCase{"utf8_lone_continuation", CodePage::Utf8, "\x80x", {1, 1}},
        LengthCase{"utf8_truncated_at_terminator", CodePage::Utf8, "a\xE6\x83", {1, 1, 1}},
        LengthCase{"utf8_truncated_before_ascii", CodePage::Utf8, "\xF0\x9F\x98" "A", {1, 1, 1, 1}}),
    [](const testing::TestParamInfo<LengthCase>& info) { return std::string(info.param.label); });

TEST(CharLength, ReadsNothingPastTheTerminator)
{
    // Only two bytes are given: a lead byte and the terminator.
    const char cp932[2] = {'\x82', '\0'};
    EXPECT_EQ(charLength(CodePage::Cp932, cp932), 1);
    const char utf8[3] = {'\xE6', '\x83', '\0'};
    EXPECT_EQ(charLength(CodePage::Utf8, utf8), 1);
    EXPECT_EQ(charLength(CodePage::Utf8, utf8 + 1), 1);
    EXPECT_EQ(charLength(CodePage::Utf8, utf8 + 2), 0);
}

struct MultibyteCase {
    CodePage cp;
    std::string bytes;
    bool expected;
};

class HasMultibyteTest : public testing::TestWithParam<MultibyteCase> {};

TEST_P(HasMultibyteTest, Answers)
{
    EXPECT_EQ(hasMultibyteChar(GetParam().cp, GetParam().bytes.c_str()), GetParam().expected)
        << testing::PrintToString(GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Both, HasMultibyteTest,
    testing::Values(MultibyteCase{CodePage::Cp932, "", false},
                    MultibyteCase{CodePage::Cp932, "/tmp/read me.txt", false},
                    MultibyteCase{CodePage::Cp932, "/\x95\x5C/a.txt", true},
                    MultibyteCase{CodePage::Cp932, "abc\x82", false},  // lone lead at the end
                    MultibyteCase{CodePage::Cp932, "\xB1\xB2", false},  // half-width katakana
                    MultibyteCase{CodePage::Utf8, "", false},
                    MultibyteCase{CodePage::Utf8, "plain", false},
                    MultibyteCase{CodePage::Utf8, "caf\xC3\xA9", true},
                    MultibyteCase{CodePage::Utf8, "bad\xFF\xC3", false},
                    MultibyteCase{CodePage::Utf8, "/d\xE6\x83\xB3/x", true}));

TEST(Codeset, ShiftJisNames)
{
    for (const char* name : {"SHIFT_JIS", "shift-jis", "SJIS", "sjis", "CP932", "cp932",
                             "WINDOWS-31J", "Windows_31J", "ShiftJIS"})
        EXPECT_TRUE(isShiftJisCodeset(name)) << name;
    for (const char* name : {"", "UTF-8", "EUC-JP", "eucJP", "ANSI_X3.4-1968", "SHIFT_JISX0213", "932"})
        EXPECT_FALSE(isShiftJisCodeset(name)) << name;
}

TEST(Codeset, OfLocaleName)
{
    EXPECT_EQ(codesetOfLocaleName("ja_JP.SJIS@x"), "SJIS");
    EXPECT_EQ(codesetOfLocaleName("ja_JP.UTF-8"), "UTF-8");
    EXPECT_EQ(codesetOfLocaleName("de_DE@euro"), "");
    EXPECT_EQ(codesetOfLocaleName("C"), "");
    EXPECT_EQ(codesetOfLocaleName(""), "");
}

// Sets the locale variables for one detection and puts them back afterwards.
class DetectCodePageTest : public testing::Test {
protected:
    void SetUp() override
    {
        for (const char* v : vars) {
            const char* value = std::getenv(v);
            saved.push_back(value ? std::optional<std::string>(value) : std::nullopt);
            unsetenv(v);
        }
    }
    void TearDown() override
    {
        for (std::size_t i = 0; i < std::size(vars); ++i) {
            if (saved[i]) setenv(vars[i], saved[i]->c_str(), 1);
            else unsetenv(vars[i]);
        }
        std::setlocale(LC_CTYPE, "C");
    }
    static constexpr const char* vars[] = {"LC_ALL", "LC_CTYPE", "LANG"};
    std::vector<std::optional<std::string>> saved;
};

TEST_F(DetectCodePageTest, FromLcAll)
{
    struct Case {
        const char* name;
        CodePage expected;
    };
    for (const Case& c : {Case{"C", CodePage::Utf8}, Case{"POSIX", CodePage::Utf8},
                          Case{"C.UTF-8", CodePage::Utf8}, Case{"ja_JP.SJIS", CodePage::Cp932},
                          Case{"ja_JP.Shift_JIS", CodePage::Cp932}, Case{"ja_JP.CP932", CodePage::Cp932},
                          Case{"ja_JP.WINDOWS-31J", CodePage::Cp932}, Case{"ja_JP.sjis@x", CodePage::Cp932},
                          Case{"ja_JP.eucJP", CodePage::Utf8}, Case{"ja_JP", CodePage::Utf8}}) {
        setenv("LC_ALL", c.name, 1);
        EXPECT_EQ(detectCodePage(), c.expected) << c.name;
    }
}

TEST_F(DetectCodePageTest, NoVariablesMeansUtf8)
{
    EXPECT_EQ(detectCodePage(), CodePage::Utf8);
}

TEST_F(DetectCodePageTest, FirstNonEmptyOfLcAllLcCtypeLang)
{
    setenv("LC_ALL", "", 1);
    setenv("LC_CTYPE", "ja_JP.SJIS", 1);
    setenv("LANG", "en_US.UTF-8", 1);
    EXPECT_EQ(detectCodePage(), CodePage::Cp932);

    unsetenv("LC_CTYPE");
    setenv("LANG", "ja_JP.SJIS", 1);
    EXPECT_EQ(detectCodePage(), CodePage::Cp932);

    setenv("LC_ALL", "ja_JP.eucJP", 1);
    EXPECT_EQ(detectCodePage(), CodePage::Utf8);
}

TEST(ActiveCodePage, SetAndRead)
{
    const CodePage before = activeCodePage();
    setActiveCodePage(CodePage::Cp932);
    EXPECT_EQ(activeCodePage(), CodePage::Cp932);
    setActiveCodePage(CodePage::Utf8);
    EXPECT_EQ(activeCodePage(), CodePage::Utf8);
    setActiveCodePage(before);
}

const std::string sjisSo = "\x83\x5C";     // ソ
const std::string utf8So = "\xE3\x82\xBD";
const std::string sjisHyou = "\x95\x5C";   // 表
const std::string utf8Hyou = "\xE8\xA1\xA8";
const std::string sjisHalfA = "\xB1";      // ｱ
const std::string utf8HalfA = "\xEF\xBD\xB1";

TEST(Conversion, Cp932RoundTrip)
{
    const std::string sjis = "a" + sjisSo + sjisHyou + sjisHalfA + "\\.txt";
    const std::string utf8 = "a" + utf8So + utf8Hyou + utf8HalfA + "\\.txt";
    EXPECT_EQ(toUtf8(CodePage::Cp932, sjis), utf8);
    EXPECT_EQ(fromUtf8(CodePage::Cp932, utf8), sjis);
    EXPECT_EQ(toUtf8(CodePage::Cp932, ""), "");
}

TEST(Conversion, Utf8ToUtf8Validates)
{
    EXPECT_EQ(toUtf8(CodePage::Utf8, "caf\xC3\xA9"), "caf\xC3\xA9");
    EXPECT_EQ(fromUtf8(CodePage::Utf8, "caf\xC3\xA9"), "caf\xC3\xA9");
    EXPECT_EQ(toUtf8(CodePage::Utf8, "bad\xFF"), std::nullopt);
    EXPECT_EQ(fromUtf8(CodePage::Utf8, "\xED\xA0\x80"), std::nullopt);
    EXPECT_EQ(toUtf8(CodePage::Utf8, std::string_view("a\0b", 3)), std::string("a\0b", 3));
}

TEST(Conversion, RefusesWhatCannotBeRepresented)
{
    EXPECT_EQ(fromUtf8(CodePage::Cp932, "a\xF0\x9F\x98\x80"), std::nullopt);  // emoji
    EXPECT_EQ(fromUtf8(CodePage::Cp932, "a\xFF"), std::nullopt);               // malformed
    EXPECT_EQ(toUtf8(CodePage::Cp932, "a\x82"), std::nullopt);                 // lone lead byte
    EXPECT_EQ(toUtf8(CodePage::Cp932, "\x85\x40"), std::nullopt);              // unassigned
}

TEST(Conversion, ForDisplayReplacesEachBadByte)
{
    EXPECT_EQ(toUtf8ForDisplay(CodePage::Utf8, "a\xFF\xC3" "b"), "a\xEF\xBF\xBD\xEF\xBF\xBD" "b");
    EXPECT_EQ(toUtf8ForDisplay(CodePage::Cp932, sjisSo + "\x82"), utf8So + "\xEF\xBF\xBD");
    EXPECT_EQ(toUtf8ForDisplay(CodePage::Cp932, "x" + sjisHyou), "x" + utf8Hyou);
}

TEST(Conversion, FixedTextInTheActiveCodePage)
{
    const CodePage before = activeCodePage();
    setActiveCodePage(CodePage::Utf8);
    EXPECT_EQ(fixedText("\xE6\x83\xB3 ok"), "\xE6\x83\xB3 ok");
    setActiveCodePage(CodePage::Cp932);
    EXPECT_EQ(fixedText("\xE6\x83\xB3 ok"), "\x91\x7A ok");
    EXPECT_EQ(fixedText("   " + utf8HalfA + "   "), "   " + sjisHalfA + "   ");
    setActiveCodePage(before);
}

struct CaseCase {
    const char* label;
    CodePage cp;
    std::string text;
    std::string upper;
    std::string lower;
};

class CaseConversionTest : public testing::TestWithParam<CaseCase> {};

TEST_P(CaseConversionTest, UpperAndLower)
{
    const CaseCase& c = GetParam();
    EXPECT_EQ(toUpperText(c.cp, c.text), c.upper);
    EXPECT_EQ(toLowerText(c.cp, c.text), c.lower);
}

INSTANTIATE_TEST_SUITE_P(
    Both, CaseConversionTest,
    testing::Values(
        CaseCase{"cp932_ascii", CodePage::Cp932, "read Me.txt", "READ ME.TXT", "read me.txt"},
        // trail bytes 0x7A ('z') and 0x5C ('\') are not letters to convert
        CaseCase{"cp932_trail_bytes", CodePage::Cp932, "\x91\x7A" "a\x83\x5C" "b\x95\x5C" "c",
                 "\x91\x7A" "A\x83\x5C" "B\x95\x5C" "C", "\x91\x7A" "a\x83\x5C" "b\x95\x5C" "c"},
        // full-width Ａ and ａ are kept
        CaseCase{"cp932_fullwidth_kept", CodePage::Cp932, "\x82\x60\x82\x81", "\x82\x60\x82\x81",
                 "\x82\x60\x82\x81"},
        CaseCase{"cp932_halfwidth_kana_kept", CodePage::Cp932, "\xB1x", "\xB1X", "\xB1x"},
        CaseCase{"cp932_lead_at_end", CodePage::Cp932, "a\x91", "A\x91", "a\x91"},
        CaseCase{"utf8_ascii", CodePage::Utf8, "Data/read me.txt", "DATA/READ ME.TXT", "data/read me.txt"},
        CaseCase{"utf8_e_acute", CodePage::Utf8, "caf\xC3\xA9", "CAF\xC3\x89", "caf\xC3\xA9"},
        CaseCase{"utf8_E_acute", CodePage::Utf8, "\xC3\x89t\xC3\xA9", "\xC3\x89T\xC3\x89", "\xC3\xA9t\xC3\xA9"},
        CaseCase{"utf8_greek", CodePage::Utf8, "\xCE\xB1\xCE\x92", "\xCE\x91\xCE\x92", "\xCE\xB1\xCE\xB2"},
        CaseCase{"utf8_cjk_kept", CodePage::Utf8, "\xE6\x83\xB3", "\xE6\x83\xB3", "\xE6\x83\xB3"},
        // not one-to-one: dotless i, long s and the Kelvin sign stay as they are
        CaseCase{"utf8_dotless_i", CodePage::Utf8, "\xC4\xB1", "\xC4\xB1", "\xC4\xB1"},
        CaseCase{"utf8_long_s", CodePage::Utf8, "\xC5\xBF", "\xC5\xBF", "\xC5\xBF"},
        CaseCase{"utf8_kelvin", CodePage::Utf8, "\xE2\x84\xAA", "\xE2\x84\xAA", "\xE2\x84\xAA"},
        CaseCase{"utf8_malformed_kept", CodePage::Utf8, "a\xFF\xC3", "A\xFF\xC3", "a\xFF\xC3"},
        CaseCase{"empty", CodePage::Utf8, "", "", ""}),
    [](const testing::TestParamInfo<CaseCase>& info) { return std::string(info.param.label); });

}  // namespace
