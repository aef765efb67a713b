#include "platform/shell.h"

#include "support/env_scope.h"
#include "support/recorder.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct SplitCase {
    const char* label;
    std::string command;
    StringList expected;
};

class SplitCommandTest : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitCommandTest, Arguments)
{
    EXPECT_EQ(splitCommandArguments(GetParam().command), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, SplitCommandTest,
    testing::Values(
        SplitCase{"empty", "", {}},
        SplitCase{"blanks_only", " \t ", {}},
        SplitCase{"words", "a  b\tc\r\nd", {"a", "b", "c", "d"}},
        SplitCase{"quotes_group", "-x \"a b\" c", {"-x", "a b", "c"}},
        SplitCase{"quotes_inside_a_word", "a\"b c\"d", {"ab cd"}},
        SplitCase{"three_quotes_are_one", "say \"\"\"hi\"\"\"", {"say", "\"hi\""}},
        SplitCase{"three_quotes_inside_a_quoted_run", "\"a \"\"\" b\"", {"a \" b"}},
        SplitCase{"empty_quotes_dropped", "a \"\" b", {"a", "b"}},
        SplitCase{"unterminated_quote", "\"a b", {"a b"}},
        SplitCase{"semicolons_and_dollars_stay_text", "; rm -rf $HOME `x`", {";", "rm", "-rf", "$HOME", "`x`"}},
        SplitCase{"full_width_blank_kept", "表\xE3\x80\x80示 x", {"表\xE3\x80\x80示", "x"}},
        SplitCase{"shift_jis_full_width_blank_kept", "\x95\x5C\x81\x40x", {"\x95\x5C\x81\x40x"}}),
    [](const auto& info) { return std::string(info.param.label); });

struct LiteralCase {
    const char* label;
    std::string command;
    std::size_t at;
    StringList expected;
};

class SplitWithLiteralTest : public testing::TestWithParam<LiteralCase> {};

TEST_P(SplitWithLiteralTest, LiteralStaysInItsArgument)
{
    const LiteralCase& c = GetParam();
    EXPECT_EQ(splitCommandArguments(c.command, c.at, 2, "/my dir/\"a\" b"), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Places, SplitWithLiteralTest,
    testing::Values(
        LiteralCase{"alone", "%f", 0, {"/my dir/\"a\" b"}},
        LiteralCase{"between_words", "-n %f -x", 3, {"-n", "/my dir/\"a\" b", "-x"}},
        LiteralCase{"glued", "--file=%f.bak", 7, {"--file=/my dir/\"a\" b.bak"}},
        LiteralCase{"inside_quotes", "\"x %f y\"", 3, {"x /my dir/\"a\" b y"}},
        LiteralCase{"after_closing_quote", "\"x\"%f", 3, {"x/my dir/\"a\" b"}},
        LiteralCase{"second_placeholder_stays", "%f %f", 0, {"/my dir/\"a\" b", "%f"}}),
    [](const auto& info) { return std::string(info.param.label); });

std::string lines(const StringList& items)
{
    std::string s;
    for (const auto& item : items) s += item + "\n";
    return s;
}

std::string ownSession() { return std::to_string(::getsid(0)); }

bool noChildLeft()
{
    int status = 0;
    return ::waitpid(-1, &status, WNOHANG) == -1 && errno == ECHILD;
}

TEST(OpenWithShellTest, StartsAProgramWithItsArgumentsInTheWorkingDirectory)
{
    TempDir dir;
    std::filesystem::create_directory(dir.path() / "work dir");
    const std::string record = dir.file("record");
    const std::string program = writeRecorder(dir, "rec", record);
    const std::string work = dir.file("work dir");

    ASSERT_TRUE(openWithShell(program, "-n \"two words\" $HOME;x \"\"\"q\"\"\"", work));
    EXPECT_TRUE(noChildLeft());
    const std::string got = waitForRecord(record);
    const std::string cwd = got.substr(0, got.find('\n'));
    EXPECT_EQ(std::filesystem::canonical(cwd), std::filesystem::canonical(work));
    const std::string rest = got.substr(got.find('\n') + 1);
    const std::string session = rest.substr(0, rest.find('\n'));
    EXPECT_NE(session, ownSession());  // a session of its own
    EXPECT_EQ(rest.substr(rest.find('\n') + 1), lines({"-n", "two words", "$HOME;x", "\"q\""}));
}

TEST(OpenWithShellTest, ArgumentListReachesTheProgramUnchanged)
{
    TempDir dir;
    const std::string record = dir.file("record");
    const std::string program = writeRecorder(dir, "rec", record);
    const StringList args = {"/my dir/VOREL.TXT", "$(touch pwned)", "a\"b"};
    ASSERT_TRUE(openWithShell(program, args, ""));
    const std::string got = waitForRecord(record);
    EXPECT_NE(got.find(lines(args)), std::string::npos) << got;
    EXPECT_FALSE(std::filesystem::exists(dir.file("pwned")));
}

TEST(OpenWithShellTest, EmptyDirectoryKeepsTheCurrentOne)
{
    TempDir dir;
    const std::string record = dir.file("record");
    const std::string program = writeRecorder(dir, "rec", record);
    ASSERT_TRUE(openWithShell(program, "", ""));
    const std::string got = waitForRecord(record);
    EXPECT_EQ(std::filesystem::canonical(got.substr(0, got.find('\n'))),
              std::filesystem::canonical(std::filesystem::current_path()));
}

TEST(OpenWithShellTest, BareNameIsFoundOnPath)
{
    TempDir dir;
    std::filesystem::create_directory(dir.path() / "bin");
    const std::string record = dir.file("record");
    writeRecorder(dir, "bin/vorel-test-recorder", record);
    PathScope path(dir.file("bin"));
    ASSERT_TRUE(openWithShell("vorel-test-recorder", "x", ""));
    const std::string got = waitForRecord(record);
    EXPECT_NE(got.find("\nx\n"), std::string::npos) << got;
}

TEST(OpenWithShellTest, RelativeProgramIsTakenFromTheWorkingDirectory)
{
    TempDir dir;
    std::filesystem::create_directory(dir.path() / "tools");
    const std::string record = dir.file("record");
    writeRecorder(dir, "tools/rec", record);
    ASSERT_TRUE(openWithShell("./rec", "y", dir.file("tools")));
    EXPECT_NE(waitForRecord(record).find("\ny\n"), std::string::npos);
}

TEST(OpenWithShellTest, OtherFileIsOpenedWithTheDesktopOpener)
{
    TempDir dir;
    std::filesystem::create_directory(dir.path() / "bin");
    const std::string record = dir.file("record");
    writeRecorder(dir, "bin/xdg-open", record);
    const std::string report = dir.write("VOREL.TXT", "report\r\n");
    PathScope path(dir.file("bin"));
    ASSERT_TRUE(openWithShell(report, "--ignored %f", ""));
    const std::string got = waitForRecord(record);
    const std::string rest = got.substr(got.find('\n') + 1);
    EXPECT_EQ(rest.substr(rest.find('\n') + 1), lines({report}));
}

TEST(OpenDocumentTest, ExistingFileGoesToTheDesktopOpener)
{
    TempDir dir;
    std::filesystem::create_directory(dir.path() / "bin");
    const std::string record = dir.file("record");
    writeRecorder(dir, "bin/xdg-open", record);
    const std::string help = dir.write("VOREL.HLP", "help");
    PathScope path(dir.file("bin"));
    ASSERT_TRUE(openDocument(help));
    EXPECT_NE(waitForRecord(record).find("\n" + help + "\n"), std::string::npos);
    EXPECT_FALSE(openDocument(dir.file("missing.HLP")));
    EXPECT_FALSE(openDocument(""));
}

TEST(OpenWithShellTest, DocumentWithoutADesktopOpenerFails)
{
    TempDir dir;
    const std::string report = dir.write("VOREL.TXT", "report\r\n");
    const char* old = std::getenv("PATH");
    const std::string saved = old ? old : "";
    ::setenv("PATH", dir.file("nothing-here").c_str(), 1);
    const bool opened = openWithShell(report, "", "");
    ::setenv("PATH", saved.c_str(), 1);
    EXPECT_FALSE(opened);
}

struct RefusalCase {
    const char* label;
    std::string file;       // relative to the temporary directory; "" for none
    std::string directory;  // the same
};

class OpenWithShellRefusalTest : public testing::TestWithParam<RefusalCase> {};

TEST_P(OpenWithShellRefusalTest, ReportsFailure)
{
    const RefusalCase& c = GetParam();
    TempDir dir;
    const std::string record = dir.file("record");
    writeRecorder(dir, "rec", record);
    // Executable, but neither a program nor a script: exec fails.
    const std::string junk = dir.write("junk", std::string("\x01\x02\x03\x04 not a program"));
    ::chmod(junk.c_str(), 0755);
    std::filesystem::create_directory(dir.path() / "sub");
    const std::string file = c.file.empty() ? "" : dir.file(c.file);
    const std::string directory = c.directory.empty() ? "" : dir.file(c.directory);
    EXPECT_FALSE(openWithShell(file, "a", directory));
    EXPECT_TRUE(noChildLeft());
    EXPECT_FALSE(std::filesystem::exists(record));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OpenWithShellRefusalTest,
    testing::Values(RefusalCase{"empty_file", "", ""},
                    RefusalCase{"missing_program", "no-such-program", ""},
                    RefusalCase{"missing_directory", "rec", "no-such-dir"},
                    RefusalCase{"directory_is_a_file", "rec", "junk"},
                    RefusalCase{"exec_fails", "junk", ""},
                    RefusalCase{"exec_fails_in_a_directory", "junk", "sub"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(OpenWithShellTest, BareNameNotOnPathAndNotInTheDirectoryFails)
{
    EXPECT_FALSE(openWithShell("vorel-no-such-program-anywhere", "", ""));
}

TEST(SystemShellTest, IsOpenWithShell)
{
    TempDir dir;
    const std::string record = dir.file("record");
    const std::string program = writeRecorder(dir, "rec", record);
    EXPECT_TRUE(systemShell().open(program, {"z"}, ""));
    EXPECT_NE(waitForRecord(record).find("\nz\n"), std::string::npos);
    EXPECT_FALSE(systemShell().open(dir.file("missing"), {}, ""));
}

}  // namespace

// A program that ends with an error in its first second is reported with
// its status; one that ends well is not.
TEST(OpenWithShellTest, EarlyErrorExitIsReported)
{
    for (const auto& [script, status] : {std::pair{"exit 3", 3}, {"exit 0", -1}, {"kill -9 $$", 137}}) {
        int earlyExit = -1;
        ASSERT_TRUE(openWithShell("/bin/sh", StringList{"-c", script}, Text(), &earlyExit));
        ASSERT_GE(earlyExit, 0);
        EXPECT_EQ(takeEarlyExitStatus(earlyExit), status) << script;
    }
}
