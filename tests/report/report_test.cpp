// The confirmation report: after-names found on disk, the report groups and
// the bytes of the report file.
#include "report/report.h"

#include "platform/fs_posix.h"

#include "platform/app_error.h"
#include "platform/codepage.h"
#include "rename/rename_run.h"
#include "support/code_page_scope.h"
#include "support/forwarding_file_system.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

namespace {

const char* const nothingConvertedText = "   ファイル変換がされていません。   ";
const char* const saveFailedText = "   ファイルに保存できませんでした。          ";
const char* const failureMarker = "=== 変換失敗 ===";
const char* const notFound = " == ファイル無 ==";

StringList linesOf(const ReportLines& lines)
{
    StringList all;
    Text scratch;
    for (std::size_t i = 0; i < lines.size(); ++i) all.emplace_back(lines.line(i, scratch));
    return all;
}

// The report view as makeReport sees it: records what it was given.
class RecordingView : public ReportView {
public:
    int applied = 0;
    int filled = 0;
    StringList lines;
    bool throwOnApply = false;
    void applyListSettings() override
    {
        ++applied;
        if (throwOnApply) throw AppError("'x' は整数ではありません");
    }
    void fillList(const ReportLines& l) override
    {
        ++filled;
        lines = linesOf(l);
    }
};

// The real file system, with the lookups counted and the report file's
// creation, a chosen write or the closing made to fail: a full disk cannot
// be arranged in a test.
class FaultyFileSystem : public ForwardingFileSystem {
public:
    enum class Fault { None, Create, FirstWrite, Close };
    Fault fault = Fault::None;
    StringList lookups;
    int writes = 0;

    EntryInfo lookupEntry(const Text& path) override
    {
        lookups.push_back(path);
        return real().lookupEntry(path);
    }
    std::unique_ptr<TextFileWriter> createTextFile(const Text& path) override
    {
        if (fault == Fault::Create) return nullptr;
        return std::make_unique<Writer>(*this, real().createTextFile(path));
    }

private:
    class Writer : public TextFileWriter {
    public:
        Writer(FaultyFileSystem& fs, std::unique_ptr<TextFileWriter> file)
            : fs_(fs), file_(std::move(file))
        {
        }
        bool write(const char* bytes, std::size_t size) override
        {
            ++fs_.writes;
            if (fs_.fault == Fault::FirstWrite) return false;
            return file_ && file_->write(bytes, size);
        }
        bool close() override
        {
            const bool closed = file_ && file_->close();
            return closed && fs_.fault != Fault::Close;
        }

    private:
        FaultyFileSystem& fs_;
        std::unique_ptr<TextFileWriter> file_;
    };
};

// A file system that stores names in its own form (as a case-folding one
// does): every lookup finds the name in upper case. Cannot be arranged on
// this machine's file systems.
class UpperCaseStoringFileSystem : public FaultyFileSystem {
public:
    EntryInfo lookupEntry(const Text& path) override
    {
        EntryInfo info = FaultyFileSystem::lookupEntry(path);
        if (info.exists) info.storedName = toUpperText(activeCodePage(), info.storedName);
        return info;
    }
};

std::string crlfJoined(const StringList& lines)
{
    std::string bytes;
    for (const Text& line : lines) bytes += line + "\r\n";
    return bytes;
}

class ReportTest : public ::testing::Test {
protected:
    void SetUp() override { setActiveCodePage(CodePage::Utf8); }
    void TearDown() override { setActiveCodePage(CodePage::Utf8); }

    TempDir dir;
    ScriptedPrompter prompter;
    RecordingView view;
    FaultyFileSystem fs;
    Session session;

    std::string reportPath() const { return dir.file("vorel.TXT"); }
    ReportOutcome report() { return makeReport(session, fs, prompter, reportPath(), view); }
};

TEST_F(ReportTest, ThreeFilesGiveTwelveLinesEndingInCrLf)
{
    for (const char* name : {"MEMO.TXT", "NOTE", "READ ME.TXT"}) dir.write(name, "x");
    session.SourceList = {dir.file("memo.txt"), dir.file("note"), dir.file("read me.txt")};
    session.ResultList = {dir.file("MEMO.TXT"), dir.file("NOTE"), dir.file("READ ME.TXT")};

    ASSERT_EQ(report(), ReportOutcome::Saved);

    const std::string expected = dir.file("memo.txt") + "\r\n" + dir.file("MEMO.TXT") + "\r\n" +
                                 dir.file("MEMO.TXT") + "\r\n" + "\r\n" +
                                 dir.file("note") + "\r\n" + dir.file("NOTE") + "\r\n" +
                                 dir.file("NOTE") + "\r\n" + "\r\n" +
                                 dir.file("read me.txt") + "\r\n" + dir.file("READ ME.TXT") +
                                 "\r\n" + dir.file("READ ME.TXT") + "\r\n" + "\r\n";
    EXPECT_EQ(TempDir::read(reportPath()), expected);
    EXPECT_EQ(reportEntries(session.ResultList, session.ReportList), session.ResultList);
    ASSERT_EQ(view.lines.size(), 12u);
    EXPECT_EQ(crlfJoined(view.lines), expected);  // the view shows the file's lines
    for (std::size_t i : {3u, 7u, 11u}) EXPECT_EQ(view.lines[i], "");
    EXPECT_EQ(view.applied, 1);
    EXPECT_TRUE(prompter.prompts.empty());
}

TEST_F(ReportTest, FailedRenameGivesTheMarkerAndNotFoundAlone)
{
    dir.write("MEMO.TXT");
    dir.write("note.txt");
    session.SourceList = {dir.file("memo.txt"), dir.file("note.txt")};
    session.ResultList = {dir.file("MEMO.TXT"), failureMarker};

    ASSERT_EQ(report(), ReportOutcome::Saved);

    EXPECT_EQ(reportEntries(session.ResultList, session.ReportList), (StringList{dir.file("MEMO.TXT"), notFound}));
    EXPECT_EQ(TempDir::read(reportPath()),
              crlfJoined({dir.file("memo.txt"), dir.file("MEMO.TXT"), dir.file("MEMO.TXT"), "",
                          dir.file("note.txt"), failureMarker, notFound, ""}));
    // The marker is never looked up (a file of that name in the working
    // directory must not be reported as found).
    EXPECT_EQ(fs.lookups, (StringList{dir.file("MEMO.TXT")}));
}

TEST_F(ReportTest, EmptyResultListSaysSoAndWritesNothing)
{
    session.SourceList = {dir.file("a")};
    session.ReportList = {"kept"};

    EXPECT_EQ(report(), ReportOutcome::NothingConverted);

    ASSERT_EQ(prompter.prompts.size(), 1u);
    EXPECT_EQ(prompter.prompts[0], (RecordedPrompt{nothingConvertedText, PromptKind::Information, PbYes}));
    EXPECT_FALSE(std::filesystem::exists(reportPath()));
    EXPECT_EQ(view.applied, 0);
    EXPECT_EQ(view.filled, 0);
    EXPECT_EQ(session.ReportList, StringList{"kept"});
    EXPECT_TRUE(fs.lookups.empty());
}

TEST_F(ReportTest, TwoReportsInARowRebuildTheListAndReplaceTheFile)
{
    dir.write("A");
    session.SourceList = {dir.file("a")};
    session.ResultList = {dir.file("A")};
    // An older, longer report file is replaced, not appended to.
    dir.write("vorel.TXT", std::string(5000, 'z'));

    ASSERT_EQ(report(), ReportOutcome::Saved);
    const std::string first = TempDir::read(reportPath());
    ASSERT_EQ(report(), ReportOutcome::Saved);

    const std::string expected = crlfJoined({dir.file("a"), dir.file("A"), dir.file("A"), ""});
    EXPECT_EQ(first, expected);
    EXPECT_EQ(TempDir::read(reportPath()), expected);
    EXPECT_EQ(reportEntries(session.ResultList, session.ReportList), StringList{dir.file("A")});
    EXPECT_EQ(session.SourceList, StringList{dir.file("a")});
    EXPECT_EQ(session.ResultList, StringList{dir.file("A")});
}

TEST_F(ReportTest, LaterReportShowsLaterChangesOnDisk)
{
    const std::string renamed = dir.write("NOTE.TXT");
    session.SourceList = {dir.file("note.txt")};
    session.ResultList = {renamed};
    ASSERT_EQ(report(), ReportOutcome::Saved);
    EXPECT_EQ(reportEntries(session.ResultList, session.ReportList), StringList{renamed});

    std::filesystem::remove(renamed);
    ASSERT_EQ(report(), ReportOutcome::Saved);

    const std::string gone = dir.path().string() + "/" + notFound;
    EXPECT_EQ(reportEntries(session.ResultList, session.ReportList), StringList{gone});
    EXPECT_EQ(TempDir::read(reportPath()),
              crlfJoined({dir.file("note.txt"), renamed, gone, ""}));
}

TEST_F(ReportTest, ReportEntries)
{
    SKIP_WHERE_LACKING(FsNeed::SymbolicLinks);
    std::filesystem::create_directory(dir.path() / "Sub");
    dir.write("Sub/File.txt");
    std::filesystem::create_symlink(dir.file("nowhere"), dir.path() / "dangling");
    const std::string base = dir.path().string() + "/";
    struct Case {
        std::string result;
        std::string entry;
    } cases[] = {
        {base + "Sub/File.txt", base + "Sub/File.txt"},
        {base + "Sub", base + "Sub"},                      // a directory is an entry
        {base + "dangling", base + "dangling"},            // so is a dangling link
        {base + "Sub/file.txt", base + "Sub/" + notFound},  // letter case matters here
        {base + "nothing/x", base + "nothing/" + notFound},
        {failureMarker, notFound},
        {"", ""},  // no instruction: a file that an undo did not reach
    };
    for (const Case& c : cases) {
        PathList entries;
        buildReportList(fs, StringList{c.result}, entries);
        EXPECT_EQ(reportEntries(StringList{c.result}, entries), StringList{c.entry}) << c.result;
    }

    // The same paths many at a time, in both code pages: the system's file
    // system then finds those of one folder in a reading of its listing,
    // and looks up only the ones it does not hold as spelled. Each entry
    // is the one a look-up of that path alone gives.
    const std::string sj = "\x83\x5C\x95\x5C.txt";  // both characters end in 0x5C
    dir.write("Sub/" + sj);
    for (const CodePage cp : {CodePage::Utf8, CodePage::Cp932}) {
        const CodePageScope scope(cp);
        StringList results, expected;
        for (const Case& c : cases) {
            for (const std::string& result : {c.result, c.result == base + "Sub/File.txt" ? base + "Sub/" + sj : ""}) {
                PathList alone;
                buildReportList(fs, StringList{result}, alone);
                for (int i = 0; i < 12; ++i) {
                    results.push_back(result);
                    expected.push_back(reportEntries(StringList{result}, alone)[0]);
                }
            }
        }
        PosixFileSystem posix;
        PathList entries;
        buildReportList(posix, results, entries);
        EXPECT_EQ(reportEntries(results, entries), expected);
        EXPECT_GE(posix.directoryReads(), 1);
    }
}

TEST_F(ReportTest, FoundNameIsTheNameAsTheFileSystemStoresIt)
{
    dir.write("memo.txt");
    UpperCaseStoringFileSystem folding;
    session.SourceList = {dir.file("memo.txt")};
    session.ResultList = {dir.file("memo.txt")};

    ASSERT_EQ(makeReport(session, folding, prompter, reportPath(), view), ReportOutcome::Saved);

    // Path part as instructed, name as stored.
    EXPECT_EQ(reportEntries(session.ResultList, session.ReportList), StringList{dir.path().string() + "/MEMO.TXT"});
}

// Where a look-up may need the listing to find the stored name, each
// directory is read once per report, not once per file.
TEST_F(ReportTest, AReportReadsEachDirectoryAtMostOnce)
{
    PosixFileSystem posix;
    std::filesystem::create_directory(dir.file("a"));
    std::filesystem::create_directory(dir.file("b"));
    StringList results;
    for (int i = 0; i < 10; ++i) {
        for (const char* sub : {"a/", "b/"}) {
            const std::string name = sub + std::string("F") + std::to_string(i) + ".TXT";
            dir.write(name);
            results.push_back(dir.file(name));
        }
    }
    session.ResultList = results;
    session.SourceList = session.ResultList;

    ASSERT_EQ(makeReport(session, posix, prompter, reportPath(), view), ReportOutcome::Saved);
    EXPECT_EQ(reportEntries(session.ResultList, session.ReportList), session.ResultList);
    EXPECT_LE(posix.directoryReads(), 2);
}

TEST_F(ReportTest, OneLookupPerResult)
{
    for (int i = 0; i < 5; ++i) dir.write("f" + std::to_string(i));
    StringList results;
    for (int i = 0; i < 5; ++i) results.push_back(dir.file("f" + std::to_string(i)));
    session.ResultList = results;
    session.SourceList = session.ResultList;

    ASSERT_EQ(report(), ReportOutcome::Saved);

    EXPECT_EQ(fs.lookups, session.ResultList);
}

TEST_F(ReportTest, FileThatCannotBeWrittenWarnsAndShowsNoView)
{
    using Fault = FaultyFileSystem::Fault;
    for (Fault fault : {Fault::Create, Fault::FirstWrite, Fault::Close}) {
        SCOPED_TRACE(int(fault));
        prompter.prompts.clear();
        fs.fault = fault;
        dir.write("A");
        session.SourceList = {dir.file("a")};
        session.ResultList = {dir.file("A")};
        session.ReportList = {"old", "older"};

        EXPECT_EQ(report(), ReportOutcome::SaveFailed);

        ASSERT_EQ(prompter.prompts.size(), 1u);
        EXPECT_EQ(prompter.prompts[0], (RecordedPrompt{saveFailedText, PromptKind::Warning, PbAbort}));
        EXPECT_EQ(reportEntries(session.ResultList, session.ReportList), StringList{dir.file("A")});  // already rebuilt
    }
}

TEST_F(ReportTest, ReportPathThroughARegularFileCannotBeSaved)
{
    dir.write("plain");
    session.SourceList = {dir.file("a")};
    session.ResultList = {dir.file("A")};
    const std::string unwritable = dir.file("plain") + "/vorel.TXT";

    EXPECT_EQ(makeReport(session, fs, prompter, unwritable, view), ReportOutcome::SaveFailed);

    ASSERT_EQ(prompter.prompts.size(), 1u);
    EXPECT_EQ(prompter.prompts[0].text, saveFailedText);
    EXPECT_EQ(TempDir::read(dir.file("plain")), "");
}

// A read-only directory (for a new report) or report file is never written,
// and an old report stays as it was; the read-only file holds even for root.
TEST_F(ReportTest, ReadOnlyDirectoryOrFileCannotTakeTheReport)
{
    SKIP_WHERE_LACKING(FsNeed::PermissionBits);
    namespace stdfs = std::filesystem;
    using P = stdfs::perms;
    stdfs::create_directory(dir.path() / "ro");
    stdfs::create_directory(dir.path() / "old");
    dir.write("old/vorel.TXT", "old report");
    stdfs::permissions(dir.path() / "ro", P::owner_read | P::owner_exec);
    stdfs::permissions(dir.file("old/vorel.TXT"), P::owner_read | P::group_read | P::others_read);
    session.SourceList = {dir.file("a")};
    session.ResultList = {dir.file("A")};

    for (const char* target : {"ro/vorel.TXT", "old/vorel.TXT"}) {
        SCOPED_TRACE(target);
        if (geteuid() == 0 && Text(target) == "ro/vorel.TXT") continue;  // root writes into it
        prompter = ScriptedPrompter{};
        EXPECT_EQ(makeReport(session, fs, prompter, dir.file(target), view), ReportOutcome::SaveFailed);
        ASSERT_EQ(prompter.prompts.size(), 1u);
        EXPECT_EQ(prompter.prompts[0].text, saveFailedText);
    }
    EXPECT_FALSE(stdfs::exists(dir.file("ro/vorel.TXT")));
    EXPECT_EQ(TempDir::read(dir.file("old/vorel.TXT")), "old report");
}

TEST_F(ReportTest, ListSettingErrorPassesThroughBeforeAnythingIsWritten)
{
    dir.write("A");
    session.SourceList = {dir.file("a")};
    session.ResultList = {dir.file("A")};
    view.throwOnApply = true;

    EXPECT_THROW(report(), AppError);

    EXPECT_EQ(reportEntries(session.ResultList, session.ReportList), StringList{dir.file("A")});
    EXPECT_FALSE(std::filesystem::exists(reportPath()));
    EXPECT_EQ(view.filled, 0);
    EXPECT_TRUE(prompter.prompts.empty());
}

TEST(ReportLinesTest, ListsOfUnequalLengthCoverEveryPositionWithEmptyLines)
{
    struct Case {
        const char* what;
        StringList source, result, report;
        StringList lines;
    } cases[] = {
        {"run stopped at its second of four files",
         {"/d/a", "/d/b", "/d/c", "/d/e"},
         {"/d/A", "=== 変換失敗 ==="},
         {"/d/A", " == ファイル無 =="},
         {"/d/a", "/d/A", "/d/A", "", "/d/b", "=== 変換失敗 ===", " == ファイル無 ==", "",
          "/d/c", "", "", "", "/d/e", "", "", ""}},
        {"more results than sources",
         {"/d/a"},
         {"/d/A", "/d/B"},
         {"/d/A", "/d/B"},
         {"/d/a", "/d/A", "/d/A", "", "", "/d/B", "/d/B", ""}},
        {"no source at all",
         {},
         {"/d/A"},
         {"/d/A"},
         {"", "/d/A", "/d/A", ""}},
        {"report list shorter than results",
         {"/d/a", "/d/b"},
         {"/d/A", "/d/B"},
         {"/d/A"},
         {"/d/a", "/d/A", "/d/A", "", "/d/b", "/d/B", "", ""}},
        {"nothing", {}, {}, {}, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(linesOf(ReportLines(c.source, c.result, c.report)), c.lines) << c.what;
}

TEST_F(ReportTest, StoppedRunReportsEverySourcePath)
{
    dir.write("A");
    session.SourceList = {dir.file("a"), dir.file("b"), dir.file("c")};
    session.ResultList = {dir.file("A"), failureMarker};

    ASSERT_EQ(report(), ReportOutcome::Saved);

    EXPECT_EQ(reportEntries(session.ResultList, session.ReportList), (StringList{dir.file("A"), notFound}));
    EXPECT_EQ(TempDir::read(reportPath()),
              crlfJoined({dir.file("a"), dir.file("A"), dir.file("A"), "", dir.file("b"),
                          failureMarker, notFound, "", dir.file("c"), "", "", ""}));
}

TEST(ReportLinesTest, LineBreaksInsideNamesAreEscaped)
{
    struct Case {
        std::string entry;
        std::string line;
    } cases[] = {
        {"/d/a\nb", "/d/a\\nb"},
        {"/d/a\rb", "/d/a\\rb"},
        {"/d/a\r\nb\n", "/d/a\\r\\nb\\n"},
        {"\n", "\\n"},
        {"/d/a\\nb", "/d/a\\nb"},  // a backslash is kept as it is
        {"/d/a\tb", "/d/a\tb"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(reportLine(c.entry), c.line);
        const StringList one = {c.entry};
        EXPECT_EQ(linesOf(ReportLines(one, one, one)), (StringList{c.line, c.line, c.line, ""}));
    }
}

TEST_F(ReportTest, NameWithLineBreaksKeepsItsGroupOfFourLines)
{
    SKIP_WHERE_LACKING(FsNeed::AnyNameBytes);
    const std::string renamed = dir.write("A\nB\r.TXT");
    session.SourceList = {dir.file("a\nb\r.txt"), dir.file("c")};
    session.ResultList = {renamed, failureMarker};

    ASSERT_EQ(report(), ReportOutcome::Saved);

    // ReportList keeps the name as found; only the report lines are escaped.
    EXPECT_EQ(reportEntries(session.ResultList, session.ReportList)[0], renamed);
    const std::string escaped = dir.path().string() + "/A\\nB\\r.TXT";
    const std::string bytes = TempDir::read(reportPath());
    EXPECT_EQ(bytes, crlfJoined({dir.path().string() + "/a\\nb\\r.txt", escaped, escaped, "",
                                 dir.file("c"), failureMarker, notFound, ""}));
    std::size_t lineBreaks = 0;
    for (char c : bytes) lineBreaks += (c == '\n' || c == '\r');
    EXPECT_EQ(lineBreaks, 16u);  // eight CR LF pairs, nothing else
    EXPECT_EQ(view.lines[1], escaped);
}

TEST(WriteReportFile, WritesEveryLineWithCrLfAndNothingElse)
{
    TempDir dir;
    const std::string path = dir.file("r.TXT");
    const StringList none;
    ASSERT_TRUE(writeReportFile(systemFileSystem(), path, ReportLines(none, none, none)));
    EXPECT_EQ(TempDir::read(path), "");  // no header, no byte-order mark

    StringList before, after;
    std::string expected;
    for (int i = 0; i < 20000; ++i) {
        before.push_back("/d/line " + std::to_string(i));
        if (i % 3 == 0) after.push_back("/d/LINE " + std::to_string(i));
    }
    for (std::size_t i = 0; i < before.size(); ++i) {
        const std::string found = i < after.size() ? after[i] : "";
        expected += before[i] + "\r\n" + found + "\r\n" + found + "\r\n\r\n";
    }
    ASSERT_TRUE(writeReportFile(systemFileSystem(), path, ReportLines(before, after, after)));
    EXPECT_EQ(TempDir::read(path), expected);  // across write blocks
}

TEST_F(ReportTest, ShiftJisBytesAreWrittenExactlyAsHeld)
{
    SKIP_WHERE_LACKING(FsNeed::AnyNameBytes);
    setActiveCodePage(CodePage::Cp932);
    // "ソ表" ends both characters in 0x5C, "ファ" holds 0x40 trail bytes.
    const std::string sj = "\x83\x5C\x95\x5C";
    const std::string fa = "\x83\x74\x83\x40";
    const std::string before = dir.write(sj + ".txt");
    const std::string renamed = dir.file(sj + fa + ".TXT");
    std::filesystem::rename(before, renamed);
    session.SourceList = {before, dir.file(fa)};
    session.ResultList = {renamed, fixedText(failureMarker)};

    ASSERT_EQ(report(), ReportOutcome::Saved);

    const std::string marker =
        "\x3D\x3D\x3D\x20\x95\xCF\x8A\xB7\x8E\xB8\x94\x73\x20\x3D\x3D\x3D";
    const std::string none = "\x20\x3D\x3D\x20\x83\x74\x83\x40\x83\x43\x83\x8B\x96\xB3\x20\x3D\x3D";
    EXPECT_EQ(TempDir::read(reportPath()),
              crlfJoined({before, renamed, renamed, "", dir.file(fa), marker, none, ""}));
    EXPECT_EQ(fs.lookups, StringList{renamed});

    // A missing file: the CP932 marker after the path part.
    std::filesystem::remove(renamed);
    ASSERT_EQ(report(), ReportOutcome::Saved);
    EXPECT_EQ(reportEntries(session.ResultList, session.ReportList)[0], dir.path().string() + "/" + none);

    session.ResultList = {};
    prompter.prompts.clear();
    EXPECT_EQ(report(), ReportOutcome::NothingConverted);
    EXPECT_EQ(prompter.prompts[0].text,
              "\x20\x20\x20\x83\x74\x83\x40\x83\x43\x83\x8B\x95\xCF\x8A\xB7\x82\xAA\x82\xB3\x82"
              "\xEA\x82\xC4\x82\xA2\x82\xDC\x82\xB9\x82\xF1\x81\x42\x20\x20\x20");
}

TEST_F(ReportTest, Utf8JapaneseNamesAreWrittenExactlyAsHeld)
{
    const std::string renamed = dir.write("メモ.TXT");
    session.SourceList = {dir.file("メモ.txt")};
    session.ResultList = {renamed};

    ASSERT_EQ(report(), ReportOutcome::Saved);

    EXPECT_EQ(TempDir::read(reportPath()), crlfJoined({dir.file("メモ.txt"), renamed, renamed, ""}));
}

struct SilentWindow : RunWindow {
    void showProgress(int, int) override {}
};

// After an undo the report describes the undo, in the order of the run it
// undid; a run after it pairs the marked paths with its results again.
TEST_F(ReportTest, AfterAnUndo)
{
    const StringList marked{dir.write("a", "a"), dir.write("b", "b"), dir.write("c", "c")};
    SilentWindow window;
    RunContext ctx{fs, prompter, window, 1};
    ASSERT_EQ(runMarkedOperation(Operation::EndAdd, "_x", marked, ctx, session), RunOutcome::Completed);
    dir.write("b", "new");  // takes the old name of the second file

    ASSERT_EQ(runUndo(ctx, session), RunOutcome::FailedRename);
    ASSERT_EQ(report(), ReportOutcome::Saved);
    const Text a = dir.file("a_x"), b = dir.file("b_x"), c = dir.file("c_x");
    EXPECT_EQ(TempDir::read(reportPath()),
              crlfJoined({a, "", "", "", b, failureMarker, notFound, "", c, marked[2], marked[2], ""}));

    std::filesystem::remove(marked[1]);
    ASSERT_EQ(runUndo(ctx, session), RunOutcome::Completed);
    ASSERT_EQ(report(), ReportOutcome::Saved);
    EXPECT_EQ(TempDir::read(reportPath()),
              crlfJoined({a, marked[0], marked[0], "", b, marked[1], marked[1], ""}));

    ASSERT_EQ(runMarkedOperation(Operation::EndAdd, "_x", marked, ctx, session), RunOutcome::Completed);
    ASSERT_EQ(report(), ReportOutcome::Saved);
    EXPECT_EQ(TempDir::read(reportPath()),
              crlfJoined({marked[0], a, a, "", marked[1], b, b, "", marked[2], c, c, ""}));
}

}  // namespace
