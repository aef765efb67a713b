#include "platform/path.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct SplitCase {
    const char* label;
    CodePage cp;
    std::string full;
    std::string pathPart;
    std::string namePart;
    std::string extensionPart;
    std::string stem;
};

class SplitPathTest : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitPathTest, Parts)
{
    const SplitCase& c = GetParam();
    const PathSplit s = splitPath(c.cp, c.full);
    EXPECT_EQ(s.pathPart, c.pathPart);
    EXPECT_EQ(s.namePart, c.namePart);
    EXPECT_EQ(s.extensionPart, c.extensionPart);
    EXPECT_EQ(s.stem, c.stem);
    EXPECT_EQ(s.pathPart + s.namePart, c.full);
    EXPECT_EQ(s.stem + s.extensionPart, c.full);
}

INSTANTIATE_TEST_SUITE_P(
    Both, SplitPathTest,
    testing::Values(
        SplitCase{"plain", CodePage::Utf8, "/home/u/read me.txt", "/home/u/", "read me.txt", ".txt", "/home/u/read me"},
        SplitCase{"no_extension", CodePage::Utf8, "/opt/vorel", "/opt/", "vorel", "", "/opt/vorel"},
        SplitCase{"period_in_directory_only", CodePage::Utf8, "/a.b/c", "/a.b/", "c", "", "/a.b/c"},
        SplitCase{"two_periods", CodePage::Utf8, "/x/a.tar.gz", "/x/", "a.tar.gz", ".gz", "/x/a.tar"},
        SplitCase{"hidden_file", CodePage::Utf8, "/x/.profile", "/x/", ".profile", ".profile", "/x/"},
        SplitCase{"trailing_period", CodePage::Utf8, "/x/a.", "/x/", "a.", ".", "/x/a"},
        SplitCase{"trailing_separator", CodePage::Utf8, "/x/dir/", "/x/dir/", "", "", "/x/dir/"},
        SplitCase{"no_separator", CodePage::Utf8, "name.ini", "", "name.ini", ".ini", "name"},
        SplitCase{"root_only", CodePage::Utf8, "/", "/", "", "", "/"},
        SplitCase{"empty", CodePage::Utf8, "", "", "", "", ""},
        SplitCase{"backslash_is_a_name_byte", CodePage::Utf8, "/x/a\\b.c", "/x/", "a\\b.c", ".c", "/x/a\\b"},
        SplitCase{"utf8_multibyte", CodePage::Utf8, "/\xE8\xA1\xA8/\xE6\x83\xB3.txt", "/\xE8\xA1\xA8/",
                  "\xE6\x83\xB3.txt", ".txt", "/\xE8\xA1\xA8/\xE6\x83\xB3"},
        SplitCase{"cp932_plain", CodePage::Cp932, "/d/\x95\x5C.txt", "/d/", "\x95\x5C.txt", ".txt", "/d/\x95\x5C"},
        // Any non-zero byte after a lead byte is its trail byte, even '/' or '.'.
        SplitCase{"cp932_trail_byte_slash_is_not_a_separator", CodePage::Cp932, "/d/\x81/x.y", "/d/", "\x81/x.y", ".y",
                  "/d/\x81/x"},
        SplitCase{"cp932_trail_byte_period_is_not_a_period", CodePage::Cp932, "/d/a\x81.b", "/d/", "a\x81.b", "",
                  "/d/a\x81.b"},
        SplitCase{"cp932_trail_0x5C", CodePage::Cp932, "/d/\x83\x5C.\x95\x5C", "/d/", "\x83\x5C.\x95\x5C",
                  ".\x95\x5C", "/d/\x83\x5C"},
        SplitCase{"cp932_lead_at_end", CodePage::Cp932, "/d/a.b\x82", "/d/", "a.b\x82", ".b\x82", "/d/a"}),
    [](const testing::TestParamInfo<SplitCase>& info) { return std::string(info.param.label); });

TEST(ReplaceExtension, ReplacesOrAppends)
{
    EXPECT_EQ(replaceExtension(CodePage::Utf8, "/opt/vorel", ".INI"), "/opt/vorel.INI");
    EXPECT_EQ(replaceExtension(CodePage::Utf8, "/opt/vorel.exe", ".INI"), "/opt/vorel.INI");
    EXPECT_EQ(replaceExtension(CodePage::Utf8, "/opt.d/vorel", ".TXT"), "/opt.d/vorel.TXT");
    EXPECT_EQ(replaceExtension(CodePage::Cp932, "/\x95\x5C/a.b.c", ""), "/\x95\x5C/a.b");
}

// A separator or a zero byte anywhere, in the blocks of eight bytes the
// check reads or in the bytes after them, makes a name more than one entry.
TEST(SingleNameComponent, EveryPlaceOfASeparatorOrAZeroByte)
{
    for (const CodePage cp : {CodePage::Utf8, CodePage::Cp932}) {
        EXPECT_FALSE(isSingleNameComponent(cp, ""));
        EXPECT_FALSE(isSingleNameComponent(cp, "."));
        EXPECT_FALSE(isSingleNameComponent(cp, ".."));
        EXPECT_TRUE(isSingleNameComponent(cp, "..."));
        for (std::size_t size = 1; size <= 25; ++size) {
            // Bytes next to the ones looked for: 0x2E, 0x30, 0x01, 0xFF and a Shift-JIS 0x5C trail.
            std::string name;
            for (std::size_t i = 0; i < size; ++i) name += "\x2E\x30\x01\xFF\x95\x5C"[i % 6];
            if (name != ".") {
                EXPECT_TRUE(isSingleNameComponent(cp, name)) << size;
            }
            for (std::size_t at = 0; at < size; ++at) {
                for (const char bad : {'/', '\0'}) {
                    std::string with = name;
                    with[at] = bad;
                    EXPECT_FALSE(isSingleNameComponent(cp, with)) << size << " " << at << " " << int(bad);
                }
            }
        }
    }
}

TEST(PathSeparator, Posix)
{
    EXPECT_TRUE(isPathSeparator('/'));
    EXPECT_FALSE(isPathSeparator('\\'));
    EXPECT_FALSE(isPathSeparator(':'));
    EXPECT_EQ(pathSeparator(), '/');
}

}  // namespace
