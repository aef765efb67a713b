#include "rename/rename_run.h"

#include "platform/codepage.h"
#include "platform/path.h"
#include "rename/mb_string.h"

#include <string>

namespace {

// Every message of a run goes through here, so that the window shows the
// count of the file it is about.
int ask(RunContext& ctx, const Text& text, PromptKind kind, unsigned buttons)
{
    ctx.window.flushProgress();
    return ctx.prompter.ask(text, kind, buttons);
}

void notice(RunContext& ctx, const char* utf8)
{
    ask(ctx, fixedText(utf8), PromptKind::Information, PbYes);
}

// Names with double-byte characters are asked about before anything is
// renamed, as the warning mode says; true when the user chose to stop.
bool stoppedByDbcsQuestion(const StringList& entries, RunContext& ctx)
{
    const std::int32_t mode = ctx.dbcsMessageMode;
    if (mode != 2 && mode != 3) return false;
    const Text question = fixedText("   ２バイト文字がふくまれていまが、中断しますか。          \n\r   ");
    for (const Text& entry : entries) {
        if (!MbHasDbcs(entry)) continue;
        if (ask(ctx, question + entry, PromptKind::Information, PbYes | PbNo) == MrYes) {
            return true;
        }
        if (mode == 2) return false;
    }
    return false;
}

// Every name is checked before the first rename, so that a bad name stops
// the run with nothing renamed; true when every name passes.
bool namesPass(Operation op, const Text& typed, const StringList& entries, RunContext& ctx,
               bool countsProgress)
{
    if (!hasValidation(op)) return true;
    const int count = static_cast<int>(entries.size());
    for (int i = 0; i < count; ++i) {
        if (countsProgress) ctx.window.showProgress(i + 1, count);
        if (auto message = validationMessage(op, entries[i], typed)) {
            ask(ctx, *message, PromptKind::Warning, PbAbort);
            return false;
        }
    }
    return true;
}

// True when the run may go on to its renames.
bool planConfirmed(Operation op, const Text& typed, const StringList& entries, RunContext& ctx)
{
    if (!ctx.confirmPlan) return true;
    ctx.window.flushProgress();
    return ctx.confirmPlan(op, typed, entries);
}

Text failureLine()
{
    return fixedText(renameFailureMarker);
}

// What an undo would put back: the first renamed lines of SourceList
// (the run's entries) and of ResultList, left where they are. A run that
// renamed nothing leaves the undo before it, which startRenames set apart.
void rememberRenames(std::size_t renamed, bool markedFiles, Session& session,
                     std::vector<EntryId>&& ids)
{
    if (renamed == 0) return;
    session.UndoBefore = StringList();
    session.UndoAfter = StringList();
    session.UndoShared = renamed;
    session.UndoIds = std::move(ids);
    session.UndoOfMarkedFiles = markedFiles;
}

// Before SourceList or ResultList change while they still hold the undo:
// moves it into UndoBefore and UndoAfter, leaving SourceList and ResultList
// empty.
void setUndoApart(Session& session)
{
    if (session.UndoShared == 0) return;
    session.UndoBefore = std::move(session.SourceList);
    session.UndoAfter = std::move(session.ResultList);
    session.UndoBefore.resize(session.UndoShared);
    session.UndoAfter.resize(session.UndoShared);
    session.UndoShared = 0;
    session.SourceList.clear();
    session.ResultList.clear();
}

// The run over entries reaches its renames: the undo of the run before is
// set apart, kept until a rename succeeds, and SourceList becomes entries
// (which may be SourceList itself).
void startRenames(const StringList& entries, Session& session)
{
    if (&entries == &session.SourceList && session.UndoShared > 0) {
        session.UndoBefore.assign(entries.begin(), entries.begin() + session.UndoShared);
        session.UndoAfter = std::move(session.ResultList);
        session.UndoAfter.resize(session.UndoShared);
        session.UndoShared = 0;
    }
    setUndoApart(session);
    session.SourceList = entries;
    session.ResultList.clear();
}

// The journal's side of one run or undo: the plan before the first rename,
// and the tag of its case-only temporary names while it lasts.
class Journaled {
public:
    Journaled(RunContext& ctx, JournalKind kind, std::size_t count, const RunJournal::PlanEntry& entry)
        : ctx_(ctx)
    {
        if (ctx_.journal) ctx_.fs.setCaseTempTag(ctx_.journal->planned(kind, count, entry));
    }
    ~Journaled()
    {
        if (ctx_.journal) ctx_.fs.setCaseTempTag(Text());
    }
    Journaled(const Journaled&) = delete;
    Journaled& operator=(const Journaled&) = delete;
    void renamed(std::size_t done, const EntryId& id)
    {
        if (ctx_.journal) ctx_.journal->renamed(done, id);
    }
    void ended(std::size_t done)
    {
        if (ctx_.journal) ctx_.journal->ended(done);
    }

private:
    RunContext& ctx_;
};

// A run that renamed nothing has replaced the journal: it goes back to the
// undo that the session keeps.
void journalKeptUndo(RunContext& ctx, const Session& session)
{
    if (!ctx.journal || session.UndoShared > 0 || session.UndoAfter.empty()) return;
    const StringList& before = session.UndoBefore;
    const StringList& after = session.UndoAfter;
    const std::vector<EntryId>& ids = session.UndoIds;
    Journaled journal(ctx, JournalKind::Run, after.size(),
                      [&](std::size_t i, const Text*& oldPath, Text& newPath, EntryId& id) {
                          oldPath = &before[i];
                          newPath = after[i];
                          id = i < ids.size() ? ids[i] : EntryId();
                      });
    journal.ended(after.size());
}

// Renames every entry of SourceList, once startRenames has set it, and
// records each result. The renames that succeed replace what an undo would
// have put back.
RunOutcome renameAll(Operation op, const Text& typed, RunContext& ctx, Session& session,
                     bool markedFiles)
{
    const StringList& entries = session.SourceList;
    StringList& resultList = session.ResultList;
    resultList.reserve(entries.size());
    const int count = static_cast<int>(entries.size());
    const FileSystemBatch batch(ctx.fs);
    std::vector<EntryId> ids;
    ids.reserve(entries.size());
    Journaled journal(ctx, JournalKind::Run, entries.size(),
                      [&](std::size_t i, const Text*& oldPath, Text& newPath, EntryId&) {
                          oldPath = &entries[i];
                          newPath = newFullPath(op, entries[i], typed).value_or(Text());
                      });
    auto finish = [&] {
        const std::size_t renamed = resultList.size();
        journal.ended(renamed);
        rememberRenames(renamed, markedFiles, session, std::move(ids));
        if (renamed == 0) journalKeptUndo(ctx, session);
    };
    for (int i = 0; i < count; ++i) {
        ctx.window.showProgress(i + 1, count);
        const Text& from = entries[i];
        std::optional<Text> to = newFullPath(op, from, typed);
        if (to && ctx.fs.renameEntry(from, *to)) {
            ids.push_back(ctx.fs.entryId(*to));
            journal.renamed(ids.size(), ids.back());
            resultList.push_back(std::move(*to));
            continue;
        }
        finish();
        resultList.push_back(failureLine());
        ask(ctx, renameFailedMessage(from), PromptKind::Warning, PbAbort);
        return RunOutcome::FailedRename;
    }
    finish();
    notice(ctx, "   変換を完了しました。   ");
    return RunOutcome::Completed;
}

bool endsWithSeparator(const Text& dir)
{
    return !dir.empty() && splitPath(activeCodePage(), dir).namePart.empty();
}

}  // namespace

Text progressCaption(int position, int count)
{
    return fixedText("ファイル数  :  ") + std::to_string(position) + " / " + std::to_string(count);
}

RunOutcome runMarkedOperation(Operation op, const Text& typed, const StringList& entries,
                              RunContext& ctx, Session& session)
{
    if (stoppedByDbcsQuestion(entries, ctx)) return RunOutcome::StoppedByUser;
    if (!namesPass(op, typed, entries, ctx, false)) return RunOutcome::FailedValidation;
    if (!planConfirmed(op, typed, entries, ctx)) return RunOutcome::StoppedByUser;
    // An undo leaves its own paths in SourceList; the report pairs these with the results.
    startRenames(entries, session);
    return renameAll(op, typed, ctx, session, true);
}

RunOutcome runDirectoryOperation(Operation op, const Text& typed, const StringList& marked,
                                 RunContext& ctx, Session& session)
{
    if (marked.size() != 1) {
        notice(ctx, "   ディレクトリが１個ではありません。   ");
        return RunOutcome::FailedSelection;
    }
    const Text& dir = marked.front();
    const EntryInfo info = ctx.fs.lookupEntry(dir);
    if (!info.exists) {
        notice(ctx, "   ディレクトリが見つかりませんでした。   ");
        return RunOutcome::FailedSelection;
    }
    if (!info.isDirectory) {
        notice(ctx, "   ディレクトリではありません。   ");
        return RunOutcome::FailedSelection;
    }
    // A directory that cannot be read to its end is not run over in part.
    if (!ListFile(ctx.fs, dir, session.DirFileList)) {
        notice(ctx, "   ディレクトリが見つかりませんでした。   ");
        return RunOutcome::FailedSelection;
    }
    const StringList& files = session.DirFileList;
    if (stoppedByDbcsQuestion(files, ctx)) return RunOutcome::StoppedByUser;
    // Start-delete counts through the files while it checks them.
    if (!namesPass(op, typed, files, ctx, op == Operation::StartDel)) {
        // A name that fails the check keeps the undo of the run before.
        setUndoApart(session);
        session.SourceList = files;
        session.ResultList.clear();
        return RunOutcome::FailedValidation;
    }
    // A refused plan leaves the session as it was, ResultList included.
    if (!planConfirmed(op, typed, files, ctx)) return RunOutcome::StoppedByUser;
    startRenames(files, session);
    return renameAll(op, typed, ctx, session, false);
}

RunOutcome runUndo(RunContext& ctx, Session& session)
{
    if (!hasUndo(session)) return RunOutcome::FailedSelection;
    setUndoApart(session);
    StringList& before = session.UndoBefore;
    // A file the undo does not reach keeps an empty line.
    session.ResultList.assign(session.UndoAfter.size(), Text());
    // The paths the files have now; the undo keeps a copy of them only if it stops.
    session.SourceList = std::move(session.UndoAfter);
    session.UndoAfter.clear();
    const StringList& after = session.SourceList;
    std::vector<EntryId>& ids = session.UndoIds;
    const int count = static_cast<int>(after.size());
    const FileSystemBatch batch(ctx.fs);
    Journaled journal(ctx, JournalKind::Undo, after.size(),
                      [&](std::size_t i, const Text*& oldPath, Text& newPath, EntryId& id) {
                          oldPath = &before[i];
                          newPath = after[i];
                          id = i < ids.size() ? ids[i] : EntryId();
                      });
    // Last first, so that a name a later file took is free again before an
    // earlier file goes back to it.
    for (int i = count - 1; i >= 0; --i) {
        ctx.window.showProgress(count - i, count);
        // What another program put under the new name is not the run's.
        const std::size_t at = static_cast<std::size_t>(i);
        const bool runsOwn = at >= ids.size() || !ids[at].known() || ctx.fs.entryId(after[i]) == ids[at];
        if (runsOwn && ctx.fs.renameEntry(after[i], before[i])) {
            session.ResultList[i] = std::move(before[i]);
            journal.renamed(static_cast<std::size_t>(count - i), EntryId());
            continue;
        }
        journal.ended(static_cast<std::size_t>(count - 1 - i));
        session.ResultList[i] = failureLine();
        // This file and the ones before it can still be put back later.
        before.resize(i + 1);
        if (ids.size() > at) ids.resize(at + 1);
        session.UndoAfter.assign(after.begin(), after.begin() + i + 1);
        ask(ctx, renameFailedMessage(after[i]), PromptKind::Warning, PbAbort);
        return RunOutcome::FailedRename;
    }
    journal.ended(after.size());
    before = StringList();
    ids = std::vector<EntryId>();
    notice(ctx, "   変換を完了しました。   ");
    return RunOutcome::Completed;
}

bool ListFile(FileSystem& fs, const Text& dir, StringList& dirFileList)
{
    dirFileList.clear();
    Text prefix = dir;
    if (!endsWithSeparator(dir)) prefix += pathSeparator();
    // Each path is made as its entry is read: the names are never held apart.
    const bool complete = fs.forEachDirEntry(dir, [&](const DirEntry& entry) {
        if (entry.isDirectory || entry.name == "." || entry.name == "..") return;
        Text path;
        path.reserve(prefix.size() + entry.name.size());
        path += prefix;
        path += entry.name;
        dirFileList.push_back(std::move(path));
    });
    if (!complete) StringList().swap(dirFileList);
    if (dirFileList.capacity() > dirFileList.size() + dirFileList.size() / 8) dirFileList.shrink_to_fit();
    return complete;
}
