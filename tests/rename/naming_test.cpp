#include "rename/naming.h"

#include "support/code_page_scope.h"

#include <gtest/gtest.h>

namespace {

const Text dir = "/home/user/Data/";

struct RuleCase {
    Operation op;
    Text name;
    Text typed;
    std::optional<Text> expected;  // new name part; nullopt: refused
};

void expectRules(const RuleCase* begin, const RuleCase* end)
{
    for (const RuleCase* c = begin; c != end; ++c) {
        std::optional<Text> got = newFullPath(c->op, dir + c->name, c->typed);
        SCOPED_TRACE(c->name + " / " + c->typed);
        if (c->expected) {
            ASSERT_TRUE(got.has_value());
            EXPECT_EQ(*got, dir + *c->expected);
        } else {
            EXPECT_FALSE(got.has_value()) << *got;
        }
    }
}

TEST(NamingTest, RulesOfEveryOperation)
{
    CodePageScope scope(CodePage::Utf8);
    const RuleCase cases[] = {
        {Operation::StartAdd, "memo.txt", "new_", "new_memo.txt"},
        {Operation::StartAdd, "memo.txt", "", "memo.txt"},
        {Operation::StartAdd, "README", "x ", "x README"},
        {Operation::EndAdd, "README", "_old", "README_old"},
        {Operation::EndAdd, "data.tar.gz", "_old", "data.tar_old.gz"},
        {Operation::EndAdd, "memo.txt", "", "memo.txt"},
        {Operation::EndAdd, "a.txt", "_x", "a_x.txt"},
        {Operation::EndAdd, "b", "_x", "b_x"},
        {Operation::ExtChange, "memo.txt", ".org", "memo.org"},
        {Operation::ExtChange, "memo.txt", "org", "memoorg"},
        {Operation::ExtChange, "memo.txt", "", "memo"},
        {Operation::ExtChange, "README", ".org", "README.org"},
        {Operation::ExtChange, "data.tar.gz", ".bz2", "data.tar.bz2"},
        {Operation::StartDel, "abcd.txt", "ab", "cd.txt"},
        {Operation::StartDel, "abab.txt", "ab", "ab.txt"},
        {Operation::EndDel, "report_old.txt", "_old", "report.txt"},
        {Operation::EndDel, "memo.txt", "memo", ".txt"},
        {Operation::EndDel, "README_old", "_old", "README"},
        {Operation::Upper, "read me.txt", "", "READ ME.TXT"},
        {Operation::Upper, "READ.ME", "", "READ.ME"},
        {Operation::Lower, "Read Me.TXT", "", "read me.txt"},
        {Operation::Lower, "read.me", "", "read.me"},
    };
    expectRules(std::begin(cases), std::end(cases));
}

TEST(NamingTest, PathPartIsNeverChanged)
{
    CodePageScope scope(CodePage::Utf8);
    EXPECT_EQ(newFullPath(Operation::Upper, "/srv/Data.dir/read me.txt", ""),
              Text("/srv/Data.dir/READ ME.TXT"));
    EXPECT_EQ(newFullPath(Operation::Lower, "/SRV/DATA/X.TXT", ""), Text("/SRV/DATA/x.txt"));
    EXPECT_EQ(newFullPath(Operation::EndAdd, "/srv/a.b/README", "_x"), Text("/srv/a.b/README_x"));
    EXPECT_EQ(newFullPath(Operation::ExtChange, "/srv/a.b/README", ".c"), Text("/srv/a.b/README.c"));
    // A name without directory has an empty path part.
    EXPECT_EQ(newFullPath(Operation::StartAdd, "memo.txt", "x"), Text("xmemo.txt"));
}

// A new name must stay a name in the entry's own directory; anything else
// is refused and counted as a failed rename.
TEST(NamingTest, NamesThatWouldLeaveTheDirectoryAreRefused)
{
    CodePageScope scope(CodePage::Utf8);
    const RuleCase cases[] = {
        {Operation::StartAdd, "memo.txt", "../", std::nullopt},
        {Operation::StartAdd, "memo.txt", "sub/", std::nullopt},
        {Operation::EndAdd, "memo.txt", "/x", std::nullopt},
        {Operation::ExtChange, "memo.txt", "/etc", std::nullopt},
        {Operation::ExtChange, "memo", "/", std::nullopt},
        {Operation::ExtChange, ".bashrc", "", std::nullopt},   // empty name
        {Operation::ExtChange, "x.txt", ".", "x."},
        {Operation::ExtChange, "..txt", "", std::nullopt},     // "."
        {Operation::ExtChange, "..txt", ".", std::nullopt},    // ".."
        {Operation::StartDel, "memo.txt", "memo.txt", std::nullopt},
        {Operation::StartDel, "x..", "x", std::nullopt},
        {Operation::StartDel, "x.", "x", std::nullopt},
        {Operation::EndDel, "ab..", "ab.", std::nullopt},
        {Operation::StartAdd, "memo.txt", Text("a\0b", 3), std::nullopt},
        {Operation::StartAdd, ".", ".", std::nullopt},        // ".." from "."
        {Operation::StartAdd, "memo", ".", ".memo"},
    };
    expectRules(std::begin(cases), std::end(cases));
}

struct CheckCase {
    Operation op;
    Text name;
    Text typed;
    const char* message;  // UTF-8 with the name in place of %s; nullptr: passes
};

void expectChecks(CodePage cp, const CheckCase* begin, const CheckCase* end)
{
    CodePageScope scope(cp);
    for (const CheckCase* c = begin; c != end; ++c) {
        SCOPED_TRACE(c->name + " / " + c->typed);
        std::optional<Text> got = validationMessage(c->op, dir + c->name, c->typed);
        if (!c->message) {
            EXPECT_FALSE(got.has_value()) << *got;
            continue;
        }
        std::string utf8 = c->message;
        const std::string head = utf8.substr(0, utf8.find("%s"));
        const std::string tail = utf8.substr(utf8.find("%s") + 2);
        ASSERT_TRUE(got.has_value());
        EXPECT_EQ(*got, *fromUtf8(cp, head) + c->name + *fromUtf8(cp, tail));
    }
}

const char* const notFound = "   %s には、指定文字列がありません。          ";
const char* const notAtStart = "   %s には、指定文字列が先頭にありません。          ";
const char* const notAtEnd = "   %s には、指定文字列が最後にありません。          ";

TEST(NamingTest, ChecksOfTheDeleteOperations)
{
    const CheckCase cases[] = {
        {Operation::StartDel, "abcd.txt", "ab", nullptr},
        {Operation::StartDel, "xabc.txt", "ab", notAtStart},
        {Operation::StartDel, "memo.txt", "zz", notFound},
        {Operation::StartDel, "memo.txt", "", notFound},
        {Operation::StartDel, "ABcd.txt", "ab", notFound},
        {Operation::StartDel, "memo.txt", "memo.txt", nullptr},
        {Operation::EndDel, "report_old.txt", "_old", nullptr},
        {Operation::EndDel, "report.txt", "_old", notFound},
        {Operation::EndDel, "_old_x_old.txt", "_old", notAtEnd},
        {Operation::EndDel, "memo.txt", "memo", nullptr},
        {Operation::EndDel, "memo.txt", "", notFound},
        {Operation::EndDel, "README_old", "_old", nullptr},
        {Operation::EndDel, "a_old.b.txt", "_old", notAtEnd},
        {Operation::EndDel, "memo.txt", ".txt", notAtEnd},
        {Operation::StartAdd, "memo.txt", "zz", nullptr},
        {Operation::Upper, "memo.txt", "", nullptr},
    };
    expectChecks(CodePage::Utf8, std::begin(cases), std::end(cases));
    expectChecks(CodePage::Cp932, std::begin(cases), std::end(cases));
}

TEST(NamingTest, Cp932NamesWalkByCharacter)
{
    const Text hyou = "\x95\x5c";  // 表, trail byte 0x5C
    const Text sou = "\x91\x7a";   // 想, trail byte 'z'
    const Text a = "\x83\x41";     // ア, trail byte 'A'
    const Text nichi = "\x93\xfa"; // 日
    const RuleCase cases[] = {
        {Operation::Upper, sou + "a.txt", "", sou + "A.TXT"},
        {Operation::Lower, a + "B.TXT", "", a + "b.txt"},
        {Operation::Upper, hyou + "\\x.txt", "", hyou + "\\X.TXT"},
        {Operation::StartDel, hyou + nichi + ".txt", hyou, nichi + ".txt"},
        {Operation::EndDel, "x" + hyou + nichi + ".txt", nichi, "x" + hyou + ".txt"},
        {Operation::EndAdd, hyou + ".txt", nichi, hyou + nichi + ".txt"},
        {Operation::ExtChange, sou + ".txt", ".z", sou + ".z"},
    };
    CodePageScope scope(CodePage::Cp932);
    expectRules(std::begin(cases), std::end(cases));

    const CheckCase checks[] = {
        // 'z' is only the trail byte of 想: not a character of the name.
        {Operation::StartDel, sou + ".txt", "z", notFound},
        {Operation::StartDel, hyou + "\\", "\\", notAtStart},
        {Operation::EndDel, nichi + hyou + ".txt", hyou, nullptr},
    };
    expectChecks(CodePage::Cp932, std::begin(checks), std::end(checks));
}

TEST(NamingTest, Utf8NamesWalkByCharacter)
{
    CodePageScope scope(CodePage::Utf8);
    const Text kana = "\xe3\x81\x82";      // あ
    const Text clef = "\xf0\x9d\x84\x9e";  // a four-byte character
    const RuleCase cases[] = {
        {Operation::Upper, kana + "a.txt", "", kana + "A.TXT"},
        {Operation::StartDel, kana + clef + ".txt", kana, clef + ".txt"},
        {Operation::EndDel, kana + clef + ".txt", clef, kana + ".txt"},
        {Operation::EndAdd, "x.txt", kana, "x" + kana + ".txt"},
    };
    expectRules(std::begin(cases), std::end(cases));
}

TEST(NamingTest, FailureMessageNamesTheNamePart)
{
    {
        CodePageScope scope(CodePage::Utf8);
        EXPECT_EQ(renameFailedMessage("/home/user/memo.txt"),
                  "   memo.txt の変換に失敗しました。          ");
    }
    {
        CodePageScope scope(CodePage::Cp932);
        EXPECT_EQ(renameFailedMessage("/home/\x95\x5c/\x95\x5c.txt"),
                  "   \x95\x5c.txt" + *fromUtf8(CodePage::Cp932, " の変換に失敗しました。          "));
    }
}

}  // namespace

// The kernel splits a path at every '/' byte, also one that follows a CP932
// lead byte: such a name would move the file into another directory.
TEST(NamingTest, SlashAfterALeadByteIsRefusedInShiftJis)
{
    CodePageScope cp(CodePage::Cp932);
    struct Case {
        Operation op;
        Text path;
        Text typed;
    } const cases[] = {
        {Operation::Upper, "/tmp/a\x81/b.txt", ""},
        {Operation::StartAdd, "/tmp/b.txt", "x\x81/"},
        {Operation::EndAdd, "/tmp/b.txt", "\xfc/"},
        {Operation::StartDel, "/tmp/ab\x81/c", "a"},
    };
    for (const Case& c : cases) EXPECT_EQ(newFullPath(c.op, c.path, c.typed), std::nullopt) << c.path;
    // A name without such a byte is still renamed in place.
    EXPECT_EQ(newFullPath(Operation::Upper, "/tmp/\x95\x5c.txt", ""), Text("/tmp/\x95\x5c.TXT"));
}

// A Shift-JIS lead byte before the last '/' hides that separator from the
// character split: the name part then holds a '/' and the file would move
// up a directory. Such a path is refused, whatever the operation.
TEST(NamingTest, NamePartWithAHiddenSeparatorIsRefused)
{
    CodePageScope cp(CodePage::Cp932);
    EXPECT_EQ(newFullPath(Operation::StartDel, "/tmp/d/\x81/b", "\x81"), std::nullopt);
    EXPECT_EQ(newFullPath(Operation::Lower, "/tmp/d/\x81/B", ""), std::nullopt);
    EXPECT_EQ(newFullPath(Operation::Upper, Text("/tmp/a\0b", 8), ""), std::nullopt);
}
