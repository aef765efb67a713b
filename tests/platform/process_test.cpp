#include "platform/process.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

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
