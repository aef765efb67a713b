#include "platform/entry_id_list.h"
#include "platform/path.h"
#include "platform/path_list.h"
#include "support/code_page_scope.h"

#include <gtest/gtest.h>

namespace {

const Text hyou = "\x95\x5c";  // 表 in Shift-JIS: its trail byte is '\'

// Every list gives back each path's bytes, split where the code page puts
// the folder's end, however its folders and empty entries follow each other.
TEST(PathListTest, EveryPathKeepsItsBytesAndItsFolder)
{
    struct Case {
        CodePage cp;
        StringList paths;
    };
    const Case cases[] = {
        {CodePage::Utf8, {"/d/a.txt", "/d/b", "/e/\xe3\x83\xa1\xe3\x83\xa2.txt", "/d/c"}},
        {CodePage::Cp932, {"/d/" + hyou + ".txt", "/d/" + hyou + "\\x", "/" + hyou + "/y"}},
        {CodePage::Utf8, {"", "", "/d/A", "", "=== \xe5\xa4\x89\xe6\x8f\x9b\xe5\xa4\xb1\xe6\x95\x97 ===", "", "/d/"}},
        {CodePage::Utf8, {"name", "/tmp/\xff\xfe name", "/", "", "/d/a\nb\r"}},
        {CodePage::Utf8, {}},
    };
    for (const Case& c : cases) {
        const CodePageScope scope(c.cp);
        const PathList list(c.paths);
        EXPECT_EQ(list.strings(), c.paths);
        ASSERT_EQ(list.size(), c.paths.size());
        Text buffer;
        for (std::size_t i = 0; i < list.size(); ++i) {
            EXPECT_EQ(list.pathInto(i, buffer), c.paths[i]);
            EXPECT_EQ(list.folder(i).size(), pathPartLength(c.cp, c.paths[i])) << c.paths[i];
        }
        for (std::size_t n = 0; n <= list.size(); ++n)
            EXPECT_EQ(list.first(n), StringList(c.paths.begin(), c.paths.begin() + long(n)));
        EXPECT_TRUE(list.first(list.size()).sharesStore(list));
    }
}

TEST(PathListTest, EntryIdsKeepDeviceInodeAndType)
{
    const std::vector<EntryId> ids{{1, 10, 0100000}, {1, 11, 0100000}, {2, 10, 0120000}, {}, {1, 12, 0100000}};
    EntryIdList list(ids);
    ASSERT_EQ(list.size(), ids.size());
    for (std::size_t i = 0; i < ids.size(); ++i) EXPECT_EQ(list[i], ids[i]);
    list.shrinkTo(2);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list.back(), ids[1]);
}

}  // namespace
