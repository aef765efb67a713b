#pragma once
// The rename run that every renaming command performs: the double-byte
// questions, the check of every name where the operation has one, the
// renames in list order with a progress count, the stop at the first
// failure and the completion notice. Disabling buttons and moving the focus
// after a completed run are left to the views.
#include "platform/fs.h"
#include "platform/prompter.h"
#include "rename/journal.h"
#include "rename/naming.h"
#include "rename/session.h"

#include <cstdint>
#include <functional>

// What a run needs of the window it runs in.
struct RunWindow {
    // Called before each file is handled; position counts from 1. A window
    // may show the count later, but no later than the next flushProgress.
    virtual void showProgress(int position, int count) = 0;
    // Called before the run shows a message and when it ends: the last
    // progress must be on screen now.
    virtual void flushProgress() {}
    virtual ~RunWindow() = default;
};

// The caption that counts the files done, in the active code page.
Text progressCaption(int position, int count);

enum class RunOutcome {
    Completed,         // every file renamed, completion notice shown
    StoppedByUser,     // yes to a double-byte question, or the plan refused; nothing renamed
    FailedValidation,  // a name failed the check; nothing renamed
    FailedRename,      // stopped at a failed rename; earlier files stay renamed
    FailedSelection,   // directory operations: no single readable directory marked
};

// Asked after the double-byte questions and the check, before the first
// rename, with what the run is about to do: false ends the run there,
// nothing renamed, as a stop at a double-byte question does.
using PlanConfirmation = std::function<bool(Operation op, const Text& typed, const PathList& entries)>;

struct RunContext {
    FileSystem& fs;
    Prompter& prompter;
    RunWindow& window;
    std::int32_t dbcsMessageMode;  // 1 never ask, 2 first name only, 3 every name; others as 1
    RunJournal* journal = nullptr;  // told the plan before the first rename, if any
    PlanConfirmation confirmPlan = {};  // none: the run goes on at once
};

// One run over the marked paths (entries, in list order). Just before the
// first rename session.SourceList becomes entries and ResultList is emptied;
// at the end ResultList holds one line per file handled. A run that renames at
// least one file (of either kind) replaces the session's undo with the
// renames that succeed; one that renames nothing keeps the undo before it
// (and tells the journal so).
RunOutcome runMarkedOperation(Operation op, const Text& typed, const PathList& entries,
                              RunContext& ctx, Session& session);

// One run over the files directly inside the one marked directory: the
// selection checks, the listing into session.DirFileList, the double-byte
// questions, the check (if any; a name that fails it leaves SourceList :=
// DirFileList and ResultList emptied), the plan's confirmation, then
// SourceList := DirFileList, ResultList emptied and the renames.
RunOutcome runDirectoryOperation(Operation op, const Text& typed, const PathList& marked,
                                 RunContext& ctx, Session& session);

// Puts back the files that the last run renamed (the session's undo), last
// first, each from the path it was given to the path it had, with the same
// never-replacing rename and progress count as a run, but no questions and
// no check. A file is put back only while its new path still names the
// entry the run left there. Stops at the first file it cannot put back, the
// failed file and those before it staying in the undo; a complete undo
// leaves nothing to undo.
// SourceList and ResultList then describe the undo in the last run's order:
// the path before the undo, and the path put back, the failure marker for
// the file that failed, or an empty line for a file not reached.
// FailedSelection, with nothing changed, when there is nothing to undo.
RunOutcome runUndo(RunContext& ctx, Session& session);

// The undo that a journal left, taken from found as the session's undo of
// the marked files.
void takeJournalUndo(JournalState& found, Session& session);
// The message about the files of the last run that are no longer found:
// the first ten paths, and how many more.
Text missingFilesNotice(const StringList& missing);

// Makes dirFileList dir + one separator + name for every entry of the
// directory that is not a directory (links to directories neither), in
// listing order, the folder held once; ids, where given, gets the id of each
// as the listing gave it (unknown where it gave none). False, with the list
// empty, when the directory cannot be read to its end.
bool ListFile(FileSystem& fs, const Text& dir, PathList& dirFileList, EntryIdList* ids = nullptr);
