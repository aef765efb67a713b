#include "platform/desktop_apps.h"

#include "support/env_scope.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include <sys/stat.h>

namespace {

// A private XDG world: configuration and data folders of the user and of the
// system, and a folder of programs on PATH.
class XdgWorld {
public:
    XdgWorld()
    {
        env.set("HOME", dir.file("home"));
        env.set("XDG_CONFIG_HOME", dir.file("config"));
        env.set("XDG_CONFIG_DIRS", dir.file("sysconfig"));
        env.set("XDG_DATA_HOME", dir.file("data"));
        env.set("XDG_DATA_DIRS", dir.file("sysdata1") + ":relative/ignored:" + dir.file("sysdata2"));
        env.unset("XDG_CURRENT_DESKTOP");
        env.unset("LC_ALL");
        env.unset("LC_MESSAGES");
        env.set("LANG", "C.UTF-8");
        env.set("PATH", dir.file("bin"));
        program("fakeedit");
        program("other");
    }
    void write(const std::string& relative, const std::string& text)
    {
        std::filesystem::create_directories((dir.path() / relative).parent_path());
        dir.write(relative, text);
    }
    void program(const std::string& name)
    {
        write("bin/" + name, "#!/bin/sh\n");
        ::chmod(dir.file("bin/" + name).c_str(), 0755);
    }
    // An application entry in an applications folder.
    void entry(const std::string& folder, const std::string& file, const std::string& name,
               const std::string& exec, const std::string& extra = "")
    {
        write(folder + "/applications/" + file,
              "[Desktop Entry]\nType=Application\nName=" + name + "\nName[ja]=Japanese\nExec=" + exec +
                  "\n" + extra);
    }

    TempDir dir;
    EnvScope env;
};

std::string nameFound()
{
    const std::optional<DesktopApplication> app = defaultApplicationFor("text/plain");
    return app ? app->name : "(none)";
}

// A mimeapps.list that makes ids (";"-separated) the defaults for text/plain.
std::string defaults(const std::string& ids)
{
    return "[Default Applications]\ntext/plain=" + ids + "\n";
}

struct LookupCase {
    const char* label;
    std::map<std::string, std::string> files;  // relative path -> text
    const char* desktops;                      // XDG_CURRENT_DESKTOP
    const char* expected;                      // the Name found
    const char* configHome = nullptr;          // XDG_CONFIG_HOME, where not the usual
};

// Texts that stand for a special file in place of a list.
const std::string Fifo = "<fifo>";
const std::string DevZero = "<link to /dev/zero>";

class LookupTest : public testing::TestWithParam<LookupCase> {};

TEST_P(LookupTest, FirstUsableApplication)
{
    const LookupCase& c = GetParam();
    XdgWorld w;
    w.entry("data", "fake.desktop", "Fake Editor", "fakeedit %U");
    w.entry("sysdata1", "other.desktop", "Other Editor", "other %f");
    w.entry("sysdata2", "other.desktop", "Shadowed Other", "other %f");
    w.entry("sysdata1", "vi.desktop", "Vi", "other %f", "Terminal=true\n");
    w.entry("sysdata1", "hidden.desktop", "Hidden", "other %f", "Hidden=true\n");
    w.entry("sysdata1", "gone.desktop", "Gone", "not-installed %f");
    w.entry("sysdata1", "tried.desktop", "Tried", "other %f", "TryExec=not-installed\n");
    w.entry("sysdata1", "kde/sub.desktop", "In Subfolder", "other %f");
    w.write("sysdata1/applications/link.desktop", "[Desktop Entry]\nType=Link\nName=Link\nExec=other\n");
    if (*c.desktops) w.env.set("XDG_CURRENT_DESKTOP", c.desktops);
    if (c.configHome) w.env.set("XDG_CONFIG_HOME", c.configHome);
    for (const auto& [path, text] : c.files) {
        if (text == Fifo || text == DevZero) {
            std::filesystem::create_directories(std::filesystem::path(w.dir.file(path)).parent_path());
            if (text == Fifo)
                ASSERT_EQ(::mkfifo(w.dir.file(path).c_str(), 0644), 0);
            else
                std::filesystem::create_symlink("/dev/zero", w.dir.file(path));
        } else {
            w.write(path, text);
        }
    }
    EXPECT_EQ(nameFound(), c.expected);
}

const char* const cacheOther = "[MIME Cache]\ntext/plain=vi.desktop;other.desktop;\n";

INSTANTIATE_TEST_SUITE_P(
    Rules, LookupTest,
    testing::Values(
        LookupCase{"nothing_registered", {}, "", "(none)"},
        LookupCase{"cache_only", {{"sysdata1/applications/mimeinfo.cache", cacheOther}}, "", "Other Editor"},
        LookupCase{"user_default_beats_cache",
                   {{"sysdata1/applications/mimeinfo.cache", cacheOther},
                    {"config/mimeapps.list", defaults("fake.desktop")}},
                   "", "Fake Editor"},
        LookupCase{"unusable_defaults_skipped",
                   {{"config/mimeapps.list", defaults("missing.desktop;vi.desktop;hidden.desktop;gone.desktop;"
                                                      "tried.desktop;link.desktop;other.desktop;")}},
                   "", "Other Editor"},
        LookupCase{"user_config_before_system_config",
                   {{"sysconfig/mimeapps.list", defaults("other.desktop")},
                    {"config/mimeapps.list", defaults("fake.desktop")}},
                   "", "Fake Editor"},
        LookupCase{"any_default_before_any_association",
                   {{"config/mimeapps.list", "[Added Associations]\ntext/plain=fake.desktop\n"},
                    {"sysdata2/applications/mimeapps.list", defaults("other.desktop")}},
                   "", "Other Editor"},
        LookupCase{"desktop_specific_list_first",
                   {{"config/mimeapps.list", defaults("other.desktop")},
                    {"config/xfce-mimeapps.list", defaults("fake.desktop")}},
                   "GNOME:XFCE", "Fake Editor"},
        LookupCase{"removed_association_hides_the_cache_entry",
                   {{"sysdata1/applications/mimeinfo.cache", cacheOther},
                    {"data/applications/mimeinfo.cache", "[MIME Cache]\ntext/plain=fake.desktop;\n"},
                    {"config/mimeapps.list", "[Removed Associations]\ntext/plain=fake.desktop;\n"}},
                   "", "Other Editor"},
        LookupCase{"dash_in_the_id_is_a_subfolder",
                   {{"config/mimeapps.list", defaults("kde-sub.desktop")}},
                   "", "In Subfolder"},
        LookupCase{"fifo_as_the_users_list_reads_as_empty",
                   {{"sysdata1/applications/mimeinfo.cache", cacheOther}, {"config/mimeapps.list", Fifo}},
                   "", "Other Editor"},
        LookupCase{"dev_zero_as_the_users_list_reads_as_empty",
                   {{"sysdata1/applications/mimeinfo.cache", cacheOther}, {"config/mimeapps.list", DevZero}},
                   "", "Other Editor"},
        LookupCase{"dev_zero_as_the_cache_reads_as_empty",
                   {{"sysdata2/applications/mimeinfo.cache", cacheOther},
                    {"sysdata1/applications/mimeinfo.cache", DevZero}},
                   "", "Other Editor"},
        LookupCase{"relative_config_home_stands_for_home_config",
                   {{"home/.config/mimeapps.list", defaults("fake.desktop")}},
                   "", "Fake Editor", "relative/config"},
        LookupCase{"other_types_ignored",
                   {{"config/mimeapps.list", "[Default Applications]\ntext/html=fake.desktop\n"}}, "",
                   "(none)"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(LookupTest, ProgramAndArgumentsComeFromExec)
{
    XdgWorld w;
    w.entry("data", "fake.desktop", "Fake\\sEditor", "fakeedit --new \"two words\" %F %i");
    w.write("config/mimeapps.list", defaults("fake.desktop"));
    const std::optional<DesktopApplication> app = defaultApplicationFor("text/plain");
    ASSERT_TRUE(app);
    EXPECT_EQ(app->name, "Fake Editor");
    EXPECT_EQ(app->program, "fakeedit");
    EXPECT_EQ(app->arguments, (std::vector<std::string>{"--new", "two words", "%f"}));
}

TEST(LookupTest, JapaneseNameOnAJapaneseDesktop)
{
    XdgWorld w;
    w.env.set("LANG", "ja_JP.UTF-8");
    w.entry("data", "fake.desktop", "Fake Editor", "fakeedit %f");
    w.write("config/mimeapps.list", defaults("fake.desktop"));
    EXPECT_EQ(nameFound(), "Japanese");
    w.write("data/applications/fake.desktop", "[Desktop Entry]\nType=Application\nName=Fake\nExec=fakeedit\n");
    EXPECT_EQ(nameFound(), "Fake");
}

TEST(LookupTest, AbsoluteProgramMustBeExecutable)
{
    XdgWorld w;
    w.entry("data", "a.desktop", "Absolute", w.dir.file("bin/fakeedit") + " %f");
    w.entry("data", "b.desktop", "NotExecutable", w.dir.file("config/mimeapps.list") + " %f");
    w.write("config/mimeapps.list", defaults("b.desktop;a.desktop"));
    EXPECT_EQ(nameFound(), "Absolute");
}

struct ExecCase {
    const char* label;
    const char* exec;                                   // after the string escapes
    std::optional<std::vector<std::string>> expected;  // none: refused
};

class ExecTest : public testing::TestWithParam<ExecCase> {};

TEST_P(ExecTest, Arguments)
{
    EXPECT_EQ(desktopExecArguments(GetParam().exec), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, ExecTest,
    testing::Values(
        ExecCase{"plain", "mousepad %U", {{"mousepad", "%f"}}},
        ExecCase{"no_field_code_appends_the_file", "leafpad", {{"leafpad", "%f"}}},
        ExecCase{"quoted_program_with_blank", "\"/opt/my editor/ed\"  -n %f", {{"/opt/my editor/ed", "-n", "%f"}}},
        ExecCase{"escapes_in_quotes", "ed \"a \\\"b\\\" \\$c \\\\d\"", {{"ed", "a \"b\" $c \\d", "%f"}}},
        ExecCase{"other_codes_dropped_percent_kept", "ed %i %c %k 100%% %u %f", {{"ed", "100%", "%f"}}},
        ExecCase{"code_inside_an_argument", "ed --file=%f", {{"ed", "--file=%f"}}},
        ExecCase{"unclosed_quote_is_refused", "ed \"open %f", std::nullopt}),
    [](const auto& info) { return std::string(info.param.label); });

}  // namespace
