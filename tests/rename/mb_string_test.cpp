#include "rename/mb_string.h"

#include "support/code_page_scope.h"

#include <gtest/gtest.h>

namespace {

// Two multibyte characters, spelled in the bytes of one code page.
struct Sample {
    const char* name;
    CodePage cp;
    Text first;   // a multibyte character
    Text second;  // another one
    Text lead;    // a byte that starts a multibyte character
};

const Sample samples[] = {
    {"Cp932", CodePage::Cp932, "\x93\xfa", "\x96\x7b", "\x82"},           // 日 本
    {"Utf8", CodePage::Utf8, "\xe3\x81\x82", "\xf0\x9d\x84\x9e", "\xe3"},  // あ, a 4-byte one
};

class MbStringTest : public ::testing::TestWithParam<Sample> {
protected:
    void SetUp() override { scope_ = std::make_unique<CodePageScope>(GetParam().cp); }
    void TearDown() override { scope_.reset(); }
    std::unique_ptr<CodePageScope> scope_;
};

INSTANTIATE_TEST_SUITE_P(CodePages, MbStringTest, ::testing::ValuesIn(samples),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_P(MbStringTest, OneByteTextCopies)
{
    const Text abc = "ABC";
    EXPECT_EQ(MbLength(abc), 3);
    struct Case {
        int pos, count;
        Text expected;
    };
    const Case cases[] = {
        {2, 5, "BC"}, {0, 1, "A"}, {1, 3, "ABC"}, {3, 1, "C"}, {4, 1, ""},
        {9, 1, ""},   {-1, 2, ""}, {1, 0, ""},    {1, -3, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MbCopy(abc, c.pos, c.count), c.expected) << c.pos << "," << c.count;
    }
    EXPECT_EQ(MbCopy("", 1, 1), "");
}

TEST_P(MbStringTest, DoubleByteNameWithExtension)
{
    const Sample& s = GetParam();
    const Text name = s.first + s.second + ".txt";
    EXPECT_EQ(MbLength(name), 6);
    EXPECT_EQ(MbPos(".txt", name), 3);
    EXPECT_EQ(MbCopy(name, 1, 2), s.first + s.second);
    EXPECT_EQ(MbCopy(name, 2, 1), s.second);
    EXPECT_EQ(MbCopy(name, 3, 100), ".txt");
    EXPECT_EQ(MbCopy(name, 7, 1), "");
    EXPECT_EQ(MbPos(s.second, name), 2);
    EXPECT_EQ(MbPos(s.second + ".t", name), 2);
    EXPECT_EQ(MbPos(s.first + ".", name), 0);
    EXPECT_TRUE(MbHasDbcs(name));
}

TEST_P(MbStringTest, LeadByteBeforeTerminatorIsOneCharacter)
{
    const Sample& s = GetParam();
    const Text text = "ab" + s.lead;
    EXPECT_EQ(MbLength(text), 3);
    EXPECT_FALSE(MbHasDbcs(text));
    EXPECT_FALSE(MbIsLeadByte(text.c_str() + 2));
    EXPECT_EQ(MbCopy(text, 3, 1), s.lead);
    const char* p = text.c_str() + 2;
    EXPECT_EQ(MbNextChar(p), 1);
    EXPECT_EQ(p, text.c_str() + 3);
    EXPECT_EQ(MbNextChar(p), 0);
    EXPECT_EQ(p, text.c_str() + 3);
}

TEST_P(MbStringTest, NextCharSteps)
{
    const Sample& s = GetParam();
    const Text text = s.first + "x" + s.second;
    const char* p = text.c_str();
    EXPECT_TRUE(MbIsLeadByte(p));
    EXPECT_EQ(MbNextChar(p), static_cast<int>(s.first.size()));
    EXPECT_FALSE(MbIsLeadByte(p));
    EXPECT_EQ(MbNextChar(p), 1);
    EXPECT_EQ(MbNextChar(p), static_cast<int>(s.second.size()));
    EXPECT_EQ(MbNextChar(p), 0);
    EXPECT_EQ(*p, '\0');
    const char* empty = "";
    EXPECT_FALSE(MbIsLeadByte(empty));
}

TEST_P(MbStringTest, SkipCharsCountsCharactersAndBytes)
{
    const Sample& s = GetParam();
    const Text text = s.first + "ab" + s.second;
    std::size_t bytes = 99;
    EXPECT_EQ(MbSkipChars(text.c_str(), 0, bytes), 4);
    EXPECT_EQ(bytes, text.size());
    EXPECT_EQ(MbSkipChars(text.c_str(), 2, bytes), 2);
    EXPECT_EQ(bytes, s.first.size() + 1);
    EXPECT_EQ(MbSkipChars(text.c_str(), 10, bytes), 4);
    EXPECT_EQ(bytes, text.size());
    EXPECT_EQ(MbSkipChars("", 3, bytes), 0);
    EXPECT_EQ(bytes, 0u);
}

TEST_P(MbStringTest, CompareAndMatch)
{
    const Sample& s = GetParam();
    const Text a = s.first + "b";
    const Text b = s.first + "c";
    const char* pa = a.c_str();
    const char* pb = b.c_str();
    EXPECT_TRUE(MbCompareChar(pa, pb));
    EXPECT_EQ(pa, a.c_str() + s.first.size());
    EXPECT_FALSE(MbCompareChar(pa, pb));
    EXPECT_EQ(pa, a.c_str() + s.first.size());  // unchanged on inequality

    const Text c = s.second;
    const char* pc = c.c_str();
    pa = a.c_str();
    EXPECT_FALSE(MbCompareChar(pa, pc));
    EXPECT_EQ(pa, a.c_str());

    const Text x = "x", y = "X";
    const char* px = x.c_str();
    const char* py = y.c_str();
    EXPECT_FALSE(MbCompareChar(px, py));

    EXPECT_EQ(MbMatchAt(a.c_str(), s.first.c_str()), a.c_str());
    EXPECT_EQ(MbMatchAt(a.c_str(), a.c_str()), a.c_str());
    EXPECT_EQ(MbMatchAt(a.c_str(), (a + "z").c_str()), nullptr);  // text ends first
    EXPECT_EQ(MbMatchAt(a.c_str(), ""), nullptr);
    EXPECT_EQ(MbMatchAt(a.c_str(), b.c_str()), nullptr);
}

TEST_P(MbStringTest, PosEdgeCases)
{
    const Sample& s = GetParam();
    EXPECT_EQ(MbPos("", "abc"), 0);
    EXPECT_EQ(MbPos("abc", ""), 0);
    EXPECT_EQ(MbPos("", ""), 0);
    EXPECT_EQ(MbPos("abcd", "abc"), 0);
    EXPECT_EQ(MbPos("abc", "ABC.TXT"), 0);
    EXPECT_EQ(MbPos("ABC", "ABC.TXT"), 1);
    EXPECT_EQ(MbPos("T", "ABC.TXT"), 5);
    EXPECT_EQ(MbPos("_old", "_old_x_old.txt"), 1);
    EXPECT_EQ(MbPos("a", s.first + s.second + "a"), 3);
}

TEST_P(MbStringTest, HasDbcs)
{
    const Sample& s = GetParam();
    EXPECT_FALSE(MbHasDbcs(""));
    EXPECT_FALSE(MbHasDbcs("/home/user/plain name.txt"));
    EXPECT_TRUE(MbHasDbcs("/home/" + s.first + "/plain.txt"));
    EXPECT_TRUE(MbHasDbcs("/tmp/x" + s.second));
}

TEST_P(MbStringTest, EmbeddedNulEndsTheText)
{
    const Sample& s = GetParam();
    const Text text = Text("ab\0", 3) + s.first + "cd";
    EXPECT_EQ(MbLength(text), 2);
    EXPECT_FALSE(MbHasDbcs(text));
    EXPECT_EQ(MbPos("c", text), 0);
    EXPECT_EQ(MbCopy(text, 1, 10), "ab");
    EXPECT_EQ(MbCopy(text, 3, 1), "");
}

// In CP932 trail bytes can be ASCII: 0x5C (the backslash) in 表 and ソ,
// 0x7A ('z') in 想. A one-byte pattern never matches such a trail byte.
TEST(MbStringCp932Test, TrailBytesAreNotCharacters)
{
    CodePageScope scope(CodePage::Cp932);
    const Text hyou = "\x95\x5c";  // 表
    const Text so = "\x83\x5c";    // ソ
    const Text sou = "\x91\x7a";   // 想
    EXPECT_EQ(MbPos("\\", hyou + "\\"), 2);
    EXPECT_EQ(MbLength(hyou + "\\"), 2);
    EXPECT_EQ(MbPos("\\", so + hyou), 0);
    EXPECT_EQ(MbPos("z", sou + "z"), 2);
    EXPECT_EQ(MbPos("z", sou), 0);
    EXPECT_EQ(MbCopy(so + "\\" + sou, 2, 2), "\\" + sou);
    EXPECT_EQ(MbLength(so + "\\" + sou), 3);
}

// In UTF-8 a malformed byte is a character of one byte.
TEST(MbStringUtf8Test, MalformedBytesAreOneByteCharacters)
{
    CodePageScope scope(CodePage::Utf8);
    const Text broken = "a\x81\xe3" "b";  // lone continuation, truncated lead
    EXPECT_EQ(MbLength(broken), 4);
    EXPECT_FALSE(MbHasDbcs(broken));
    EXPECT_EQ(MbPos("b", broken), 4);
    EXPECT_EQ(MbLength("\xc3\xa9t\xc3\xa9"), 3);  // été
    EXPECT_EQ(MbPos("t", "\xc3\xa9t\xc3\xa9"), 2);
}

// In CP932 UTF-8 lead bytes are CP932 lead bytes too; the same bytes count
// by the rules of the active code page.
TEST(MbStringCodePageTest, CountsFollowTheActiveCodePage)
{
    const Text bytes = "\xe3\x81\x82";
    {
        CodePageScope scope(CodePage::Utf8);
        EXPECT_EQ(MbLength(bytes), 1);
    }
    {
        CodePageScope scope(CodePage::Cp932);
        EXPECT_EQ(MbLength(bytes), 2);  // E3 81 is one character, 82 before the end another
    }
}

}  // namespace
