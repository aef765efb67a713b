#include "launcher/launcher_setup.h"

#include "platform/app_error.h"
#include "platform/codepage.h"
#include "settings/ini_file.h"
#include "support/memory_file_system.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using Titles = std::vector<std::string>;

// A used row's fields are derived from its title; a free row is the
// first-run content (shortcut "*").
LauncherEntry entryFor(const std::string& title)
{
    if (title.empty()) return {"", "", "", "", "*"};
    return {title, "/bin/" + title, "%f", "/d/" + title, title.substr(0, 1)};
}

LauncherState stateWith(const Titles& titles)
{
    LauncherState s;
    for (int r = 1; r <= 9; ++r) s.Table[r] = entryFor(titles.at(std::size_t(r - 1)));
    return s;
}

const Titles emptyTable = {"", "", "", "", "", "", "", "", ""};
const Titles nine = {"A", "B", "C", "D", "E", "F", "G", "H", "I"};
const Titles two = {"A", "B", "", "", "", "", "", "", ""};
const Titles one = {"A", "", "", "", "", "", "", "", ""};
const Titles gapFirst = {"", "B", "C", "", "", "", "", "", ""};     // free row 1 above used rows
const Titles gapMiddle = {"A", "", "C", "", "", "", "", "", ""};    // free row 2 between
const Titles eightWithGap = {"A", "", "C", "D", "E", "F", "G", "H", "I"};

const std::string limit = "    設定個数は ９ 個までです。          ";

enum class Command { Up, Down, Cut, Copy, Paste, Del, CopyThenPaste };

struct CommandCase {
    const char* label;
    Titles initial;
    int selectBefore;
    Command command;
    Titles titlesAfter;       // working-copy titles, every line (the lists may grow)
    Titles listAfter;         // what ListBox1 shows
    int selectedAfter;
    bool warned;              // the limit warning was shown
    std::string clipboardTitle;
};

class LauncherCommandTest : public testing::TestWithParam<CommandCase> {};

TEST_P(LauncherCommandTest, WorkCopyListAndSelection)
{
    const CommandCase& c = GetParam();
    LauncherState state = stateWith(c.initial);
    ScriptedPrompter prompter;
    LauncherSetup setup(state, prompter);
    setup.select(c.selectBefore);
    ASSERT_EQ(setup.selected(), c.selectBefore);

    int got = -1;
    switch (c.command) {
    case Command::Up: got = setup.up(); break;
    case Command::Down: got = setup.down(); break;
    case Command::Cut: got = setup.cut(); break;
    case Command::Copy: got = setup.copy(); break;
    case Command::Paste: got = setup.paste(); break;
    case Command::Del: got = setup.del(); break;
    case Command::CopyThenPaste:
        setup.copy();
        got = setup.paste();
        break;
    }

    EXPECT_EQ(state.WorkCopy.ProgTitle, c.titlesAfter);
    // All five lists keep the same length and the rows travel whole.
    for (const StringList* list : {&state.WorkCopy.ProgName, &state.WorkCopy.ProgOption,
                                   &state.WorkCopy.ProgDir, &state.WorkCopy.ProgShortCut})
        EXPECT_EQ(list->size(), c.titlesAfter.size());
    for (std::size_t i = 0; i < state.WorkCopy.size(); ++i) {
        if (!state.WorkCopy.ProgTitle[i].empty()) {
            EXPECT_EQ(state.WorkCopy.line(i), entryFor(state.WorkCopy.ProgTitle[i]));
        }
    }
    EXPECT_EQ(setup.lines(), c.listAfter);
    EXPECT_EQ(setup.selected(), c.selectedAfter);
    EXPECT_EQ(got, c.selectedAfter);
    if (c.warned) {
        ASSERT_EQ(prompter.prompts.size(), 1u);
        EXPECT_EQ(prompter.prompts[0], (RecordedPrompt{fixedText(limit), PromptKind::Warning, PbOk}));
    } else {
        EXPECT_TRUE(prompter.prompts.empty());
    }
    EXPECT_EQ(setup.clipboard().ProgTitle, c.clipboardTitle);
    const bool enabled = c.command == Command::Cut || c.command == Command::Copy ||
                         c.command == Command::CopyThenPaste;
    EXPECT_EQ(setup.pasteEnabled(), enabled);
}

const Titles emptyAfterRemoval = {"", "", "", "", "", "", "", "", ""};

INSTANTIATE_TEST_SUITE_P(
    EdgeCases, LauncherCommandTest,
    testing::Values(
        // Empty table: one empty line, selected.
        CommandCase{"empty_up", emptyTable, 0, Command::Up, emptyTable, {""}, 0, false, ""},
        CommandCase{"empty_down", emptyTable, 0, Command::Down, emptyTable, {""}, 0, false, ""},
        CommandCase{"empty_cut", emptyTable, 0, Command::Cut, emptyAfterRemoval, {""}, 0, false, ""},
        CommandCase{"empty_delete", emptyTable, 0, Command::Del, emptyAfterRemoval, {""}, 0, false, ""},
        CommandCase{"empty_copy_paste_inserts_a_free_row", emptyTable, 0, Command::CopyThenPaste,
                    {"", "", "", "", "", "", "", "", "", ""}, {""}, 0, false, ""},
        // Nine entries: Paste warns, the rest works.
        CommandCase{"nine_copy_paste_warns", nine, 3, Command::CopyThenPaste, nine, nine, 3, true, "D"},
        CommandCase{"nine_up", nine, 4, Command::Up, {"A", "B", "C", "E", "D", "F", "G", "H", "I"},
                    {"A", "B", "C", "E", "D", "F", "G", "H", "I"}, 3, false, ""},
        CommandCase{"nine_up_first_does_nothing", nine, 0, Command::Up, nine, nine, 0, false, ""},
        CommandCase{"nine_down", nine, 0, Command::Down, {"B", "A", "C", "D", "E", "F", "G", "H", "I"},
                    {"B", "A", "C", "D", "E", "F", "G", "H", "I"}, 1, false, ""},
        CommandCase{"nine_down_last_does_nothing", nine, 8, Command::Down, nine, nine, 8, false, ""},
        CommandCase{"nine_cut_last_selects_new_last", nine, 8, Command::Cut,
                    {"A", "B", "C", "D", "E", "F", "G", "H", ""},
                    {"A", "B", "C", "D", "E", "F", "G", "H"}, 7, false, "I"},
        CommandCase{"nine_cut_middle", nine, 3, Command::Cut, {"A", "B", "C", "E", "F", "G", "H", "I", ""},
                    {"A", "B", "C", "E", "F", "G", "H", "I"}, 3, false, "D"},
        CommandCase{"nine_copy", nine, 2, Command::Copy, nine, nine, 2, false, "C"},
        CommandCase{"nine_delete_first", nine, 0, Command::Del, {"B", "C", "D", "E", "F", "G", "H", "I", ""},
                    {"B", "C", "D", "E", "F", "G", "H", "I"}, 0, false, ""},
        // Two entries.
        CommandCase{"two_copy_paste_grows_the_lists", two, 1, Command::CopyThenPaste,
                    {"A", "B", "B", "", "", "", "", "", "", ""}, {"A", "B", "B"}, 1, false, "B"},
        CommandCase{"two_delete_last", two, 1, Command::Del, {"A", "", "", "", "", "", "", "", ""}, {"A"}, 0,
                    false, ""},
        CommandCase{"only_entry_cut_leaves_the_empty_line", one, 0, Command::Cut, emptyAfterRemoval, {""}, 0,
                    false, "A"},
        // A free row above a used row: positions keep mapping to lines.
        CommandCase{"gap_cut_takes_the_free_row", gapFirst, 0, Command::Cut,
                    {"B", "C", "", "", "", "", "", "", ""}, {"B", "C"}, 0, false, ""},
        CommandCase{"gap_delete_acts_on_the_row_at_the_position", gapFirst, 1, Command::Del,
                    {"", "C", "", "", "", "", "", "", ""}, {"C"}, 0, false, ""},
        CommandCase{"gap_up", gapFirst, 1, Command::Up, {"B", "", "C", "", "", "", "", "", ""}, {"B", "C"}, 0,
                    false, ""},
        CommandCase{"gap_down", gapFirst, 0, Command::Down, {"B", "", "C", "", "", "", "", "", ""},
                    {"B", "C"}, 1, false, ""},
        CommandCase{"gap_copy_paste", gapMiddle, 0, Command::CopyThenPaste,
                    {"A", "A", "", "C", "", "", "", "", "", ""}, {"A", "A", "C"}, 0, false, "A"},
        // Eight entries shown, but line 8 used: pasting would push it out of what is saved.
        CommandCase{"gap_paste_never_drops_an_entry", eightWithGap, 0, Command::CopyThenPaste, eightWithGap,
                    {"A", "C", "D", "E", "F", "G", "H", "I"}, 0, true, "A"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(LauncherSetupTest, OpeningBuildsTheListFromTheTableWithTheFirstLineSelected)
{
    LauncherState state = stateWith(gapFirst);
    state.WorkCopy.ProgTitle = {"left", "over"};
    ScriptedPrompter prompter;
    LauncherSetup setup(state, prompter);
    EXPECT_EQ(setup.lines(), (StringList{"B", "C"}));
    EXPECT_EQ(setup.selected(), 0);
    EXPECT_FALSE(setup.pasteEnabled());
    EXPECT_EQ(state.WorkCopy.size(), 9u);
    EXPECT_EQ(state.WorkCopy.line(0), entryFor(""));
}

struct AddCase {
    const char* label;
    Titles initial;
    int editRow;
};

class LauncherAddTest : public testing::TestWithParam<AddCase> {};

TEST_P(LauncherAddTest, EditsTheFirstFreeRowAndSelectsTheNewEntry)
{
    const AddCase& c = GetParam();
    LauncherState state = stateWith(c.initial);
    state.LauncherEditRow = 7;
    ScriptedPrompter prompter;
    LauncherSetup setup(state, prompter);
    ASSERT_TRUE(setup.beginAdd());
    EXPECT_EQ(state.LauncherEditRow, c.editRow);
    EXPECT_TRUE(prompter.prompts.empty());
    // What the editor stores.
    state.WorkCopy.setLine(std::size_t(c.editRow), entryFor("X"));
    const int selected = setup.endAdd();
    EXPECT_EQ(setup.lines().at(std::size_t(selected)), "X");
    for (std::size_t i = 0; i < 9; ++i) {
        if (!c.initial[i].empty()) {
            EXPECT_EQ(state.WorkCopy.ProgTitle[i], c.initial[i]) << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, LauncherAddTest,
    testing::Values(AddCase{"empty_table_row_1", emptyTable, 0}, AddCase{"one_entry", one, 1},
                    AddCase{"two_entries", two, 2}, AddCase{"free_row_first", gapFirst, 0},
                    // A new entry never overwrites one that is shown.
                    AddCase{"free_row_between", gapMiddle, 1},
                    AddCase{"eight", {"A", "B", "C", "D", "E", "F", "G", "H", ""}, 8}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(LauncherSetupTest, AddCancelledSelectsTheLastLine)
{
    LauncherState state = stateWith(gapFirst);
    ScriptedPrompter prompter;
    LauncherSetup setup(state, prompter);
    ASSERT_TRUE(setup.beginAdd());
    EXPECT_EQ(setup.endAdd(), int(setup.lines().size()) - 1);
}

TEST(LauncherSetupTest, AddAtNineEntriesWarnsAndChangesNothing)
{
    LauncherState state = stateWith(nine);
    state.LauncherEditRow = 5;
    ScriptedPrompter prompter;
    LauncherSetup setup(state, prompter);
    setup.select(4);
    EXPECT_FALSE(setup.beginAdd());
    ASSERT_EQ(prompter.prompts.size(), 1u);
    EXPECT_EQ(prompter.prompts[0], (RecordedPrompt{fixedText(limit), PromptKind::Warning, PbOk}));
    EXPECT_EQ(state.LauncherEditRow, 5);
    EXPECT_EQ(setup.selected(), 4);
    EXPECT_EQ(state.WorkCopy.ProgTitle, nine);
}

TEST(LauncherSetupTest, EditOpensTheRowAtThePositionNotTheEntryShown)
{
    LauncherState state = stateWith(gapFirst);
    ScriptedPrompter prompter;
    LauncherSetup setup(state, prompter);

    setup.select(0);  // shows "B", stands for the free row 1
    LauncherEntry fields = setup.beginEdit();
    EXPECT_EQ(state.LauncherEditRow, 0);
    EXPECT_EQ(fields, entryFor(""));
    EXPECT_EQ(fields.ProgShortCut, "*");  // the first-run free row shows its "*"
    EXPECT_EQ(setup.endEdit(), 0);

    setup.select(1);
    fields = setup.beginEdit();
    EXPECT_EQ(state.LauncherEditRow, 1);
    EXPECT_EQ(fields, entryFor("B"));
}

TEST(LauncherSetupTest, EditShowsAShortcutOfOneBlankAsAnEmptyField)
{
    LauncherState state = stateWith(two);
    state.Table[2].ProgShortCut = " ";
    ScriptedPrompter prompter;
    LauncherSetup setup(state, prompter);
    setup.select(1);
    EXPECT_EQ(setup.beginEdit().ProgShortCut, "");
    EXPECT_EQ(state.WorkCopy.ProgShortCut[1], " ");  // only the field is shown empty
}

TEST(LauncherSetupTest, EditOnTheEmptyTableOpensRowOne)
{
    LauncherState state = stateWith(emptyTable);
    ScriptedPrompter prompter;
    LauncherSetup setup(state, prompter);
    const LauncherEntry fields = setup.beginEdit();
    EXPECT_EQ(state.LauncherEditRow, 0);
    EXPECT_EQ(fields.ProgShortCut, "*");
}

TEST(LauncherSetupTest, ClipboardKeepsItsContentForASecondPaste)
{
    LauncherState state = stateWith(two);
    ScriptedPrompter prompter;
    LauncherSetup setup(state, prompter);
    setup.cut();  // A
    EXPECT_EQ(setup.lines(), (StringList{"B"}));
    setup.paste();
    setup.paste();
    EXPECT_EQ(setup.lines(), (StringList{"A", "A", "B"}));
    EXPECT_EQ(state.WorkCopy.size(), 11u);
    EXPECT_EQ(state.WorkCopy.line(1), entryFor("A"));
}

TEST(LauncherSetupTest, OkWritesAll45KeysEvenWithoutChange)
{
    TempDir dir;
    IniFile ini(dir.file("vorel.INI"));
    LauncherState state = stateWith(two);
    ScriptedPrompter prompter;
    LauncherSetup setup(state, prompter);
    setup.ok(ini);
    const std::string file = TempDir::read(ini.path());
    int keys = 0;
    for (std::size_t at = file.find("\r\n"); at != std::string::npos; at = file.find("\r\n", at + 2))
        ++keys;
    EXPECT_EQ(keys, 45 + 5);  // 45 key lines and 5 section lines
    EXPECT_EQ(file.rfind("[ProgTitle]\r\n1=A\r\n2=B\r\n3=\r\n4=\r\n", 0), 0u);
    EXPECT_NE(file.find("[ProgShortCut]\r\n1=A\r\n2=B\r\n3=*\r\n"), std::string::npos);
}

TEST(LauncherSetupTest, PasteThenOkDropsTheLinePushedBeyondLineEight)
{
    TempDir dir;
    IniFile ini(dir.file("vorel.INI"));
    LauncherState state = stateWith({"A", "B", "C", "D", "E", "F", "G", "H", ""});
    ScriptedPrompter prompter;
    LauncherSetup setup(state, prompter);
    setup.copy();
    setup.paste();
    ASSERT_EQ(state.WorkCopy.size(), 10u);
    setup.ok(ini);
    LauncherTable back;
    readLauncherTable(ini, back);
    const Titles expected = {"A", "A", "B", "C", "D", "E", "F", "G", "H"};
    for (int r = 1; r <= 9; ++r) EXPECT_EQ(back[r], entryFor(expected[std::size_t(r - 1)])) << r;
    EXPECT_EQ(state.Table, back);
}

TEST(LauncherSetupTest, WriteErrorOnOkPropagatesWithTheTableAlreadyChanged)
{
    MemoryFileSystem fs;
    fs.replacesLeft = 0;
    IniFile ini("/p/vorel.INI", fs);
    LauncherState state = stateWith(two);
    ScriptedPrompter prompter;
    LauncherSetup setup(state, prompter);
    setup.down();
    EXPECT_THROW(setup.ok(ini), AppError);
    EXPECT_EQ(state.Table[1].ProgTitle, "B");
    EXPECT_EQ(state.Table[2].ProgTitle, "A");
    EXPECT_EQ(fs.files.count("/p/vorel.INI"), 0u);
    // The working copy is still there for another try.
    EXPECT_EQ(setup.lines(), (StringList{"B", "A"}));
}

TEST(LauncherSetupTest, LimitMessageInShiftJis)
{
    const CodePage saved = activeCodePage();
    setActiveCodePage(CodePage::Cp932);
    const Text message = launcherLimitMessage();
    setActiveCodePage(saved);
    EXPECT_EQ(message, std::string("    ") +
                           "\x90\xdd\x92\xe8\x8c\xc2\x90\x94\x82\xcd\x20\x82\x58\x20\x8c\xc2"
                           "\x82\xdc\x82\xc5\x82\xc5\x82\xb7\x81\x42" +
                           "          ");
}

}  // namespace
