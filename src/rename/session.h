#pragma once
// The state that the main window owns for the whole run of the program and
// that the rename, directory and report commands read and fill.
#include "platform/fs.h"
#include "platform/text.h"

class RunJournal;

#include <cstddef>
#include <cstdint>

// The ResultList line of a file whose rename failed (UTF-8).
inline constexpr const char* renameFailureMarker = "=== 変換失敗 ===";

struct Session {
    StringList SourceList;   // paths as received, or a listed directory's files
    StringList ResultList;   // one line per processed file of the last run
    StringList ReportList;   // one line per ResultList line, built by each report
    StringList DirFileList;  // full paths of the last listed directory's files
    std::int32_t DbcsMessageMode = 3;  // 1 never ask, 2 first name only, 3 every name
    // The renames of the last run that have not been put back, in its list
    // order: the paths the files had and the paths they were given. Right
    // after a run they are not copied: they are the first UndoShared lines of
    // SourceList and ResultList, and UndoBefore and UndoAfter are empty.
    // Whatever changes SourceList or ResultList while UndoShared is set
    // first moves them here.
    StringList UndoBefore;
    StringList UndoAfter;
    std::size_t UndoShared = 0;
    // The entry each renamed file was right after its rename, in the same
    // order: the undo puts back only that entry.
    std::vector<EntryId> UndoIds;
    bool UndoOfMarkedFiles = false;  // whether they come from a run over the marked files
};

// Whether the last run left a rename to put back.
inline bool hasUndo(const Session& session)
{
    return session.UndoShared > 0 || !session.UndoAfter.empty();
}

// What a command run from a dialog needs of the main window.
class ConversionHost {
public:
    virtual ~ConversionHost() = default;
    // The lines of the main window's list, in display order.
    virtual const StringList& markedPaths() const = 0;
    // Before a run that replaces SourceList by other paths (a directory run,
    // an undo): the list goes on showing the lines it shows now.
    virtual void keepMarkedPaths() = 0;
    // After a completed run: disables the main window's BtnUpper, BtnLower
    // and BtnExt and makes BtnConfirm its focused control.
    virtual void conversionCompleted() = 0;
    // The journal the runs write, if any.
    virtual RunJournal* journal() { return nullptr; }
};
