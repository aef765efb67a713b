#include "platform/process.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

struct SplitCase {
    const char* label;
    std::string line;
    StringList expected;
};

class SplitCommandLineTest : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitCommandLineTest, Arguments)
{
    EXPECT_EQ(splitWindowsCommandLine(GetParam().line), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, SplitCommandLineTest,
    testing::Values(
        SplitCase{"empty", "", {}},
        SplitCase{"blanks_only", "  \t ", {}},
        SplitCase{"program_only", "C:\\VOREL.EXE", {"C:\\VOREL.EXE"}},
        SplitCase{"three_paths_duplicate_kept", "vorel a b a", {"vorel", "a", "b", "a"}},
        SplitCase{"runs_of_blanks_and_controls", "  vorel \t\r\n a\x01\x1F" "b  ", {"vorel", "a", "b"}},
        SplitCase{"quoted_blanks", "vorel \"C:\\My Files\\read me.txt\" x",
                  {"vorel", "C:\\My Files\\read me.txt", "x"}},
        SplitCase{"quotes_inside_an_argument", "vorel a\"b c\"d", {"vorel", "ab cd"}},
        SplitCase{"unterminated_quote_runs_to_the_end", "vorel \"a b", {"vorel", "a b"}},
        SplitCase{"leading_pair_skipped", "vorel \"\"abc", {"vorel", "abc"}},
        SplitCase{"leading_pairs_and_blanks_skipped", "vorel \"\" \"\"  x", {"vorel", "x"}},
        SplitCase{"pair_inside_is_removed", "vorel a\"\"b", {"vorel", "ab"}},
        SplitCase{"quoted_blank_only", "vorel \" \" x", {"vorel", " ", "x"}},
        // """ : the pair is skipped and the third quote opens a run to the end.
        SplitCase{"pair_then_open_quote", "vorel a \"\"\" b", {"vorel", "a", " b"}},
        // ...which at the end of the line is an empty argument: the list ends.
        SplitCase{"empty_argument_stops", "vorel a \"\"\"", {"vorel", "a"}},
        SplitCase{"lone_quote_at_the_end", "vorel a \"", {"vorel", "a"}},
        SplitCase{"trailing_pair_is_nothing", "vorel a \"\"", {"vorel", "a"}},
        SplitCase{"multibyte_bytes_kept", "vorel \"/d/\x95\x5C \x83\x5C.txt\"", {"vorel", "/d/\x95\x5C \x83\x5C.txt"}},
        SplitCase{"long_argument_taken_whole", "vorel " + std::string(300, 'x'), {"vorel", std::string(300, 'x')}}),
    [](const testing::TestParamInfo<SplitCase>& info) { return std::string(info.param.label); });

TEST(ArgumentsFromArgv, AfterTheProgramEmptyOnesSkipped)
{
    char prog[] = "/opt/vorel/vorel";
    char a[] = "/tmp/read me.txt";
    char b[] = "\x95\x5C";
    char empty[] = "";
    char c[] = "after";
    char* argv[] = {prog, a, b, a, empty, c, nullptr};
    EXPECT_EQ(argumentsFromArgv(6, argv), (StringList{"/tmp/read me.txt", "\x95\x5C", "/tmp/read me.txt", "after"}));
    EXPECT_EQ(argumentsFromArgv(1, argv), StringList{});
    EXPECT_EQ(argumentsFromArgv(0, argv), StringList{});
}

TEST(OwnProgramPath, IsThisTestResolved)
{
    const Text path = ownProgramPath();
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path.front(), '/');
    EXPECT_EQ(std::filesystem::path(path).filename(), "platform_process_test");
    EXPECT_EQ(std::filesystem::canonical(path).string(), path);
}

TEST(EnvironmentValue, SetAndUnset)
{
    setenv("VOREL_TEST_VALUE", "C:\\WINDOWS", 1);
    EXPECT_EQ(environmentValue("VOREL_TEST_VALUE"), "C:\\WINDOWS");
    setenv("VOREL_TEST_VALUE", "", 1);
    EXPECT_EQ(environmentValue("VOREL_TEST_VALUE"), "");
    unsetenv("VOREL_TEST_VALUE");
    EXPECT_EQ(environmentValue("VOREL_TEST_VALUE"), "");
}

}  // namespace
