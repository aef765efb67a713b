#include "rename/journal.h"

#include "platform/codepage.h"
#include "platform/dir_traits_posix.h"
#include "rename/rename_run.h"

#include "support/code_page_scope.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <random>
#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

struct NoWindow : RunWindow {
    void showProgress(int, int) override {}
};

// The names in a directory and their contents.
std::map<Text, Text> contentsOf(const TempDir& dir)
{
    std::map<Text, Text> found;
    for (const auto& e : fs::directory_iterator(dir.path()))
        found[e.path().filename().string()] = TempDir::read(e.path().string());
    return found;
}

class JournalTest : public ::testing::Test {
protected:
    TempDir files;
    TempDir state{false};  // where the user's folders are, not on the mount
    ScriptedPrompter prompter;
    NoWindow window;
    Session session;
    Text log = state.file("vorel.LOG");

    RunOutcome run(Operation op, const Text& typed, const StringList& entries)
    {
        JournalFile journal(log);
        RunContext ctx{systemFileSystem(), prompter, window, 1, &journal};
        return runMarkedOperation(op, typed, entries, ctx, session);
    }
    // What the next start does, yes answered: puts back what the journal offers.
    JournalState restart()
    {
        JournalState found = readJournal(systemFileSystem(), log);
        session = Session{};
        JournalState taken = found;
        takeJournalUndo(taken, session);
        for (const Text& leftover : found.leftovers) systemFileSystem().removeEmptyEntry(leftover);
        JournalFile journal(log);
        RunContext ctx{systemFileSystem(), prompter, window, 1, &journal};
        if (hasUndo(session)) {
            EXPECT_EQ(runUndo(ctx, session), RunOutcome::Completed);
        }
        return found;
    }
};

// At one file of the run: kills its own process, or tells the parent that
// it may kill now (which then lands anywhere, within a rename too).
struct SignallingWindow : RunWindow {
    int at = 0;
    int fd = -1;
    bool self = false;
    void showProgress(int position, int) override
    {
        if (position != at) return;
        if (self) ::kill(::getpid(), SIGKILL);
        (void)!::write(fd, "r", 1);
    }
};

// A run killed at any point leaves what the next start puts back whole,
// case-only renames on a case-insensitive file system included; a run over
// the marked files, and one over their directory (whose plan takes each
// file's id from the listing).
TEST_F(JournalTest, KilledRunIsPutBackByTheNextStart)
{
    std::map<Text, Text> original;
    StringList entries;
    for (int i = 0; i < 64; ++i) {
        const Text name = "f" + std::to_string(i) + ".txt";
        entries.push_back(files.write(name, name));
        original[name] = name;
    }
    std::mt19937 random(12345);
    int interrupted = 0;
    for (int round = 0; round < 100; ++round) {
        SCOPED_TRACE(round);
        const Operation op = round / 2 % 2 ? Operation::Upper : Operation::EndAdd;
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        SignallingWindow signalling;
        signalling.at = 1 + static_cast<int>(random() % entries.size());
        signalling.fd = ready[1];
        signalling.self = round % 2 == 0;
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            JournalFile journal(log);
            RunContext ctx{systemFileSystem(), prompter, signalling, 1, &journal};
            if (round / 4 % 2)
                runDirectoryOperation(op, "_x", StringList{files.path().string()}, ctx, session);
            else
                runMarkedOperation(op, "_x", entries, ctx, session);
            ::_exit(0);
        }
        ::close(ready[1]);
        char byte;
        if (::read(ready[0], &byte, 1) == 1) {
            ::usleep(static_cast<useconds_t>(random() % 100));
            ::kill(child, SIGKILL);
        }
        ::close(ready[0]);
        ::waitpid(child, nullptr, 0);
        const JournalState found = restart();
        interrupted += found.status == JournalState::Status::Interrupted;
        EXPECT_TRUE(found.missing.empty());
        ASSERT_EQ(contentsOf(files), original);
    }
    RecordProperty("interrupted", interrupted);
}

// The next start offers the undo of a completed run, even one that stopped
// at a failure; after that undo nothing is offered.
TEST_F(JournalTest, UndoAfterRestart)
{
    const StringList entries{files.write("a", "a"), files.write("b", "b"), files.write("c", "c")};
    files.write("b_x", "other");
    ASSERT_EQ(run(Operation::EndAdd, "_x", entries), RunOutcome::FailedRename);
    const JournalState found = restart();
    EXPECT_EQ(found.status, JournalState::Status::Completed);
    EXPECT_EQ(found.before, StringList{entries[0]});
    EXPECT_EQ(contentsOf(files), (std::map<Text, Text>{{"a", "a"}, {"b", "b"}, {"b_x", "other"}, {"c", "c"}}));
    EXPECT_EQ(restart().status, JournalState::Status::None);
}

// A directory run's plan holds each file's id where the listing gives it:
// the run then appends no record per file. Either way the next start finds
// every file.
TEST_F(JournalTest, DirectoryRunPlansTheListedIds)
{
    const std::map<Text, Text> original{{"a", "1"}, {"b", "2"}, {"c", "3"}};
    for (const auto& [name, bytes] : original) files.write(name, bytes);
    JournalFile journal(log);
    RunContext ctx{systemFileSystem(), prompter, window, 1, &journal};
    ASSERT_EQ(runDirectoryOperation(Operation::Upper, "", StringList{files.path().string()}, ctx, session),
              RunOutcome::Completed);
    const std::string bytes = TempDir::read(log);
    struct stat st;
    ASSERT_EQ(::lstat(files.file("A").c_str(), &st), 0);
    const std::string id = std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino) + ":" +
                           std::to_string(st.st_mode & S_IFMT);
    const bool planned = listingGivesInode(files.path());
    EXPECT_EQ(bytes.ends_with("\0PLAN\0E3\0"s), planned) << bytes;
    EXPECT_EQ(bytes.find(files.file("A") + "\0*\0"s + id + "\0"s) != std::string::npos, planned) << bytes;
    EXPECT_EQ(restart().status, JournalState::Status::Completed);
    EXPECT_EQ(contentsOf(files), original);
}

// The temporary name a plan records: "*" for the usual one of a case-only
// rename, spelled out where it must be cut, "" where the rename cannot be
// case-only; the old name's for a run, the new name's for an undo.
TEST(JournalPlanTest, TemporaryNameOfEachFile)
{
    const Text longName(251, 'a'), tag = "t1";
    struct Case {
        CodePage cp;
        JournalKind kind;
        Text from, to, temp;
    };
    const Case cases[] = {
        {CodePage::Utf8, JournalKind::Run, "/d/photo.jpeg", "/d/PHOTO.JPEG", "*"},
        {CodePage::Utf8, JournalKind::Undo, "/d/photo.jpeg", "/d/PHOTO.JPEG", "*"},
        {CodePage::Utf8, JournalKind::Run, "/d/photo.jpeg", "/d/photo.jpeg", ""},
        {CodePage::Utf8, JournalKind::Run, "/d/photo.jpeg", "/d/photo.jpg_", ""},
        {CodePage::Utf8, JournalKind::Run, "/d/photo.jpeg", "/e/PHOTO.JPEG", ""},
        {CodePage::Utf8, JournalKind::Run, "photo.jpeg", "PHOTO.JPEG", ""},
        {CodePage::Utf8, JournalKind::Run, "/d/\xC3\xA9t\xC3\xA9", "/d/\xC3\x89T\xC3\x89", "*"},
        {CodePage::Cp932, JournalKind::Run, "/\x95\x5C/\x95\x5C" "a", "/\x95\x5C/\x95\x5C" "A", "*"},
        {CodePage::Cp932, JournalKind::Run, "/d/\x95\x5C" "a", "/d/\x95\x5C" "a_", ""},
        {CodePage::Utf8, JournalKind::Run, "/d/" + longName + ".txt", "/d/" + longName + ".TXT",
         caseTempName(longName + ".txt", tag)},
        {CodePage::Utf8, JournalKind::Undo, "/d/" + longName + ".txt", "/d/" + longName + ".TXT",
         caseTempName(longName + ".TXT", tag)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.from + " -> " + c.to);
        CodePageScope scope(c.cp);
        std::string bytes;
        bool recordsIds = false;
        ASSERT_TRUE(writeJournalPlan({c.kind, 1, PathList{c.from}, PathList{c.to}}, tag, "boot",
                                     [&](const std::string& piece) { return bytes += piece, true; }, recordsIds));
        const std::string entry = c.from + "\0"s + c.to + "\0"s + c.temp + "\0\0PLAN\0"s;
        EXPECT_TRUE(bytes.ends_with(entry)) << bytes;
        EXPECT_TRUE(recordsIds);
    }
}

// The journal of a run still going in another program is not one cut short:
// the next start neither offers it nor puts its files back.
TEST_F(JournalTest, RunStillGoingIsLeftAlone)
{
    const StringList entries{files.write("a", "a")};
    JournalFile running(log);
    running.planned({JournalKind::Run, 1, PathList(entries), PathList{entries[0] + "_x"}});
    fs::rename(entries[0], entries[0] + "_x");
    EXPECT_EQ(readJournal(systemFileSystem(), log).status, JournalState::Status::None);
    running.ended(1);
    EXPECT_EQ(readJournal(systemFileSystem(), log).status, JournalState::Status::Completed);
}

// A journal written in the other code page names the same bytes on disk.
TEST_F(JournalTest, JournalFromTheOtherCodePage)
{
    SKIP_WHERE_LACKING(FsNeed::AnyNameBytes);
    const Text hyou = "\x95\x5c";  // 表 in Shift-JIS, its trail byte a backslash
    for (CodePage cp : {CodePage::Cp932, CodePage::Utf8}) {
        const Text name = cp == CodePage::Cp932 ? hyou + "a" : "\xe8\xa1\xa8" "a";
        const Text path = files.write(name, "x");
        {
            CodePageScope writer(cp);
            ASSERT_EQ(run(Operation::Upper, "", {path}), RunOutcome::Completed);
        }
        CodePageScope reader(cp == CodePage::Cp932 ? CodePage::Utf8 : CodePage::Cp932);
        EXPECT_EQ(restart().status, JournalState::Status::Completed);
        EXPECT_EQ(contentsOf(files), (std::map<Text, Text>{{name, "x"}}));
        fs::remove(path);
    }
}

// A journal that is not whole, not a regular file or too large is never
// acted on; one that does not parse is kept under ".bad".
TEST_F(JournalTest, BadJournalNeverActedOn)
{
    const StringList entries{files.write("a", "a"), files.write("b", "b")};
    ASSERT_EQ(run(Operation::EndAdd, "_x", entries), RunOutcome::Completed);
    std::string whole;
    ASSERT_TRUE(systemFileSystem().readFile(log, whole, 1 << 20));
    const std::map<Text, Text> renamed = contentsOf(files);
    struct Case {
        const char* what;
        std::string bytes;  // "" for a FIFO
        std::size_t bound;
        bool keptAsBad;
    };
    const Case cases[] = {
        {"corrupt", "VOREL-LOG 1\0utf-8\0run\0\0" "2\0garbage"s, maxJournalBytes, true},
        {"truncated", whole.substr(0, whole.find("PLAN")), maxJournalBytes, true},
        {"oversized", whole, whole.size() - 1, true},
        {"FIFO", "", maxJournalBytes, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove(log);
        fs::remove(log + ".bad");
        if (c.bytes.empty())
            ASSERT_EQ(::mkfifo(log.c_str(), 0600), 0);
        else
            state.write("vorel.LOG", c.bytes);
        const JournalState found = readJournal(systemFileSystem(), log, c.bound);
        EXPECT_EQ(found.status, JournalState::Status::None);
        EXPECT_TRUE(found.before.empty());
        EXPECT_EQ(contentsOf(files), renamed);
        EXPECT_EQ(fs::exists(log + ".bad"), c.keptAsBad);
        if (c.keptAsBad) {
            EXPECT_EQ(TempDir::read(log + ".bad"), c.bytes);
        }
    }
}

}  // namespace
