#include "rename/rename_run.h"

#include "rename/rename_plan.h"

#include "platform/fs_posix.h"

#include "support/code_page_scope.h"
#include "support/forwarding_file_system.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const Text question = "   ２バイト文字がふくまれていまが、中断しますか。          \n\r   ";
const Text completed = "   変換を完了しました。   ";
const Text failedLine = "=== 変換失敗 ===";

struct RecordingWindow : RunWindow {
    std::vector<std::pair<int, int>> calls;
    // At each flush: how many progress calls and prompts had been made.
    std::vector<std::pair<std::size_t, std::size_t>> flushes;
    const ScriptedPrompter* prompter = nullptr;
    void showProgress(int position, int count) override { calls.emplace_back(position, count); }
    void flushProgress() override { flushes.emplace_back(calls.size(), prompter->prompts.size()); }
    std::pair<int, int> last() const { return calls.empty() ? std::pair{0, 0} : calls.back(); }
};

// The real file system, with the directory listing in a known order (the
// names in order first, the rest by name), so that a test can tell which
// file comes third. Optionally the listing fails part-way.
class OrderedListing : public ForwardingFileSystem {
public:
    bool failListing = false;
    std::vector<Text> order;
    bool listDirectory(const Text& dir, std::vector<DirEntry>& entries) override
    {
        if (!real().listDirectory(dir, entries)) return false;
        auto rank = [this](const Text& name) {
            auto at = std::find(order.begin(), order.end(), name);
            return std::pair(at - order.begin(), name);
        };
        std::sort(entries.begin(), entries.end(),
                  [&](const DirEntry& a, const DirEntry& b) { return rank(a.name) < rank(b.name); });
        if (failListing) {
            entries.resize(entries.size() / 2);  // what was read before the error
            return false;
        }
        return true;
    }
};

// The names in a directory, sorted.
std::set<Text> namesIn(const Text& dir)
{
    std::set<Text> names;
    for (const auto& e : fs::directory_iterator(dir)) names.insert(e.path().filename().string());
    return names;
}

class RenameRunTest : public ::testing::Test {
protected:
    TempDir dir;
    ScriptedPrompter prompter;
    RecordingWindow window;
    OrderedListing files;
    Session session;
    std::int32_t mode = 3;

    RenameRunTest() { window.prompter = &prompter; }

    RunOutcome runMarked(Operation op, const Text& typed, const PathList& entries)
    {
        RunContext ctx{files, prompter, window, mode};
        return runMarkedOperation(op, typed, entries, ctx, session);
    }
    RunOutcome runDirectory(Operation op, const Text& typed, const PathList& marked)
    {
        RunContext ctx{files, prompter, window, mode};
        return runDirectoryOperation(op, typed, marked, ctx, session);
    }
    RunOutcome undo()
    {
        RunContext ctx{files, prompter, window, mode};
        prompter = ScriptedPrompter{};
        window.calls.clear();
        return runUndo(ctx, session);
    }
    StringList make(std::initializer_list<const char*> names, const Text& in = "")
    {
        StringList paths;
        for (const char* n : names) paths.push_back(dir.write(in.empty() ? n : in + "/" + n, n));
        return paths;
    }
    void expectOnlyPrompt(const Text& text, PromptKind kind, unsigned buttons)
    {
        ASSERT_EQ(prompter.prompts.size(), 1u);
        EXPECT_EQ(prompter.prompts[0], (RecordedPrompt{text, kind, buttons}));
    }
};

TEST(ProgressCaptionTest, CountsWithoutPadding)
{
    CodePageScope utf8(CodePage::Utf8);
    EXPECT_EQ(progressCaption(2, 3), "ファイル数  :  2 / 3");
    EXPECT_EQ(progressCaption(10000, 10000), "ファイル数  :  10000 / 10000");
    CodePageScope cp932(CodePage::Cp932);
    EXPECT_EQ(progressCaption(1, 12), *fromUtf8(CodePage::Cp932, "ファイル数  :  1 / 12"));
}

TEST_F(RenameRunTest, UpperCaseRenamesEveryFileAndCompletes)
{
    StringList entries = make({"read me.txt", "b.Txt", "C.TXT"});
    session.ResultList = {"old line"};
    mode = 1;
    EXPECT_EQ(runMarked(Operation::Upper, "", entries), RunOutcome::Completed);
    EXPECT_EQ(namesIn(dir.path()), (std::set<Text>{"READ ME.TXT", "B.TXT", "C.TXT"}));
    EXPECT_EQ(session.ResultList,
              (StringList{dir.file("READ ME.TXT"), dir.file("B.TXT"), dir.file("C.TXT")}));
    EXPECT_EQ(TempDir::read(dir.file("READ ME.TXT")), "read me.txt");
    expectOnlyPrompt(completed, PromptKind::Information, PbYes);
    EXPECT_EQ(window.calls, (std::vector<std::pair<int, int>>{{1, 3}, {2, 3}, {3, 3}}));
    EXPECT_EQ(window.flushes.back(), std::pair(std::size_t(3), std::size_t(0)));
}

// On a case-insensitive file system every case-only rename needs to know
// what the directory holds: a run reads it once, not once per file.
TEST_F(RenameRunTest, ARunReadsItsDirectoryAtMostOnceForItsCaseChecks)
{
    PosixFileSystem posix;
    RunContext ctx{posix, prompter, window, 1};
    StringList entries;
    std::set<Text> upper;
    for (int i = 0; i < 30; ++i) {
        const Text name = "photo_" + std::to_string(i) + ".jpeg";
        entries.push_back(dir.write(name, name));
        upper.insert("PHOTO_" + std::to_string(i) + ".JPEG");
    }
    EXPECT_EQ(runMarkedOperation(Operation::Upper, "", entries, ctx, session), RunOutcome::Completed);
    EXPECT_EQ(namesIn(dir.path()), upper);
    EXPECT_EQ(TempDir::read(dir.file("PHOTO_7.JPEG")), "photo_7.jpeg");
    EXPECT_LE(posix.directoryReads(), 1);
}

TEST_F(RenameRunTest, EmptyListCompletes)
{
    session.ResultList = {"old line"};
    EXPECT_EQ(runMarked(Operation::Lower, "", {}), RunOutcome::Completed);
    EXPECT_TRUE(session.ResultList.empty());
    expectOnlyPrompt(completed, PromptKind::Information, PbYes);
    EXPECT_TRUE(window.calls.empty());
}

TEST_F(RenameRunTest, YesToTheSecondDoubleByteQuestionStopsBeforeAnyRename)
{
    StringList entries = make({"a.txt", "\xe6\x97\xa5.txt", "c.txt", "\xe6\x9c\xac.txt", "e.txt"});
    session.ResultList = {"previous"};
    prompter.plan = {MrNo, MrYes};
    EXPECT_EQ(runMarked(Operation::Upper, "", entries), RunOutcome::StoppedByUser);
    ASSERT_EQ(prompter.prompts.size(), 2u);
    EXPECT_EQ(prompter.prompts[0].text, question + entries[1]);
    EXPECT_EQ(prompter.prompts[1].text, question + entries[3]);
    for (const auto& p : prompter.prompts) {
        EXPECT_EQ(p.kind, PromptKind::Information);
        EXPECT_EQ(p.buttons, unsigned(PbYes | PbNo));
    }
    EXPECT_EQ(namesIn(dir.path()),
              (std::set<Text>{"a.txt", "\xe6\x97\xa5.txt", "c.txt", "\xe6\x9c\xac.txt", "e.txt"}));
    EXPECT_EQ(session.ResultList, StringList{"previous"});
    EXPECT_TRUE(window.calls.empty());
}

TEST_F(RenameRunTest, QuestionsFollowTheWarningMode)
{
    struct Case {
        std::int32_t mode;
        int questions;
    };
    const Case cases[] = {{1, 0}, {2, 1}, {3, 2}, {0, 0}, {4, 0}, {-1, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        TempDir local;
        StringList entries{local.write("a.txt"), local.write("\xe6\x97\xa5.txt"),
                           local.write("\xe6\x9c\xac.txt")};
        prompter = ScriptedPrompter{};
        prompter.defaultAnswer = MrNo;
        mode = c.mode;
        EXPECT_EQ(runMarked(Operation::Upper, "", entries), RunOutcome::Completed);
        // the questions, then the completion notice
        ASSERT_EQ(prompter.prompts.size(), static_cast<std::size_t>(c.questions) + 1);
        if (c.questions > 0) {
            EXPECT_EQ(prompter.prompts[0].text, question + entries[1]);
        }
        EXPECT_EQ(prompter.prompts.back().text, completed);
        EXPECT_EQ(namesIn(local.path()),
                  (std::set<Text>{"A.TXT", "\xe6\x97\xa5.TXT", "\xe6\x9c\xac.TXT"}));
    }
}

TEST_F(RenameRunTest, DoubleByteDirectoryPartAsksToo)
{
    fs::create_directory(dir.path() / "\xe8\xa1\xa8");
    StringList entries = make({"a.txt"}, "\xe8\xa1\xa8");
    prompter.plan = {MrYes};
    EXPECT_EQ(runMarked(Operation::Upper, "", entries), RunOutcome::StoppedByUser);
    expectOnlyPrompt(question + entries[0], PromptKind::Information, PbYes | PbNo);
    EXPECT_TRUE(fs::exists(entries[0]));
}

TEST_F(RenameRunTest, ThirdOfFiveFails)
{
    SKIP_WHERE_LACKING(FsNeed::CaseKeptApart);
    StringList entries = make({"a.txt", "b.txt", "c.txt", "d.txt", "e.txt"});
    dir.write("C.TXT", "other");  // the third cannot take its new name
    session.ResultList = {"previous"};
    EXPECT_EQ(runMarked(Operation::Upper, "", entries), RunOutcome::FailedRename);
    EXPECT_EQ(session.ResultList, (StringList{dir.file("A.TXT"), dir.file("B.TXT"), failedLine}));
    expectOnlyPrompt("   c.txt の変換に失敗しました。          ", PromptKind::Warning, PbAbort);
    EXPECT_EQ(window.last(), std::pair(3, 5));
    EXPECT_EQ(window.calls.size(), 3u);
    // The count of the failed file is on screen before the warning.
    ASSERT_FALSE(window.flushes.empty());
    EXPECT_EQ(window.flushes.back(), std::pair(std::size_t(3), std::size_t(0)));
    EXPECT_EQ(namesIn(dir.path()),
              (std::set<Text>{"A.TXT", "B.TXT", "c.txt", "C.TXT", "d.txt", "e.txt"}));
    EXPECT_EQ(TempDir::read(dir.file("C.TXT")), "other");
    EXPECT_EQ(TempDir::read(dir.file("c.txt")), "c.txt");
}

TEST_F(RenameRunTest, MissingFileFails)
{
    StringList entries = make({"a.txt", "b.txt"});
    fs::remove(entries[0]);
    EXPECT_EQ(runMarked(Operation::Upper, "", entries), RunOutcome::FailedRename);
    EXPECT_EQ(session.ResultList, StringList{failedLine});
    EXPECT_EQ(namesIn(dir.path()), std::set<Text>{"b.txt"});
}

TEST_F(RenameRunTest, RenamingOntoAnExistingFileLeavesBoth)
{
    StringList entries = make({"a.txt"});
    dir.write("a_x.txt", "keep me");
    EXPECT_EQ(runMarked(Operation::EndAdd, "_x", entries), RunOutcome::FailedRename);
    EXPECT_EQ(TempDir::read(dir.file("a.txt")), "a.txt");
    EXPECT_EQ(TempDir::read(dir.file("a_x.txt")), "keep me");
    EXPECT_EQ(session.ResultList, StringList{failedLine});
    expectOnlyPrompt("   a.txt の変換に失敗しました。          ", PromptKind::Warning, PbAbort);
}

TEST_F(RenameRunTest, RenamingToTheSameNameSucceeds)
{
    StringList entries = make({"A.TXT", "memo.txt"});
    EXPECT_EQ(runMarked(Operation::Upper, "", {entries[0]}), RunOutcome::Completed);
    EXPECT_EQ(runMarked(Operation::StartAdd, "", {entries[1]}), RunOutcome::Completed);
    EXPECT_EQ(session.ResultList, StringList{entries[1]});
    EXPECT_EQ(namesIn(dir.path()), (std::set<Text>{"A.TXT", "memo.txt"}));
}

struct RuleRun {
    Operation op;
    const char* typed;
    std::vector<Text> before;
    std::vector<Text> after;
};

TEST_F(RenameRunTest, EveryRuleOnRealFiles)
{
    mode = 1;
    const RuleRun runs[] = {
        {Operation::StartAdd, "new_", {"memo.txt", "README"}, {"new_memo.txt", "new_README"}},
        {Operation::StartAdd, "", {"memo.txt"}, {"memo.txt"}},
        {Operation::EndAdd, "_old", {"README", "data.tar.gz"}, {"README_old", "data.tar_old.gz"}},
        {Operation::EndAdd, "", {"memo.txt"}, {"memo.txt"}},
        {Operation::ExtChange, ".org", {"memo.txt", "README"}, {"memo.org", "README.org"}},
        {Operation::ExtChange, "org", {"memo.txt"}, {"memoorg"}},
        {Operation::ExtChange, "", {"memo.txt"}, {"memo"}},
        {Operation::StartDel, "ab", {"abcd.txt", "ab.x"}, {"cd.txt", ".x"}},
        {Operation::EndDel, "_old", {"report_old.txt"}, {"report.txt"}},
        {Operation::EndDel, "memo", {"memo.txt"}, {".txt"}},
        {Operation::Upper, "", {"read me.txt"}, {"READ ME.TXT"}},
        {Operation::Lower, "", {"READ ME.TXT", "MiXed"}, {"read me.txt", "mixed"}},
    };
    for (const RuleRun& r : runs) {
        TempDir local;
        StringList entries;
        for (const Text& n : r.before) entries.push_back(local.write(n, n));
        prompter = ScriptedPrompter{};
        SCOPED_TRACE(r.before.front() + " / " + r.typed);
        EXPECT_EQ(runMarked(r.op, r.typed, entries), RunOutcome::Completed);
        StringList expected;
        for (const Text& n : r.after) expected.push_back(local.file(n));
        EXPECT_EQ(session.ResultList, expected);
        for (std::size_t i = 0; i < r.after.size(); ++i) {
            EXPECT_EQ(TempDir::read(local.file(r.after[i])), r.before[i]);
        }
        EXPECT_EQ(namesIn(local.path()).size(), r.after.size());
    }
}

TEST_F(RenameRunTest, ListedDirectoryIsRenamedLikeAFile)
{
    fs::create_directory(dir.path() / "sub.dir");
    dir.write("sub.dir/inner.txt");
    EXPECT_EQ(runMarked(Operation::Upper, "", {dir.file("sub.dir")}), RunOutcome::Completed);
    EXPECT_TRUE(fs::exists(dir.path() / "SUB.DIR" / "inner.txt"));
}

TEST_F(RenameRunTest, ValidationStopsBeforeAnyRenameEvenAtTheLastName)
{
    struct Case {
        Operation op;
        const char* typed;
        std::vector<Text> names;
        Text message;
    };
    const Case cases[] = {
        {Operation::StartDel, "ab", {"abcd.txt", "abxy.txt", "xabc.txt"},
         "   xabc.txt には、指定文字列が先頭にありません。          "},
        {Operation::StartDel, "ab", {"abcd.txt", "zz.txt"}, "   zz.txt には、指定文字列がありません。          "},
        {Operation::StartDel, "", {"abcd.txt"}, "   abcd.txt には、指定文字列がありません。          "},
        {Operation::EndDel, "_old", {"a_old.txt", "report.txt"},
         "   report.txt には、指定文字列がありません。          "},
        {Operation::EndDel, "_old", {"a_old.txt", "_old_x_old.txt"},
         "   _old_x_old.txt には、指定文字列が最後にありません。          "},
    };
    for (const Case& c : cases) {
        TempDir local;
        StringList entries;
        for (const Text& n : c.names) entries.push_back(local.write(n));
        prompter = ScriptedPrompter{};
        window.calls.clear();
        session.ResultList = {"previous"};
        SCOPED_TRACE(c.message);
        EXPECT_EQ(runMarked(c.op, c.typed, entries), RunOutcome::FailedValidation);
        expectOnlyPrompt(c.message, PromptKind::Warning, PbAbort);
        EXPECT_EQ(session.ResultList, StringList{"previous"});
        EXPECT_EQ(namesIn(local.path()), std::set<Text>(c.names.begin(), c.names.end()));
        EXPECT_TRUE(window.calls.empty());
    }
}

// A typed text with a separator, or a name that becomes empty, "." or "..",
// fails like any rename; nothing leaves the directory.
TEST_F(RenameRunTest, NewNamesOutsideTheDirectoryFail)
{
    fs::create_directory(dir.path() / "sub");
    struct Case {
        Operation op;
        const char* typed;
        const char* name;
    };
    const Case cases[] = {
        {Operation::StartAdd, "../", "a.txt"},
        {Operation::EndAdd, "/../../x", "a.txt"},
        {Operation::ExtChange, "/", "a.txt"},
        {Operation::StartDel, "a.txt", "a.txt"},
        {Operation::ExtChange, "", ".hidden"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.typed) + " " + c.name);
        prompter = ScriptedPrompter{};
        const Text path = dir.write(Text("sub/") + c.name, "data");
        EXPECT_EQ(runMarked(c.op, c.typed, {path}), RunOutcome::FailedRename);
        EXPECT_EQ(session.ResultList, StringList{failedLine});
        expectOnlyPrompt(Text("   ") + c.name + " の変換に失敗しました。          ", PromptKind::Warning,
                         PbAbort);
        EXPECT_EQ(TempDir::read(path), "data");
        EXPECT_EQ(namesIn(dir.path()), std::set<Text>{"sub"});
        EXPECT_EQ(namesIn(dir.file("sub")), std::set<Text>{c.name});
        fs::remove(path);
    }
}

TEST_F(RenameRunTest, Cp932NamesWithAsciiTrailBytes)
{
    SKIP_WHERE_LACKING(FsNeed::AnyNameBytes);
    CodePageScope scope(CodePage::Cp932);
    const Text hyou = "\x95\x5c";  // 表
    const Text sou = "\x91\x7a";   // 想
    const Text so = "\x83\x5c";    // ソ
    StringList entries{dir.write(sou + "a.txt"), dir.write(hyou + "\\b.txt"), dir.write("plain.txt")};
    prompter.plan = {MrNo, MrNo};
    EXPECT_EQ(runMarked(Operation::Upper, "", entries), RunOutcome::Completed);
    ASSERT_EQ(prompter.prompts.size(), 3u);
    EXPECT_EQ(prompter.prompts[0].text,
              *fromUtf8(CodePage::Cp932, "   ２バイト文字がふくまれていまが、中断しますか。          \n\r   ") +
                  entries[0]);
    EXPECT_EQ(prompter.prompts[2].text, *fromUtf8(CodePage::Cp932, completed));
    EXPECT_EQ(namesIn(dir.path()), (std::set<Text>{sou + "A.TXT", hyou + "\\B.TXT", "PLAIN.TXT"}));

    const Text name = so + hyou + ".txt";
    StringList second{dir.write(name)};
    prompter = ScriptedPrompter{};
    mode = 1;
    EXPECT_EQ(runMarked(Operation::StartDel, so, second), RunOutcome::Completed);
    EXPECT_TRUE(fs::exists(dir.file(hyou + ".txt")));
    prompter = ScriptedPrompter{};
    EXPECT_EQ(runMarked(Operation::StartDel, "\\", {dir.file(hyou + ".txt")}), RunOutcome::FailedValidation);
    EXPECT_EQ(prompter.prompts[0].text,
              "   " + hyou + ".txt" + *fromUtf8(CodePage::Cp932, " には、指定文字列がありません。          "));
    prompter = ScriptedPrompter{};
    EXPECT_EQ(runMarked(Operation::EndDel, hyou, {dir.file(hyou + ".txt")}), RunOutcome::Completed);
    EXPECT_TRUE(fs::exists(dir.file(".txt")));
}

// Directory operations.

TEST_F(RenameRunTest, DirectoryEmptyCompletesWithoutQuestion)
{
    fs::create_directory(dir.path() / "\xe6\x97\xa5");
    fs::create_directory(dir.path() / "\xe6\x97\xa5" / "only a subdir");
    session.SourceList = {"old source"};
    session.ResultList = {"old result"};
    session.DirFileList = {"old listing"};
    EXPECT_EQ(runDirectory(Operation::Upper, "", {dir.file("\xe6\x97\xa5")}), RunOutcome::Completed);
    expectOnlyPrompt(completed, PromptKind::Information, PbYes);
    EXPECT_TRUE(session.SourceList.empty());
    EXPECT_TRUE(session.ResultList.empty());
    EXPECT_TRUE(session.DirFileList.empty());
    EXPECT_TRUE(window.calls.empty());
}

TEST_F(RenameRunTest, DirectoryHiddenAndReadOnlyFilesRenamedSubdirectoryUntouched)
{
    SKIP_WHERE_LACKING(FsNeed::SymbolicLinks);
    const Text d = dir.file("d");
    fs::create_directory(d);
    dir.write("d/.hidden", "h");
    dir.write("d/ro.txt", "r");
    ::chmod(dir.file("d/ro.txt").c_str(), 0444);
    fs::create_directory(dir.path() / "d" / "sub");
    dir.write("d/sub/inner.txt");
    fs::create_symlink("sub", dir.path() / "d" / "dirlink");
    fs::create_symlink("ro.txt", dir.path() / "d" / "filelink");
    EXPECT_EQ(runDirectory(Operation::Upper, "", {d}), RunOutcome::Completed);
    EXPECT_EQ(namesIn(d), (std::set<Text>{".HIDDEN", "RO.TXT", "sub", "dirlink", "FILELINK"}));
    EXPECT_EQ(namesIn(d + "/sub"), std::set<Text>{"inner.txt"});
    // The link was renamed, not followed; it still points at the old name.
    EXPECT_EQ(fs::read_symlink(d + "/FILELINK"), fs::path("ro.txt"));
    EXPECT_EQ(TempDir::read(d + "/RO.TXT"), "r");
    EXPECT_EQ(session.DirFileList.size(), 3u);
    EXPECT_EQ(session.SourceList, session.DirFileList);
}

TEST_F(RenameRunTest, DirectorySelectionMessages)
{
    const Text d1 = dir.file("d1"), d2 = dir.file("d2");
    fs::create_directory(d1);
    fs::create_directory(d2);
    dir.write("d1/a.txt");
    const Text plain = dir.write("plain.txt");
    const Text notOne = "   ディレクトリが１個ではありません。   ";
    const Text notFound = "   ディレクトリが見つかりませんでした。   ";
    const Text notDir = "   ディレクトリではありません。   ";
    struct Case {
        StringList marked;
        Text message;
    };
    const Case cases[] = {
        {{d1, d2}, notOne},
        {{}, notOne},
        {{plain}, notDir},
        {{dir.file("missing")}, notFound},
        {{dir.file("missing/")}, notFound},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        prompter = ScriptedPrompter{};
        session.SourceList = {"source"};
        session.ResultList = {"result"};
        session.DirFileList = {"listing"};
        EXPECT_EQ(runDirectory(Operation::Upper, "", c.marked), RunOutcome::FailedSelection);
        expectOnlyPrompt(c.message, PromptKind::Information, PbYes);
        EXPECT_EQ(session.SourceList, StringList{"source"});
        EXPECT_EQ(session.ResultList, StringList{"result"});
        EXPECT_EQ(session.DirFileList, StringList{"listing"});
        EXPECT_TRUE(window.calls.empty());
    }
    EXPECT_TRUE(fs::exists(d1 + "/a.txt"));
}

TEST_F(RenameRunTest, DirectoryThatCannotBeReadToItsEndIsNotRunInPart)
{
    const Text d = dir.file("d");
    fs::create_directory(d);
    for (const char* n : {"a", "b", "c", "e"}) dir.write(std::string("d/") + n);
    files.failListing = true;
    session.SourceList = {"source"};
    EXPECT_EQ(runDirectory(Operation::Upper, "", {d}), RunOutcome::FailedSelection);
    expectOnlyPrompt("   ディレクトリが見つかりませんでした。   ", PromptKind::Information, PbYes);
    EXPECT_TRUE(session.DirFileList.empty());
    EXPECT_EQ(session.SourceList, StringList{"source"});
    EXPECT_EQ(namesIn(d), (std::set<Text>{"a", "b", "c", "e"}));
}

TEST_F(RenameRunTest, DirectoryDoubleBytePathAsksByMode)
{
    for (std::int32_t m : {1, 2, 3}) {
        SCOPED_TRACE(m);
        TempDir local;
        const Text d = local.file("\xe6\x97\xa5\xe6\x9c\xac");
        fs::create_directory(d);
        for (const char* n : {"a", "b", "c"}) local.write(std::string("\xe6\x97\xa5\xe6\x9c\xac/") + n);
        prompter = ScriptedPrompter{};
        prompter.defaultAnswer = MrNo;
        mode = m;
        EXPECT_EQ(runDirectory(Operation::Upper, "", {d}), RunOutcome::Completed);
        const std::size_t questions = m == 1 ? 0 : m == 2 ? 1 : 3;
        ASSERT_EQ(prompter.prompts.size(), questions + 1);
        for (std::size_t i = 0; i < questions; ++i) {
            EXPECT_EQ(prompter.prompts[i].text, question + session.DirFileList[i]);
        }
        EXPECT_EQ(namesIn(d), (std::set<Text>{"A", "B", "C"}));
    }
}

TEST_F(RenameRunTest, DirectoryYesToTheQuestionKeepsTheLists)
{
    const Text d = dir.file("\xe6\x97\xa5");
    fs::create_directory(d);
    dir.write("\xe6\x97\xa5/a");
    session.SourceList = {"source"};
    session.ResultList = {"result"};
    prompter.plan = {MrYes};
    EXPECT_EQ(runDirectory(Operation::Upper, "", {d}), RunOutcome::StoppedByUser);
    EXPECT_EQ(session.DirFileList, StringList{d + "/a"});
    EXPECT_EQ(session.SourceList, StringList{"source"});
    EXPECT_EQ(session.ResultList, StringList{"result"});
    EXPECT_TRUE(window.calls.empty());
    EXPECT_TRUE(fs::exists(d + "/a"));
}

TEST_F(RenameRunTest, DirectoryEndAdd)
{
    const Text d = dir.file("d");
    fs::create_directory(d);
    dir.write("d/a.txt");
    dir.write("d/b");
    EXPECT_EQ(runDirectory(Operation::EndAdd, "_x", {d}), RunOutcome::Completed);
    EXPECT_EQ(namesIn(d), (std::set<Text>{"a_x.txt", "b_x"}));
}

TEST_F(RenameRunTest, DirectoryPathEndingInASeparatorIsNotDoubled)
{
    const Text d = dir.file("d");
    fs::create_directory(d);
    dir.write("d/a.txt");
    EXPECT_EQ(runDirectory(Operation::Upper, "", {d + "/"}), RunOutcome::Completed);
    EXPECT_EQ(session.SourceList, StringList{d + "/a.txt"});
    EXPECT_EQ(session.ResultList, StringList{d + "/A.TXT"});
}

TEST_F(RenameRunTest, ListFileJoinsWithOneSeparator)
{
    const Text d = dir.file("d");
    fs::create_directory(d);
    dir.write("d/x");
    PathList list{"stale"};
    EXPECT_TRUE(ListFile(files, d, list));
    EXPECT_EQ(list, StringList{d + "/x"});
    EXPECT_TRUE(ListFile(files, d + "/", list));
    EXPECT_EQ(list, StringList{d + "/x"});
    EXPECT_FALSE(ListFile(files, dir.file("missing"), list));
    EXPECT_TRUE(list.empty());
}

TEST_F(RenameRunTest, DirectoryStartDeleteMissingFromTheThirdOfFive)
{
    const Text d = dir.file("d");
    fs::create_directory(d);
    files.order = {"ab1.txt", "ab2.txt", "c3.txt", "ab4.txt", "ab5.txt"};
    for (const Text& n : files.order) dir.write("d/" + n);
    session.SourceList = {"source"};
    session.ResultList = {"result"};
    EXPECT_EQ(runDirectory(Operation::StartDel, "ab", {d}), RunOutcome::FailedValidation);
    expectOnlyPrompt("   c3.txt には、指定文字列がありません。          ", PromptKind::Warning, PbAbort);
    EXPECT_EQ(window.calls, (std::vector<std::pair<int, int>>{{1, 5}, {2, 5}, {3, 5}}));
    EXPECT_EQ(window.flushes.back(), std::pair(std::size_t(3), std::size_t(0)));
    EXPECT_EQ(namesIn(d), (std::set<Text>{"ab1.txt", "ab2.txt", "c3.txt", "ab4.txt", "ab5.txt"}));
    EXPECT_EQ(session.SourceList, session.DirFileList);
    EXPECT_EQ(session.SourceList.size(), 5u);
    EXPECT_TRUE(session.ResultList.empty());
}

TEST_F(RenameRunTest, DirectoryEndDeleteChecksWithoutCounting)
{
    const Text d = dir.file("d");
    fs::create_directory(d);
    dir.write("d/a_old.txt");
    dir.write("d/b.txt");
    EXPECT_EQ(runDirectory(Operation::EndDel, "_old", {d}), RunOutcome::FailedValidation);
    EXPECT_TRUE(window.calls.empty());
    expectOnlyPrompt("   b.txt には、指定文字列がありません。          ", PromptKind::Warning, PbAbort);
}

TEST_F(RenameRunTest, DirectoryStartDeleteCountsTwice)
{
    const Text d = dir.file("d");
    fs::create_directory(d);
    dir.write("d/ab1");
    dir.write("d/ab2");
    EXPECT_EQ(runDirectory(Operation::StartDel, "ab", {d}), RunOutcome::Completed);
    EXPECT_EQ(window.calls, (std::vector<std::pair<int, int>>{{1, 2}, {2, 2}, {1, 2}, {2, 2}}));
    EXPECT_EQ(namesIn(d), (std::set<Text>{"1", "2"}));
}

TEST_F(RenameRunTest, DirectoryRunAfterAFailureListsAfresh)
{
    const Text d = dir.file("d");
    fs::create_directory(d);
    dir.write("d/a.txt");
    dir.write("d/b.txt");
    dir.write("d/b_x.txt", "other");
    EXPECT_EQ(runDirectory(Operation::EndAdd, "_x", {d}), RunOutcome::FailedRename);
    EXPECT_EQ(session.ResultList, (StringList{d + "/a_x.txt", failedLine}));
    EXPECT_EQ(window.last(), std::pair(2, 3));

    prompter = ScriptedPrompter{};
    window.calls.clear();
    EXPECT_EQ(runDirectory(Operation::Upper, "", {d}), RunOutcome::Completed);
    EXPECT_EQ(session.DirFileList, (StringList{d + "/a_x.txt", d + "/b.txt", d + "/b_x.txt"}));
    EXPECT_EQ(window.last(), std::pair(3, 3));
    EXPECT_EQ(namesIn(d), (std::set<Text>{"A_X.TXT", "B.TXT", "B_X.TXT"}));
    EXPECT_EQ(TempDir::read(d + "/B_X.TXT"), "other");
}

TEST_F(RenameRunTest, DirectorySourceAndResultPairUp)
{
    const Text d = dir.file("d");
    fs::create_directory(d);
    for (const char* n : {"x.txt", "y.txt", "z.txt"}) dir.write(std::string("d/") + n);
    EXPECT_EQ(runDirectory(Operation::ExtChange, ".org", {d}), RunOutcome::Completed);
    EXPECT_EQ(session.SourceList, (StringList{d + "/x.txt", d + "/y.txt", d + "/z.txt"}));
    EXPECT_EQ(session.ResultList, (StringList{d + "/x.org", d + "/y.org", d + "/z.org"}));
}

TEST_F(RenameRunTest, DirectoryInTheSystemListingOrder)
{
    const Text d = dir.file("d");
    fs::create_directory(d);
    for (int i = 0; i < 20; ++i) dir.write("d/f" + std::to_string(i));
    std::vector<DirEntry> listing;
    ASSERT_TRUE(systemFileSystem().listDirectory(d, listing));
    RunContext ctx{systemFileSystem(), prompter, window, 1};
    EXPECT_EQ(runDirectoryOperation(Operation::Upper, "", {d}, ctx, session), RunOutcome::Completed);
    ASSERT_EQ(session.SourceList.size(), listing.size());
    for (std::size_t i = 0; i < listing.size(); ++i) {
        EXPECT_EQ(session.SourceList[i], d + "/" + listing[i].name);
    }
}

TEST_F(RenameRunTest, DirectoryCp932)
{
    SKIP_WHERE_LACKING(FsNeed::AnyNameBytes);
    CodePageScope scope(CodePage::Cp932);
    const Text hyou = "\x95\x5c";
    const Text d = dir.file("d" + hyou);
    fs::create_directory(d);
    dir.write("d" + hyou + "/" + hyou + "ab.txt");
    mode = 1;
    EXPECT_EQ(runDirectory(Operation::EndDel, "ab", {d}), RunOutcome::Completed);
    EXPECT_EQ(namesIn(d), std::set<Text>{hyou + ".txt"});
    EXPECT_EQ(session.ResultList, StringList{d + "/" + hyou + ".txt"});
}

// Undo of the last run.

TEST_F(RenameRunTest, UndoPutsBackEveryOperationLastFirst)
{
    const RuleRun runs[] = {
        {Operation::StartAdd, "a", {"ab", "b"}, {"aab", "ab"}},  // the second took the first's name
        {Operation::EndAdd, "_old", {"README", "data.tar.gz"}, {"README_old", "data.tar_old.gz"}},
        {Operation::ExtChange, "", {"memo.txt", "\xe6\x97\xa5.txt"}, {"memo", "\xe6\x97\xa5"}},
        {Operation::StartDel, "ab", {"abcd.txt", "ab.x"}, {"cd.txt", ".x"}},
        {Operation::EndDel, "_old", {"report_old.txt"}, {"report.txt"}},
        {Operation::Upper, "", {"read me.txt", "B.TXT"}, {"READ ME.TXT", "B.TXT"}},
        {Operation::Lower, "", {"READ ME.TXT", "MiXed"}, {"read me.txt", "mixed"}},
    };
    for (const RuleRun& r : runs) {
        SCOPED_TRACE(r.before.front() + " / " + r.typed);
        prompter.defaultAnswer = MrNo;  // to the double-byte question of the run
        TempDir local;
        StringList before, after;
        for (const Text& n : r.before) before.push_back(local.write(n, n));
        for (const Text& n : r.after) after.push_back(local.file(n));
        ASSERT_EQ(runMarked(r.op, r.typed, before), RunOutcome::Completed);
        EXPECT_EQ(undo(), RunOutcome::Completed);
        expectOnlyPrompt(completed, PromptKind::Information, PbYes);  // no question
        for (std::size_t i = 0; i < before.size(); ++i) EXPECT_EQ(TempDir::read(before[i]), r.before[i]);
        EXPECT_EQ(namesIn(local.path()).size(), before.size());
        EXPECT_EQ(session.SourceList, after);
        EXPECT_EQ(session.ResultList, before);
        EXPECT_FALSE(hasUndo(session));
        EXPECT_EQ(window.last(), std::pair(int(before.size()), int(before.size())));
    }
}

// The undo stops at a file it cannot put back, replacing nothing; once the
// way is clear a second undo puts back the rest.
TEST_F(RenameRunTest, UndoStopsAtAFileItCannotPutBack)
{
    const Text hyou = "\x95\x5c";  // 表, its trail byte a backslash
    mode = 1;
    for (CodePage cp : {CodePage::Utf8, CodePage::Cp932}) {
        if (cp == CodePage::Cp932 && !lackingHere(FsNeed::AnyNameBytes).empty()) continue;
        CodePageScope scope(cp);
        TempDir local;
        const Text second = cp == CodePage::Cp932 ? hyou + "b" : "b";
        const StringList before{local.write("a", "a"), local.write(second, "b"), local.write("c", "c")};
        ASSERT_EQ(runMarked(Operation::EndAdd, "_x", before), RunOutcome::Completed);
        const StringList after = session.ResultList.strings();
        local.write(second, "new");                // takes the second file's old name
        fs::rename(after[0], local.file("moved"));  // the first is gone

        EXPECT_EQ(undo(), RunOutcome::FailedRename);
        const Text failed = *fromUtf8(cp, " の変換に失敗しました。          ");
        expectOnlyPrompt("   " + second + "_x" + failed, PromptKind::Warning, PbAbort);
        EXPECT_EQ(window.calls, (std::vector<std::pair<int, int>>{{1, 3}, {2, 3}}));
        EXPECT_EQ(session.ResultList, (StringList{"", *fromUtf8(cp, failedLine), before[2]}));
        EXPECT_EQ(TempDir::read(before[1]), "new");
        EXPECT_EQ(TempDir::read(after[1]), "b");

        fs::remove(before[1]);
        EXPECT_EQ(undo(), RunOutcome::FailedRename);
        expectOnlyPrompt("   a_x" + failed, PromptKind::Warning, PbAbort);
        fs::rename(local.file("moved"), after[0]);
        EXPECT_EQ(undo(), RunOutcome::Completed);
        EXPECT_EQ(session.SourceList, StringList{after[0]});
        for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(TempDir::read(before[i]), Text(1, "abc"[i]));
    }
}

TEST_F(RenameRunTest, UndoOfAHalfFailedRunAndOfADirectoryRun)
{
    StringList entries = make({"a.txt", "b.txt", "c.txt"});
    dir.write("b_x.txt", "other");
    ASSERT_EQ(runMarked(Operation::EndAdd, "_x", entries), RunOutcome::FailedRename);
    EXPECT_EQ(undo(), RunOutcome::Completed);
    EXPECT_EQ(namesIn(dir.path()), (std::set<Text>{"a.txt", "b.txt", "b_x.txt", "c.txt"}));
    EXPECT_EQ(session.ResultList, StringList{entries[0]});

    const Text d = dir.file("d");
    fs::create_directory(d);
    files.order = {"x", "y"};
    dir.write("d/x", "x");
    dir.write("d/y");
    ASSERT_EQ(runDirectory(Operation::EndAdd, "_1", {d}), RunOutcome::Completed);
    EXPECT_FALSE(session.UndoOfMarkedFiles);
    EXPECT_EQ(undo(), RunOutcome::Completed);
    EXPECT_EQ(namesIn(d), (std::set<Text>{"x", "y"}));
    EXPECT_EQ(TempDir::read(d + "/x"), "x");
    EXPECT_EQ(session.SourceList, (StringList{d + "/x_1", d + "/y_1"}));
}

// A run that renames nothing keeps the undo of the run before, whether it
// stops before its renames or at the first one; one that renames replaces it.
TEST_F(RenameRunTest, UndoKeptOrReplacedByTheNextRun)
{
    mode = 1;
    const StringList first = make({"a"});
    ASSERT_EQ(runMarked(Operation::Upper, "", first), RunOutcome::Completed);
    const Text d = dir.file("d");
    fs::create_directory(d);
    dir.write("d/x");
    EXPECT_EQ(runMarked(Operation::StartDel, "zz", first), RunOutcome::FailedValidation);
    EXPECT_EQ(runDirectory(Operation::StartDel, "zz", {d}), RunOutcome::FailedValidation);
    EXPECT_EQ(runDirectory(Operation::Upper, "", {d, d}), RunOutcome::FailedSelection);
    EXPECT_EQ(undo(), RunOutcome::Completed);
    EXPECT_EQ(namesIn(dir.path()), (std::set<Text>{"a", "d"}));
    EXPECT_EQ(session.SourceList, StringList{dir.file("A")});
    EXPECT_EQ(session.ResultList, first);

    ASSERT_EQ(runMarked(Operation::EndAdd, "_x", first), RunOutcome::Completed);
    // The same marked paths again: the first rename fails.
    EXPECT_EQ(runMarked(Operation::EndAdd, "_x", session.SourceList), RunOutcome::FailedRename);
    EXPECT_EQ(session.SourceList, first);
    ASSERT_TRUE(hasUndo(session));
    EXPECT_EQ(undo(), RunOutcome::Completed);
    EXPECT_EQ(namesIn(dir.path()), (std::set<Text>{"a", "d"}));
    EXPECT_FALSE(hasUndo(session));
    session.SourceList = {"source"};
    EXPECT_EQ(undo(), RunOutcome::FailedSelection);  // nothing to undo: nothing happens
    EXPECT_TRUE(prompter.prompts.empty());
    EXPECT_EQ(session.SourceList, StringList{"source"});
}

// The preview's plan and the run's confirmation.

TEST_F(RenameRunTest, PlanGivesEveryStatusOnRealFiles)
{
    using enum PlanStatus;
    const bool folds = files.foldsLetterCase(dir.path());
    for (const CodePage cp : {CodePage::Utf8, CodePage::Cp932}) {
        if (cp == CodePage::Cp932 && !lackingHere(FsNeed::AnyNameBytes).empty()) continue;
        CodePageScope scope(cp);
        const Text in = cp == CodePage::Utf8 ? "u" : "s";
        const Text dbcs = cp == CodePage::Utf8 ? "\xe6\x97\xa5" : "\x95\x5c";  // 日, 表
        const Text longName(250, 'l');
        fs::create_directory(dir.file(in));
        for (const Text& name : {dbcs + "a.txt", Text("b.txt"), Text("b.doc"), Text("c.txt"),
                                 Text("c.dat"), Text("D.TXT"), longName})
            dir.write(in + "/" + name);
        struct Row {
            Operation op;
            Text typed;
            StringList names;
            std::vector<PlanStatus> statuses;
        };
        const Row rows[] = {
            {Operation::Upper, "", {dbcs + "a.txt", "D.TXT", "gone.txt"}, {Ok, Unchanged, Missing}},
            {Operation::ExtChange, ".doc", {"b.txt", "c.txt", "c.dat"}, {NameTaken, Ok, SameNewName}},
            {Operation::EndAdd, "/x", {"b.txt"}, {BadName}},
            {Operation::EndAdd, "xxxxxx", {longName}, {TooLong}},
            // Taken under another spelling only where the directory folds case;
            // the file's own name under another case never is.
            {Operation::ExtChange, ".TXT", {"b.doc"}, {folds ? NameTaken : Ok}},
            {Operation::Lower, "", {"D.TXT"}, {Ok}},
        };
        for (const Row& row : rows) {
            SCOPED_TRACE(row.names.front());
            StringList entries;
            for (const Text& name : row.names) entries.push_back(dir.file(in + "/" + name));
            const std::vector<PlannedRename> plan = planRenames(row.op, row.typed, entries, files);
            ASSERT_EQ(plan.size(), entries.size());
            for (std::size_t i = 0; i < plan.size(); ++i) {
                EXPECT_EQ(plan[i].status, row.statuses[i]) << i;
                EXPECT_EQ(plan[i].to, newFullPath(row.op, entries[i], row.typed).value_or(Text()));
            }
        }
        // Enough names that the plan's table of them grows several times.
        fs::create_directory(dir.file(in + "/many"));
        StringList many;
        for (int i = 0; i < 100; ++i) many.push_back(dir.write(in + "/many/f" + std::to_string(i) + ".a"));
        dir.write(in + "/many/f50.b");
        many.push_back(dir.write(in + "/many/f99.c"));
        const std::vector<PlannedRename> plan = planRenames(Operation::ExtChange, ".b", many, files);
        for (std::size_t i = 0; i < plan.size(); ++i)
            EXPECT_EQ(plan[i].status, i == 50 ? NameTaken : i == 100 ? SameNewName : Ok) << i;
        EXPECT_EQ(planStatusLine(NameTaken), *fromUtf8(cp, "=== 既存のファイルと同じ名前 ==="));
        EXPECT_EQ(planStatusLine(Ok), "");
    }
}

TEST_F(RenameRunTest, ARunAfterItsPreviewIsTheRunWithout)
{
    mode = 1;
    fs::create_directory(dir.file("one"));
    fs::create_directory(dir.file("two"));
    const StringList one = make({"a", "b"}, "one");
    const StringList two = make({"a", "b"}, "two");
    const RunOutcome without = runMarked(Operation::Upper, "", one);
    std::vector<PlannedRename> shown;
    RunContext ctx{files, prompter, window, mode, nullptr,
                   [&](Operation op, const Text& typed, const PathList& entries) {
                       shown = planRenames(op, typed, entries.strings(), files);
                       return true;
                   }};
    EXPECT_EQ(runMarkedOperation(Operation::Upper, "", two, ctx, session), without);
    EXPECT_EQ(namesIn(dir.file("two")), namesIn(dir.file("one")));
    ASSERT_EQ(shown.size(), 2u);
    for (std::size_t i = 0; i < shown.size(); ++i) {
        EXPECT_EQ(shown[i].status, PlanStatus::Ok);
        EXPECT_EQ(shown[i].to, session.ResultList[i]);
    }
}

TEST_F(RenameRunTest, ARefusedPlanRenamesNothingAndKeepsTheUndo)
{
    mode = 1;
    const StringList first = make({"a"});
    ASSERT_EQ(runMarked(Operation::Upper, "", first), RunOutcome::Completed);
    const StringList result = session.ResultList.strings();
    const Text d = dir.file("d");
    fs::create_directory(d);
    dir.write("d/x");
    RunContext ctx{files, prompter, window, mode, nullptr, [](auto&&...) { return false; }};
    EXPECT_EQ(runMarkedOperation(Operation::Lower, "", result, ctx, session), RunOutcome::StoppedByUser);
    EXPECT_EQ(runDirectoryOperation(Operation::Upper, "", {d}, ctx, session), RunOutcome::StoppedByUser);
    EXPECT_EQ(namesIn(dir.path()), (std::set<Text>{"A", "d"}));
    EXPECT_EQ(namesIn(d), std::set<Text>{"x"});
    EXPECT_EQ(session.ResultList, result);
    EXPECT_EQ(undo(), RunOutcome::Completed);
    EXPECT_EQ(namesIn(dir.path()), (std::set<Text>{"a", "d"}));
}

// The undo puts back only the entry the run left under the new name.
TEST_F(RenameRunTest, UndoStopsAtAReplacedEntry)
{
    mode = 1;
    // The directory run takes the ids from its listing, the other looks them up.
    for (const bool directoryRun : {false, true}) {
        SCOPED_TRACE(directoryRun ? "directory" : "marked files");
        const Text in = directoryRun ? "d" : "m";
        fs::create_directory(dir.file(in));
        files.order = {"a.txt", "b.txt"};
        const StringList entries = make({"a.txt", "b.txt"}, in);
        ASSERT_EQ(directoryRun ? runDirectory(Operation::Upper, "", StringList{dir.file(in)})
                               : runMarked(Operation::Upper, "", entries),
                  RunOutcome::Completed);
        fs::remove(dir.file(in + "/B.TXT"));
        fs::create_directory(dir.file(in + "/B.TXT"));
        EXPECT_EQ(undo(), RunOutcome::FailedRename);
        expectOnlyPrompt("   B.TXT の変換に失敗しました。          ", PromptKind::Warning, PbAbort);
        EXPECT_EQ(namesIn(dir.file(in)), (std::set<Text>{"A.TXT", "B.TXT"}));
        EXPECT_TRUE(fs::is_directory(dir.file(in + "/B.TXT")));
    }
}

}  // namespace
