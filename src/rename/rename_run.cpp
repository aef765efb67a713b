#include "rename/rename_run.h"

#include "platform/codepage.h"
#include "platform/path.h"

#include <algorithm>
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

// Whether the character walk reaches the folder's last byte as a separator
// of its own: the walk then starts afresh at each name after it, so that a
// name is worked on alone, the folder's outcome taken once.
bool endsAtSeparator(std::string_view folder)
{
    return !folder.empty() && folder.find('\0') == folder.npos &&
           pathPartLength(activeCodePage(), Text(folder)) == folder.size();
}

// Names with double-byte characters are asked about before anything is
// renamed, as the warning mode says; true when the user chose to stop.
// asked tells whether anything was asked.
bool stoppedByDbcsQuestion(const PathList& entries, RunContext& ctx, bool* asked = nullptr)
{
    const std::int32_t mode = ctx.dbcsMessageMode;
    if (mode != 2 && mode != 3) return false;
    const Text question = fixedText("   ２バイト文字がふくまれていまが、中断しますか。          \n\r   ");
    const CodePage cp = activeCodePage();
    Text entry;
    for (std::size_t first = 0, last; first < entries.size(); first = last) {
        last = entries.runEnd(first);
        const std::string_view folder = entries.folder(first);
        const bool byName = endsAtSeparator(folder);
        const bool inFolder = byName && hasMultibyteChar(cp, folder);
        for (std::size_t i = first; i < last; ++i) {
            if (byName ? !inFolder && !hasMultibyteChar(cp, entries.name(i))
                       : !hasMultibyteChar(cp, entries.pathInto(i, entry)))
                continue;
            if (asked) *asked = true;
            if (ask(ctx, question + entries.pathInto(i, entry), PromptKind::Information, PbYes | PbNo) == MrYes) {
                return true;
            }
            if (mode == 2) return false;
        }
    }
    return false;
}

// Every name is checked before the first rename, so that a bad name stops
// the run with nothing renamed; true when every name passes.
bool namesPass(Operation op, const Text& typed, const PathList& entries, RunContext& ctx,
               bool countsProgress)
{
    if (!hasValidation(op)) return true;
    const int count = static_cast<int>(entries.size());
    Text entry;
    for (int i = 0; i < count; ++i) {
        if (countsProgress) ctx.window.showProgress(i + 1, count);
        if (auto message = validationMessage(op, entries.pathInto(std::size_t(i), entry), typed)) {
            ask(ctx, *message, PromptKind::Warning, PbAbort);
            return false;
        }
    }
    return true;
}

// True when the run may go on to its renames.
bool planConfirmed(Operation op, const Text& typed, const PathList& entries, RunContext& ctx)
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
// (the run's entries) and of ResultList, held as they are. A run that
// renamed nothing leaves the undo before it.
void rememberRenames(std::size_t renamed, bool markedFiles, Session& session, EntryIdList&& ids)
{
    if (renamed == 0) return;
    session.UndoBefore = session.SourceList;
    session.UndoAfter = session.ResultList;
    session.UndoCount = renamed;
    session.UndoIds = std::move(ids);
    session.UndoOfMarkedFiles = markedFiles;
}

// The run over entries reaches its renames: SourceList becomes entries
// (which may be SourceList itself) and ResultList is emptied.
void startRenames(const PathList& entries, Session& session)
{
    session.SourceList = entries;
    session.ResultList = PathList();
}

// The journal's side of one run or undo: the plan before the first rename,
// and the tag of its case-only temporary names while it lasts.
class Journaled {
public:
    Journaled(RunContext& ctx, const JournalPlan& plan) : ctx_(ctx)
    {
        if (ctx_.journal) ctx_.fs.setCaseTempTag(ctx_.journal->planned(plan));
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
    if (!ctx.journal || !hasUndo(session)) return;
    Journaled journal(ctx, {JournalKind::Run, session.UndoCount, session.UndoBefore, session.UndoAfter,
                            &session.UndoIds});
    journal.ended(session.UndoCount);
}

// The new path of every entry, worked out once for the journal's plan and
// the renames alike; an entry that has none gets an empty path. named is
// the number of entries before the first of those.
PathList plannedPaths(Operation op, const Text& typed, const PathList& entries, std::size_t& named)
{
    PathListBuilder planned;
    // The new names are as long as the old ones, give or take the typed text.
    planned.reserve(entries.size() + 1, entries.nameBytes() + entries.size() * typed.size() + 64);
    named = entries.size();
    Text from, to;
    std::size_t nameStart = 0;
    for (std::size_t first = 0, last; first < entries.size(); first = last) {
        last = entries.runEnd(first);
        const std::string_view folder = entries.folder(first);
        const bool byName = endsAtSeparator(folder);
        for (std::size_t i = first; i < last; ++i) {
            to.clear();
            if (byName && appendNewName(op, entries.name(i), typed, to)) {
                planned.append(folder, to);
            } else if (!newFullPathInto(op, entries.pathInto(i, from), typed, to, &nameStart)) {
                named = std::min(named, i);
                planned.append(std::string_view(), std::string_view());
            } else if (nameStart == folder.size()) {
                // Only the name is new.
                planned.append(folder, std::string_view(to).substr(nameStart));
            } else {
                planned.append(to);
            }
        }
    }
    return planned.finish();
}

// Renames path i of from to path i of to: by name alone in their folder
// where both have the same one, as a run's and an undo's paths do.
bool renameListed(FileSystem& fs, const PathList& from, const PathList& to, std::size_t i)
{
    const std::string_view folder = from.folder(i);
    if (to.folder(i) == folder) return fs.renameInFolder(folder, from.name(i), to.name(i));
    Text fromPath, toPath;
    return fs.renameEntry(from.pathInto(i, fromPath), to.pathInto(i, toPath));
}

// Renames every entry of SourceList, once startRenames has set it, and
// records each result. The renames that succeed replace what an undo would
// have put back. listedIds, where given, holds the id of each entry as its
// folder's listing gave it (unknown where it gave none): a rename keeps it,
// so it is not looked up again.
RunOutcome renameAll(Operation op, const Text& typed, RunContext& ctx, Session& session,
                     bool markedFiles, EntryIdList* listedIds = nullptr)
{
    const PathList entries = session.SourceList;
    std::size_t named = 0;
    const PathList planned = plannedPaths(op, typed, entries, named);
    const int count = static_cast<int>(entries.size());
    const FileSystemBatch batch(ctx.fs);
    EntryIdList ids;
    if (listedIds && listedIds->size() == entries.size())
        ids = std::move(*listedIds);
    else
        ids.reserve(entries.size());
    const bool listed = !ids.empty();
    std::size_t renamed = 0;
    // The listing's ids go into the plan, so that the journal needs no
    // record of each file's id as it is renamed.
    Journaled journal(ctx, {JournalKind::Run, entries.size(), entries, planned, listed ? &ids : nullptr});
    // ResultList is complete before any message, so the journal and the
    // undo hold the same lines the report reads: the planned paths of the
    // files renamed, and the failure marker after them where one failed.
    auto finish = [&](bool failed) {
        ids.shrinkTo(renamed);
        if (failed) {
            PathListBuilder results;
            for (std::size_t j = 0; j < renamed; ++j) results.append(planned.folder(j), planned.name(j));
            results.append(failureLine());
            session.ResultList = results.finish();
        } else {
            session.ResultList = planned;
        }
        journal.ended(renamed);
        rememberRenames(renamed, markedFiles, session, std::move(ids));
        if (renamed == 0) journalKeptUndo(ctx, session);
    };
    Text to;
    for (int i = 0; i < count; ++i) {
        ctx.window.showProgress(i + 1, count);
        // Each rename's system call leaves little of the lists in the
        // caches: the names a few files on are fetched while it runs.
        if (i + 4 < count) {
            entries.prefetchName(std::size_t(i) + 4);
            planned.prefetchName(std::size_t(i) + 4);
        }
        if (std::size_t(i) < named && renameListed(ctx.fs, entries, planned, std::size_t(i))) {
            EntryId id = listed ? ids[renamed] : EntryId();
            if (!id.known()) {
                id = ctx.fs.entryId(planned.pathInto(std::size_t(i), to));
                if (listed)
                    ids.set(renamed, id);
                else
                    ids.push_back(id);
            }
            ++renamed;
            journal.renamed(renamed, id);
            continue;
        }
        finish(true);
        ask(ctx, renameFailedMessage(entries[std::size_t(i)]), PromptKind::Warning, PbAbort);
        return RunOutcome::FailedRename;
    }
    finish(false);
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

RunOutcome runMarkedOperation(Operation op, const Text& typed, const PathList& entries,
                              RunContext& ctx, Session& session)
{
    if (stoppedByDbcsQuestion(entries, ctx)) return RunOutcome::StoppedByUser;
    if (!namesPass(op, typed, entries, ctx, false)) return RunOutcome::FailedValidation;
    if (!planConfirmed(op, typed, entries, ctx)) return RunOutcome::StoppedByUser;
    // An undo leaves its own paths in SourceList; the report pairs these with the results.
    startRenames(entries, session);
    return renameAll(op, typed, ctx, session, true);
}

RunOutcome runDirectoryOperation(Operation op, const Text& typed, const PathList& marked,
                                 RunContext& ctx, Session& session)
{
    if (marked.size() != 1) {
        notice(ctx, "   ディレクトリが１個ではありません。   ");
        return RunOutcome::FailedSelection;
    }
    const Text dir = marked.front();
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
    EntryIdList listedIds;
    if (!ListFile(ctx.fs, dir, session.DirFileList, &listedIds)) {
        notice(ctx, "   ディレクトリが見つかりませんでした。   ");
        return RunOutcome::FailedSelection;
    }
    const PathList files = session.DirFileList;
    bool asked = false;
    if (stoppedByDbcsQuestion(files, ctx, &asked)) return RunOutcome::StoppedByUser;
    // Start-delete counts through the files while it checks them.
    if (!namesPass(op, typed, files, ctx, op == Operation::StartDel)) {
        // A name that fails the check keeps the undo of the run before.
        startRenames(files, session);
        return RunOutcome::FailedValidation;
    }
    // A refused plan leaves the session as it was, ResultList included.
    if (!planConfirmed(op, typed, files, ctx)) return RunOutcome::StoppedByUser;
    startRenames(files, session);
    // While the user is asked, other programs may change the folder unseen:
    // the listing's ids then stand for nothing, and each is looked up after
    // its rename.
    const bool idsCurrent = !asked && !ctx.confirmPlan;
    return renameAll(op, typed, ctx, session, false, idsCurrent ? &listedIds : nullptr);
}

RunOutcome runUndo(RunContext& ctx, Session& session)
{
    if (!hasUndo(session)) return RunOutcome::FailedSelection;
    const std::size_t count = session.UndoCount;
    const PathList before = session.UndoBefore;
    // The paths the files have now.
    const PathList after = session.UndoAfter.first(count);
    EntryIdList& ids = session.UndoIds;
    session.SourceList = after;
    session.ResultList = PathList();
    const FileSystemBatch batch(ctx.fs);
    Journaled journal(ctx, {JournalKind::Undo, count, before, after, &ids});
    Text from;
    // Last first, so that a name a later file took is free again before an
    // earlier file goes back to it.
    for (std::size_t i = count; i-- > 0;) {
        ctx.window.showProgress(int(count - i), int(count));
        // What another program put under the new name is not the run's.
        const bool runsOwn = i >= ids.size() || !ids[i].known() || ctx.fs.entryId(after.pathInto(i, from)) == ids[i];
        if (runsOwn && renameListed(ctx.fs, after, before, i)) {
            journal.renamed(count - i, EntryId());
            continue;
        }
        journal.ended(count - 1 - i);
        // An empty line for each file not reached, the failure marker, and
        // each file put back.
        PathListBuilder results;
        for (std::size_t j = 0; j < i; ++j) results.append(std::string_view(), std::string_view());
        results.append(failureLine());
        for (std::size_t j = i + 1; j < count; ++j) results.append(before.folder(j), before.name(j));
        session.ResultList = results.finish();
        // This file and the ones before it can still be put back later.
        session.UndoCount = i + 1;
        ids.shrinkTo(i + 1);
        ask(ctx, renameFailedMessage(after.pathInto(i, from)), PromptKind::Warning, PbAbort);
        return RunOutcome::FailedRename;
    }
    journal.ended(count);
    session.ResultList = before.first(count);
    session.UndoBefore = PathList();
    session.UndoAfter = PathList();
    session.UndoCount = 0;
    ids = EntryIdList();
    notice(ctx, "   変換を完了しました。   ");
    return RunOutcome::Completed;
}

void takeJournalUndo(JournalState& found, Session& session)
{
    session.UndoCount = found.before.size();
    session.UndoBefore = PathList(found.before);
    session.UndoAfter = PathList(found.now);
    session.UndoIds = EntryIdList(found.ids);
    session.UndoOfMarkedFiles = true;
    found.before = StringList();
    found.now = StringList();
    found.ids = std::vector<EntryId>();
}

Text missingFilesNotice(const StringList& missing)
{
    Text text = fixedText("   前回の変換のファイルが見つかりませんでした。   ");
    const std::size_t shown = std::min<std::size_t>(missing.size(), 10);
    for (std::size_t i = 0; i < shown; ++i) text += "\n\r   " + missing[i];
    if (shown < missing.size()) text += fixedText("\n\r   ほか ") + std::to_string(missing.size() - shown);
    return text;
}

bool ListFile(FileSystem& fs, const Text& dir, PathList& dirFileList, EntryIdList* ids)
{
    dirFileList = PathList();
    Text prefix = dir;
    if (!endsWithSeparator(dir)) prefix += pathSeparator();
    PathListBuilder files;
    // Each name goes straight into the list, beside the folder held once.
    const bool complete = fs.forEachDirEntry(dir, [&](const DirEntry& entry) {
        if (entry.isDirectory || entry.name == "." || entry.name == "..") return;
        files.append(prefix, entry.name);
        if (ids) ids->push_back(entry.id);
    });
    if (complete) dirFileList = files.finish();
    return complete;
}
