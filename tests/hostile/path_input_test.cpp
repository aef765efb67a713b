// Hostile paths from the command line, through the path split, the
// multibyte helpers and every naming rule, and renamed on a real disk where
// the system allows such a name. Nothing crashes, an entry never leaves its
// directory, and a rename either happens or fails with the file untouched.
#include "platform/codepage.h"
#include "platform/fs.h"
#include "platform/path.h"
#include "rename/mb_string.h"
#include "rename/naming.h"
#include "support/code_page_scope.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace {

namespace fs = std::filesystem;



// The directory as the system sees the path: up to its last '/' byte.
std::string systemDirectory(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string repeat(const std::string& piece, std::size_t times)
{
    std::string out;
    while (times-- > 0) out += piece;
    return out;
}

struct HostilePath {
    const char* what;
    CodePage cp;
    std::string name;       // created in a temporary directory, or
    std::string fullPath;   // used as it is and never created
    int characters;         // MbLength of the name
    bool hasDbcs;           // MbHasDbcs of the name
};

const HostilePath HostilePaths[] = {
    {"4096-byte path, CP932", CodePage::Cp932, "",
     "/" + repeat("\x92\xB7\x82\xA2\x96\xBC\x91\x4F/", 454) + "abcde.txt", 9, false},
    {"4096-byte path, UTF-8", CodePage::Utf8, "",
     "/" + repeat("\xE9\x95\xB7\xE3\x81\x84/", 584) + "abc.txt", 7, false},
    {"name of 255 bytes", CodePage::Utf8, repeat("\xE3\x81\x82", 85), "", 85, true},
    {"name of 255 bytes, CP932", CodePage::Cp932, repeat("\x82\xA0", 126) + "abc", "", 129, true},
    {"Shift-JIS name read as UTF-8", CodePage::Utf8, "\x95\x5C\x8E\xA6.txt", "", 8, false},
    {"UTF-8 name read as CP932", CodePage::Cp932, "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E.txt", "", 9, true},
    {"malformed UTF-8", CodePage::Utf8, "\xC0\xAF\xED\xA0\x80\xFF\xE3\x81.txt", "", 12, false},
    {"lead byte at the end, CP932", CodePage::Cp932, "abc\x81", "", 4, false},
    {"lead byte before the period, CP932", CodePage::Cp932, "a\x81.txt", "", 5, true},
    {"trail byte 0x5C, CP932", CodePage::Cp932, "\x95\x5C\\.txt", "", 6, true},
    {"line break in a name", CodePage::Utf8, "a\nb.txt", "", 7, false},
    {"CR LF in a name, CP932", CodePage::Cp932, "line\r\nend", "", 9, false},
    {"a line break only", CodePage::Utf8, "\n", "", 1, false},
    {"name made of blanks", CodePage::Cp932, "   ", "", 3, false},
    {"missing file", CodePage::Utf8, "", "/nonexistent-vorel-dir/missing.txt", 11, false},
    {"no name after the separator", CodePage::Utf8, "", "/nonexistent-vorel-dir/", 0, false},
    {"name of two periods", CodePage::Utf8, "", "/nonexistent-vorel-dir/..", 2, false},
};

TEST(HostilePath, SplitAndMultibyteHelpersTakeEveryByteInOrder)
{
    for (const HostilePath& c : HostilePaths) {
        SCOPED_TRACE(c.what);
        CodePageScope cp(c.cp);
        const std::string path = c.fullPath.empty() ? "/tmp/d/" + c.name : c.fullPath;
        const PathSplit split = splitPath(c.cp, path);
        EXPECT_EQ(split.pathPart + split.namePart, path);
        EXPECT_EQ(split.stem + split.extensionPart, path);
        if (c.fullPath.size() > 4000) {
            EXPECT_EQ(path.size(), 4096u);
        }
        if (c.fullPath.empty()) {
            EXPECT_EQ(split.namePart, c.name);
        }
        EXPECT_EQ(MbLength(split.namePart), c.characters);
        EXPECT_EQ(MbHasDbcs(split.namePart), c.hasDbcs);
        EXPECT_EQ(MbCopy(path, 1, MbLength(path)), path);
        EXPECT_EQ(MbCopy(path, MbLength(path) + 1, 1), "");
        EXPECT_EQ(MbPos(split.namePart, path), split.namePart.empty() ? 0 : MbLength(split.pathPart) + 1);
        // Shown as well as it can be, never as a failure.
        EXPECT_FALSE(toUtf8ForDisplay(c.cp, path).empty());
    }
}

TEST(HostilePath, TextsNotValidInTheCodePageDoNotConvert)
{
    EXPECT_EQ(toUtf8(CodePage::Utf8, "\x95\x5C\x8E\xA6.txt"), std::nullopt);
    EXPECT_EQ(toUtf8(CodePage::Utf8, "\xED\xA0\x80"), std::nullopt);  // a surrogate
    EXPECT_EQ(toUtf8(CodePage::Cp932, "abc\x81"), std::nullopt);
    EXPECT_EQ(toUtf8ForDisplay(CodePage::Utf8, "a\xFF" "b"), "a\xEF\xBF\xBD" "b");
    EXPECT_EQ(toUtf8ForDisplay(CodePage::Cp932, "abc\x81"), "abc\xEF\xBF\xBD");
    EXPECT_EQ(toUtf8(CodePage::Cp932, "\x95\x5C\x8E\xA6.txt"), "\xE8\xA1\xA8\xE7\xA4\xBA.txt");
}

struct Rule {
    Operation op;
    const char* typedUtf8;  // "" for the case conversions and the deletes
};

const Rule Rules[] = {
    {Operation::StartAdd, "新_"}, {Operation::EndAdd, "_済"}, {Operation::ExtChange, ".bak"},
    {Operation::StartDel, ""},    {Operation::EndDel, ""},    {Operation::Upper, ""},
    {Operation::Lower, ""},
};

// The text a delete operation is given: the name's first character, or the
// last one before its extension.
Text deleteText(Operation op, const PathSplit& split)
{
    const Text base = split.namePart.substr(0, split.namePart.size() - split.extensionPart.size());
    if (op == Operation::StartDel) return MbCopy(split.namePart, 1, 1);
    return MbCopy(base, MbLength(base), 1);
}

TEST(HostilePath, EveryRuleKeepsTheDirectoryAndARenameHappensOrLeavesTheFile)
{
    FileSystem& disk = systemFileSystem();
    const std::string contents = "contents";
    for (const HostilePath& c : HostilePaths) {
        for (const Rule& rule : Rules) {
            SCOPED_TRACE(std::string(c.what) + ", operation " + std::to_string(int(rule.op)));
            CodePageScope cp(c.cp);
            TempDir dir;
            const bool onDisk = c.fullPath.empty();
            const std::string path = onDisk ? dir.write(c.name, contents) : c.fullPath;
            if (onDisk) {
                ASSERT_EQ(namesIn(dir.path()), std::vector<std::string>{c.name});
            }
            const PathSplit split = splitPath(c.cp, path);
            const Text typed = (rule.op == Operation::StartDel || rule.op == Operation::EndDel)
                                   ? deleteText(rule.op, split)
                                   : fixedText(rule.typedUtf8);
            const Text margin = fixedText("   ");

            if (const auto message = validationMessage(rule.op, path, typed)) {
                EXPECT_TRUE(message->starts_with(margin + split.namePart));
                continue;  // the run stops before any rename
            }
            const std::optional<Text> renamed = newFullPath(rule.op, path, typed);
            const Text failure = renameFailedMessage(path);
            EXPECT_EQ(failure, margin + split.namePart + fixedText(" の変換に失敗しました。          "));
            if (!renamed) {
                if (onDisk) {
                    EXPECT_EQ(TempDir::read(path), contents);
                }
                continue;
            }
            EXPECT_TRUE(renamed->starts_with(split.pathPart));
            EXPECT_EQ(systemDirectory(*renamed), systemDirectory(path));
            const bool done = disk.renameEntry(path, *renamed);
            if (!onDisk) {
                EXPECT_FALSE(done);
                continue;
            }
            const std::string newName = renamed->substr(systemDirectory(*renamed).size());
            if (done) {
                EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{newName});
                EXPECT_EQ(TempDir::read(*renamed), contents);
            } else {
                // Only a name the system refuses fails here: too long.
                EXPECT_GT(newName.size(), 255u);
                EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{c.name});
                EXPECT_EQ(TempDir::read(path), contents);
            }
        }
    }
}

TEST(HostilePath, NamesOfTheSystemsLongestLength)
{
    CodePageScope cp(CodePage::Utf8);
    TempDir dir;
    const std::string name = repeat("\xE3\x81\x82", 85);  // 255 bytes
    const std::string path = dir.write(name, "x");
    // One byte more is refused by the system; the file stays as it was.
    const auto longer = newFullPath(Operation::EndAdd, path, "_");
    ASSERT_TRUE(longer);
    EXPECT_FALSE(systemFileSystem().renameEntry(path, *longer));
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{name});
    // Deleting a character gives a name that fits.
    const auto shorter = newFullPath(Operation::StartDel, path, "\xE3\x81\x82");
    ASSERT_TRUE(shorter);
    EXPECT_TRUE(systemFileSystem().renameEntry(path, *shorter));
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{repeat("\xE3\x81\x82", 84)});
}

// In CP932 a lead byte followed by '/' is walked as one character, yet the
// system takes that '/' for a separator: a new name must never move the entry
// into another directory.
TEST(HostilePath, LeadByteBeforeASlashNeverMovesTheFileToAnotherDirectory)
{
    CodePageScope cp(CodePage::Cp932);
    TempDir dir;
    fs::create_directory(dir.file("\x81"));
    fs::create_directory(dir.file("x\x81"));
    const std::string path = dir.write("\x81/b", "x");
    const struct {
        Operation op;
        Text typed;
    } cases[] = {{Operation::StartAdd, "x"}, {Operation::StartDel, "\x81"}};
    for (const auto& c : cases) {
        const auto renamed = newFullPath(c.op, path, c.typed);
        if (renamed) {
            EXPECT_EQ(systemDirectory(*renamed), systemDirectory(path));
        }
    }
    // A name that ends in a lead byte takes the '/' of a typed text for its
    // trail byte.
    const std::string plain = dir.write("name\x81", "y");
    const auto added = newFullPath(Operation::EndAdd, plain, "/b");
    if (added) {
        EXPECT_EQ(systemDirectory(*added), systemDirectory(plain));
    }
}

}  // namespace
