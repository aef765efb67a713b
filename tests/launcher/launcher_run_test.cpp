#include "launcher/launcher_run.h"

#include "support/recording_shell.h"
#include "support/scripted_prompter.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ChooserTest, LinesAreShortcutTwoBlanksAndTitle)
{
    LauncherTable t;
    t[1] = {"メモ帳", "", "", "", "M"};
    t[2] = {"NoShortcut", "", "", "", ""};
    t[3] = {"Blank", "", "", "", " "};
    t[4] = {"", "/bin/free", "", "", "*"};
    t[5] = {"Star", "", "", "", "*"};
    const ChooserList list = chooserList(t);
    EXPECT_EQ(list.lines, (StringList{"M  メモ帳", "  NoShortcut", "   Blank", "*  Star"}));
    EXPECT_EQ(list.rows, (std::vector<int>{1, 2, 3, 5}));
}

TEST(ChooserTest, EmptyTableGivesOneEmptyLineThatStartsNothing)
{
    LauncherTable t;
    for (int r = 1; r <= 9; ++r) t[r].ProgShortCut = "*";
    const ChooserList list = chooserList(t);
    EXPECT_EQ(list.lines, StringList{""});
    EXPECT_EQ(chosenRow(list, 0), -1);
}

TEST(ChooserTest, ChosenLineStartsTheEntryItShows)
{
    LauncherTable t;
    t[1] = {"A", "", "", "", "A"};
    t[2] = {"B", "", "", "", "B"};
    EXPECT_EQ(chosenRow(chooserList(t), 0), 1);
    EXPECT_EQ(chosenRow(chooserList(t), 1), 2);
    EXPECT_EQ(chosenRow(chooserList(t), 2), -1);
    EXPECT_EQ(chosenRow(chooserList(t), -1), -1);
    // A free row above a used row (a file edited by hand).
    t[1] = {};
    EXPECT_EQ(chosenRow(chooserList(t), 0), 2);
}

struct SubstitutionCase {
    const char* label;
    CodePage cp;
    std::string value;
    std::string expected;
};

class SubstitutionTest : public testing::TestWithParam<SubstitutionCase> {};

TEST_P(SubstitutionTest, FirstPlaceholderOnly)
{
    const SubstitutionCase& c = GetParam();
    EXPECT_EQ(substitutePlaceholder(c.cp, c.value, "/my dir/VOREL.TXT"), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Values, SubstitutionTest,
    testing::Values(
        SubstitutionCase{"whole", CodePage::Utf8, "%f", "/my dir/VOREL.TXT"},
        SubstitutionCase{"twice", CodePage::Utf8, "%f -o %f", "/my dir/VOREL.TXT -o %f"},
        SubstitutionCase{"capital_not_replaced", CodePage::Utf8, "%F", "%F"},
        SubstitutionCase{"inside", CodePage::Utf8, "--file=%f.bak", "--file=/my dir/VOREL.TXT.bak"},
        SubstitutionCase{"none", CodePage::Utf8, "-n", "-n"},
        SubstitutionCase{"empty", CodePage::Utf8, "", ""},
        SubstitutionCase{"lone_percent", CodePage::Utf8, "100%", "100%"},
        SubstitutionCase{"after_shift_jis", CodePage::Cp932, "\x95\x5C%f", "\x95\x5C/my dir/VOREL.TXT"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(LaunchRequestTest, ReportPathWithBlanksStaysOneArgument)
{
    const LauncherEntry e = {"T", "/usr/bin/ed", "-n %f \"two words\" %f", "/w", "T"};
    const LaunchRequest r = launchRequest(CodePage::Utf8, e, "/my dir/\"q\".TXT");
    EXPECT_EQ(r.program, "/usr/bin/ed");
    EXPECT_EQ(r.parameters, "-n /my dir/\"q\".TXT \"two words\" %f");
    EXPECT_EQ(r.arguments, (StringList{"-n", "/my dir/\"q\".TXT", "two words", "%f"}));
    EXPECT_EQ(r.directory, "/w");
}

TEST(LaunchRequestTest, PlaceholderInTheProgramFile)
{
    const LaunchRequest r = launchRequest(CodePage::Utf8, {"T", "%f", "%f", "", ""}, "/p/VOREL.TXT");
    EXPECT_EQ(r.program, "/p/VOREL.TXT");
    EXPECT_EQ(r.arguments, StringList{"/p/VOREL.TXT"});
}

LauncherState stateWithRow(int row, const LauncherEntry& e)
{
    LauncherState s;
    s.Table[row] = e;
    s.LauncherChoice = row;
    return s;
}

TEST(StartLauncherChoiceTest, HandsTheSubstitutedValuesToTheShell)
{
    RecordingShell shell;
    ScriptedPrompter prompter;
    const LauncherState s = stateWithRow(2, {"Ed", "/usr/bin/ed", "%f", "/tmp", "E"});
    EXPECT_EQ(startLauncherChoice(s, "/p/VOREL.TXT", shell, prompter), LaunchOutcome::Started);
    EXPECT_EQ(shell.file, "/usr/bin/ed");
    EXPECT_EQ(shell.arguments, StringList{"/p/VOREL.TXT"});
    EXPECT_EQ(shell.directory, "/tmp");
    EXPECT_TRUE(prompter.prompts.empty());
}

TEST(StartLauncherChoiceTest, ChoiceOutsideTheRowsStartsNothing)
{
    for (int choice : {-1, 0, 10}) {
        RecordingShell shell;
        ScriptedPrompter prompter;
        LauncherState s = stateWithRow(1, {"Ed", "/usr/bin/ed", "", "", ""});
        s.LauncherChoice = choice;
        EXPECT_EQ(startLauncherChoice(s, "/r", shell, prompter), LaunchOutcome::NothingChosen);
        EXPECT_EQ(shell.calls, 0);
        EXPECT_TRUE(prompter.prompts.empty());
    }
}

struct FailureCase {
    const char* label;
    LauncherEntry entry;
    bool shellAnswer;
    int shellCalls;
    std::string message;
    unsigned buttons = PbAbort;
};

class LaunchFailureTest : public testing::TestWithParam<FailureCase> {};

// A value too long for its buffer is refused before the shell is asked.
TEST_P(LaunchFailureTest, WarnsWithTheProgramAfterSubstitution)
{
    const FailureCase& c = GetParam();
    RecordingShell shell;
    shell.answer = c.shellAnswer;
    ScriptedPrompter prompter;
    EXPECT_EQ(startLauncherChoice(stateWithRow(1, c.entry), "/p/VOREL.TXT", shell, prompter),
              LaunchOutcome::Failed);
    EXPECT_EQ(shell.calls, c.shellCalls);
    ASSERT_EQ(prompter.prompts.size(), 1u);
    EXPECT_EQ(prompter.prompts[0], (RecordedPrompt{fixedText(c.message), PromptKind::Warning, c.buttons}));
}

const std::string longValue(256, 'x');
const std::string fitting(255 - 13, 'y');  // with "/p/VOREL.TXT" and one blank: 255 bytes

INSTANTIATE_TEST_SUITE_P(
    Failures, LaunchFailureTest,
    testing::Values(
        FailureCase{"shell_refuses", {"T", "%f.bak", "", "", ""}, false, 1,
                    "    /p/VOREL.TXT.bak の実行に失敗しました。          "},
        FailureCase{"empty_program_file", {"T", "", "%f", "", ""}, false, 1,
                    "     の実行に失敗しました。          "},
        FailureCase{"program_over_255_bytes", {"T", longValue, "", "", ""}, true, 0,
                    "    実行ファイル名が長すぎます。          ", PbOk},
        FailureCase{"parameters_over_255_after_substitution", {"T", "/bin/ed", fitting + " %f!", "", ""},
                    true, 0, "    オプションが長すぎます。          ", PbOk},
        FailureCase{"directory_over_255_bytes", {"T", "/bin/ed", "", longValue, ""}, true, 0,
                    "    実行ディレクトリが長すぎます。          ", PbOk}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(StartLauncherChoiceTest, ParametersOfExactly255BytesAreHandedOn)
{
    RecordingShell shell;
    ScriptedPrompter prompter;
    const LauncherState s = stateWithRow(1, {"T", "/bin/ed", fitting + " %f", "", ""});
    EXPECT_EQ(startLauncherChoice(s, "/p/VOREL.TXT", shell, prompter), LaunchOutcome::Started);
    EXPECT_EQ(shell.calls, 1);
}

TEST(LaunchFailureMessageTest, ShiftJisBytes)
{
    const CodePage saved = activeCodePage();
    setActiveCodePage(CodePage::Cp932);
    const Text m = launchFailureMessage("/bin/\x95\x5C");
    setActiveCodePage(saved);
    // " の実行に失敗しました。" in Shift-JIS.
    EXPECT_EQ(m, "    /bin/\x95\x5C \x82\xcc\x8e\xc0\x8d\x73\x82\xc9\x8e\xb8\x94\x73\x82\xb5\x82"
                 "\xdc\x82\xb5\x82\xbd\x81\x42          ");
}

}  // namespace
