#include "platform/data_files.h"

#include "platform/codepage.h"
#include "platform/fs.h"
#include "support/env_scope.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <optional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

TEST(DataFilesBesideProgram, ReplaceTheProgramsExtension)
{
    setActiveCodePage(CodePage::Utf8);
    const struct {
        const char* program;
        const char* settings;
        const char* report;
    } cases[] = {
        {"/opt/vorel/vorel", "/opt/vorel/vorel.INI", "/opt/vorel/vorel.TXT"},
        {"/opt/vorel/VOREL.EXE", "/opt/vorel/VOREL.INI", "/opt/vorel/VOREL.TXT"},
        {"/opt/v.1/vorel", "/opt/v.1/vorel.INI", "/opt/v.1/vorel.TXT"},
        {"/opt/vorel/vorel.tar.gz", "/opt/vorel/vorel.tar.INI", "/opt/vorel/vorel.tar.TXT"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.program);
        EXPECT_EQ(settingsFileBesideProgram(c.program), c.settings);
        EXPECT_EQ(reportFileBesideProgram(c.program), c.report);
    }
}

// Runs body as an ordinary user: root may write everywhere, so as root it
// runs in a child process with the identity of "nobody".
DataFiles asOrdinaryUser(const std::function<DataFiles()>& body)
{
    if (::geteuid() != 0) return body();
    int fds[2];
    if (::pipe(fds) != 0) throw std::runtime_error("pipe");
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(fds[0]);
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(2);
        const DataFiles files = body();
        const std::string out =
            files.settingsFile + '\n' + files.reportFile + '\n' + (files.besideProgram ? "1" : "0");
        const bool ok = ::write(fds[1], out.data(), out.size()) == ssize_t(out.size());
        ::_exit(ok ? 0 : 3);
    }
    ::close(fds[1]);
    std::string in;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;) in.append(buffer, std::size_t(n));
    ::close(fds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) throw std::runtime_error("child failed");
    const auto a = in.find('\n'), b = in.find('\n', a + 1);
    return {in.substr(0, a), in.substr(a + 1, b - a - 1), in.substr(b + 1) == "1", {}};
}

// A user's home, the XDG folders, and a program folder that this user may
// or may not write to.
struct Installation {
    TempDir root;
    std::string home = make("home", 0777);
    std::string xdgConfig = make("xdg-config", 0777);
    std::string xdgState = make("xdg-state", 0777);
    EnvScope env;

    std::string make(const std::string& name, mode_t mode) const
    {
        fs::permissions(root.path(), fs::perms(0755));
        const std::string dir = root.file(name);
        fs::create_directories(dir);
        ::chmod(dir.c_str(), mode);
        return dir;
    }
    // HOME set to this home; XDG_CONFIG_HOME and XDG_STATE_HOME set to these
    // folders, or unset.
    void setEnvironment(bool xdgSet)
    {
        env.set("HOME", home);
        if (xdgSet) {
            env.set("XDG_CONFIG_HOME", xdgConfig);
            env.set("XDG_STATE_HOME", xdgState);
        } else {
            env.unset("XDG_CONFIG_HOME");
            env.unset("XDG_STATE_HOME");
        }
    }
};

TEST(HelpDocument, IsTheFirstThatExists)
{
    const char* hlp = "bin/VOREL.HLP";
    const char* beside = "bin/help/index.html";
    const char* system = "share/doc/vorel/help/index.html";
    const struct {
        std::vector<const char*> files;
        const char* expected;
    } cases[] = {{{hlp, beside, system}, hlp}, {{beside, system}, beside}, {{system}, system}, {{}, nullptr}};
    for (const auto& c : cases) {
        TempDir dir;
        for (const char* file : c.files) {
            fs::create_directories((dir.path() / file).parent_path());
            dir.write(file, "<html></html>");
        }
        const std::optional<Text> found = helpDocument(dir.file("bin") + "/", systemFileSystem());
        EXPECT_EQ(found, c.expected ? std::optional<Text>(dir.file(c.expected)) : std::nullopt);
    }
}

TEST(DataFilesLocation, FollowTheProgramFoldersWritabilityAndTheXdgVariables)
{
    setActiveCodePage(CodePage::Utf8);
    const struct Case {
        const char* what;
        const char* folder;  // the program's folder below the temporary root
        mode_t mode;
        bool settingsBeside;     // a settings file stands beside the program
        bool xdgSet;             // XDG_CONFIG_HOME and XDG_STATE_HOME set
        bool besideProgram;      // expected
    } cases[] = {
        {"writable folder: a portable copy", "prog", 0777, false, true, true},
        {"writable folder with settings", "prog", 0777, true, false, true},
        {"read-only folder, XDG set", "prog", 0555, false, true, false},
        {"read-only folder, XDG unset", "prog", 0555, false, false, false},
        {"read-only folder with settings, XDG set", "prog", 0555, true, true, false},
        {"read-only folder with settings, XDG unset", "prog", 0555, true, false, false},
        {"writable bin folder holds other programs too", "bin", 0777, false, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Installation inst;
        const std::string folder = inst.make(c.folder, 0777);
        const std::string program = folder + "/vorel";
        const std::string besideBytes = "[ProgTitle]\r\n1=\xE3\x83\xA1\xE3\x83\xA2\r\n";
        if (c.settingsBeside) {
            std::ofstream(folder + "/vorel.INI", std::ios::binary) << besideBytes;
        }
        ::chmod(folder.c_str(), c.mode);
        inst.setEnvironment(c.xdgSet);
        const DataFiles located = asOrdinaryUser([&] { return locateDataFiles(program); });
        const DataFiles prepared = asOrdinaryUser([&] { return prepareDataFiles(program); });

        const std::string configBase = c.xdgSet ? inst.xdgConfig : inst.home + "/.config";
        const std::string stateBase = c.xdgSet ? inst.xdgState : inst.home + "/.local/state";
        EXPECT_EQ(located.besideProgram, c.besideProgram);
        if (c.besideProgram) {
            EXPECT_EQ(located.settingsFile, folder + "/vorel.INI");
            EXPECT_EQ(located.reportFile, folder + "/vorel.TXT");
            EXPECT_FALSE(fs::exists(configBase + "/vorel"));  // nothing made elsewhere
        } else {
            EXPECT_EQ(located.settingsFile, configBase + "/vorel/vorel.INI");
            EXPECT_EQ(located.reportFile, stateBase + "/vorel/vorel.TXT");
            EXPECT_TRUE(fs::is_directory(configBase + "/vorel"));
            EXPECT_TRUE(fs::is_directory(stateBase + "/vorel"));
            EXPECT_FALSE(fs::exists(located.reportFile));
            // The user's settings start as a copy of the ones beside the
            // program, byte for byte; without those the first start makes them.
            if (c.settingsBeside) EXPECT_EQ(TempDir::read(located.settingsFile), besideBytes);
            else EXPECT_FALSE(fs::exists(located.settingsFile));
        }
        EXPECT_EQ(prepared.settingsFile, located.settingsFile);
        EXPECT_EQ(prepared.reportFile, located.reportFile);
    }
}

TEST(DataFilesLocation, UsersOwnSettingsAreNeverReplacedAndRelativeXdgValuesAreIgnored)
{
    setActiveCodePage(CodePage::Utf8);
    Installation inst;
    const std::string folder = inst.make("prog", 0777);
    std::ofstream(folder + "/vorel.INI", std::ios::binary) << "beside";
    ::chmod(folder.c_str(), 0555);
    fs::create_directories(inst.home + "/.config/vorel");
    std::ofstream(inst.home + "/.config/vorel/vorel.INI", std::ios::binary) << "mine";

    inst.env.set("HOME", inst.home);
    inst.env.set("XDG_CONFIG_HOME", "relative/config");
    inst.env.set("XDG_STATE_HOME", "");
    const DataFiles files = asOrdinaryUser([&] { return prepareDataFiles(folder + "/vorel"); });

    EXPECT_EQ(files.settingsFile, inst.home + "/.config/vorel/vorel.INI");
    EXPECT_EQ(files.reportFile, inst.home + "/.local/state/vorel/vorel.TXT");
    EXPECT_EQ(TempDir::read(files.settingsFile), "mine");
}

TEST(DataFilesLocation, SpecialFilesBesideTheProgramAreNeverCopied)
{
    setActiveCodePage(CodePage::Utf8);
    const struct {
        const char* name;
        bool fifo;  // else a link to /dev/zero
    } cases[] = {{"FIFO", true}, {"link to /dev/zero", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Installation inst;
        const std::string folder = inst.make("prog", 0777);
        if (c.fifo) ASSERT_EQ(::mkfifo((folder + "/vorel.INI").c_str(), 0666), 0);
        else fs::create_symlink("/dev/zero", folder + "/vorel.INI");
        ::chmod(folder.c_str(), 0555);
        inst.setEnvironment(false);
        // Neither waits on the FIFO nor copies without end.
        const DataFiles files = asOrdinaryUser([&] { return prepareDataFiles(folder + "/vorel"); });
        EXPECT_EQ(files.settingsFile, inst.home + "/.config/vorel/vorel.INI");
        EXPECT_FALSE(fs::exists(files.settingsFile));
    }
}

}  // namespace
