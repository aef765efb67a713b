#include "launcher/launcher_editor.h"

#include "support/scripted_prompter.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string titleMessage = "    タイトル名は必ず指定してください。          ";
const std::string programMessage = "    実行ファイル名は必ず指定してください。          ";

LauncherWorkCopy workCopyWith(const LauncherEntry& row1)
{
    LauncherTable t;
    t[1] = row1;
    return LauncherWorkCopy::fromTable(t);
}

struct CheckCase {
    const char* label;
    LauncherEntry fields;
    bool stored;                 // everything stored, editor closes
    std::string message;         // the warning shown, if any
    LauncherEntry rowAfter;      // line 0 afterwards (it held old)
};

const LauncherEntry old = {"Old", "/bin/old", "-o", "/old", "O"};

class EditBoxCheckTest : public testing::TestWithParam<CheckCase> {};

TEST_P(EditBoxCheckTest, StoresWhatPassesTheCheck)
{
    const CheckCase& c = GetParam();
    LauncherWorkCopy w = workCopyWith(old);
    ScriptedPrompter prompter;
    EXPECT_EQ(checkAndStoreEntry(c.fields, w, 0, prompter), c.stored);
    EXPECT_EQ(w.line(0), c.rowAfter);
    EXPECT_EQ(w.line(1), LauncherEntry{});
    if (c.message.empty()) {
        EXPECT_TRUE(prompter.prompts.empty());
    } else {
        ASSERT_EQ(prompter.prompts.size(), 1u);
        EXPECT_EQ(prompter.prompts[0], (RecordedPrompt{fixedText(c.message), PromptKind::Warning, PbOk}));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Fields, EditBoxCheckTest,
    testing::Values(
        CheckCase{"all_fields", {"T", "/bin/t", "%f", "/w", "K"}, true, "", {"T", "/bin/t", "%f", "/w", "K"}},
        CheckCase{"empty_shortcut_stored_as_blank", {"T", "/bin/t", "", "", ""}, true, "",
                  {"T", "/bin/t", "", "", " "}},
        CheckCase{"long_shortcut_as_typed", {"T", "/bin/t", "", "", "abc"}, true, "",
                  {"T", "/bin/t", "", "", "abc"}},
        CheckCase{"blanks_count_as_filled_and_stay", {" ", "  ", " x ", " ", " "}, true, "",
                  {" ", "  ", " x ", " ", " "}},
        CheckCase{"missing_title_stores_nothing", {"", "/bin/t", "x", "y", "z"}, false, titleMessage, old},
        CheckCase{"missing_program_stores_the_title_only", {"New", "", "x", "y", "z"}, false,
                  programMessage, {"New", "/bin/old", "-o", "/old", "O"}}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(EditBoxCheckTest, TitleOnlyStoreOnAFreeRowKeepsItsEmptyProgramFile)
{
    LauncherWorkCopy w = workCopyWith({"", "", "", "", "*"});
    ScriptedPrompter prompter;
    EXPECT_FALSE(checkAndStoreEntry({"Title", "", "", "", ""}, w, 0, prompter));
    EXPECT_EQ(w.line(0), (LauncherEntry{"Title", "", "", "", "*"}));
}

struct BrowseCase {
    const char* label;
    CodePage cp;
    std::string chosen;
    LauncherEntry before;
    LauncherEntry after;
};

class BrowseTest : public testing::TestWithParam<BrowseCase> {};

TEST_P(BrowseTest, FillsProgramDirectoryAndTitle)
{
    const BrowseCase& c = GetParam();
    EXPECT_EQ(browseResult(c.cp, c.chosen, c.before), c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Files, BrowseTest,
    testing::Values(
        BrowseCase{"empty_title_gets_the_name", CodePage::Utf8, "/opt/tools/view", {"", "", "%f", "x", "V"},
                   {"view", "/opt/tools/view", "", "/opt/tools", "V"}},
        BrowseCase{"typed_title_kept_option_emptied", CodePage::Utf8, "/opt/tools/VIEW.EXE",
                   {"Mine", "old", "%f", "/old", ""}, {"Mine", "/opt/tools/VIEW.EXE", "", "/opt/tools", ""}},
        BrowseCase{"file_in_the_root_directory", CodePage::Utf8, "/VIEW.EXE", {"", "", "", "", ""},
                   {"VIEW.EXE", "/VIEW.EXE", "", "/", ""}},
        BrowseCase{"no_separator", CodePage::Utf8, "view", {"", "", "", "x", ""}, {"view", "view", "", "", ""}},
        BrowseCase{"blank_title_counts_as_typed", CodePage::Utf8, "/a/b", {" ", "", "", "", ""},
                   {" ", "/a/b", "", "/a", ""}},
        BrowseCase{"utf8_names", CodePage::Utf8, "/ホーム/表示.sh", {"", "", "", "", ""},
                   {"表示.sh", "/ホーム/表示.sh", "", "/ホーム", ""}},
        // 0x2F is never a trail byte in Shift-JIS, but the walk must still
        // step over two-byte characters whole: "\x83\x5C" is ソ.
        BrowseCase{"shift_jis_names", CodePage::Cp932, "/d\x83\x5C/\x95\x5C.sh", {"", "", "", "", ""},
                   {"\x95\x5C.sh", "/d\x83\x5C/\x95\x5C.sh", "", "/d\x83\x5C", ""}}),
    [](const auto& info) { return std::string(info.param.label); });

}  // namespace
