#pragma once
// The state that the main window owns for the whole run of the program and
// that the rename, directory and report commands read and fill. Each list is
// replaced whole by the command that makes it; whoever needs a list (the
// main window's list, the report view, the undo) holds it, never a copy.
#include "platform/entry_id_list.h"
#include "platform/fs.h"
#include "platform/path_list.h"
#include "platform/text.h"

class RunJournal;

#include <cstddef>
#include <cstdint>

// The ResultList line of a file whose rename failed (UTF-8).
inline constexpr const char* renameFailureMarker = "=== 変換失敗 ===";

struct Session {
    PathList MarkedPaths;  // the main window's list: the paths received, dropped or added
    PathList SourceList;   // paths as received, or a listed directory's files
    PathList ResultList;   // one line per processed file of the last run
    PathList ReportList;   // one line per ResultList line, built by each report
    PathList DirFileList;  // full paths of the last listed directory's files
    std::int32_t DbcsMessageMode = 3;  // 1 never ask, 2 first name only, 3 every name
    // The renames of the last run that have not been put back, in its list
    // order: the first UndoCount paths of UndoBefore are the paths the files
    // had, those of UndoAfter the paths they were given. Right after a run
    // these are its own SourceList and ResultList, held, not copied.
    PathList UndoBefore;
    PathList UndoAfter;
    std::size_t UndoCount = 0;
    // The entry each renamed file was right after its rename, in the same
    // order: the undo puts back only that entry.
    EntryIdList UndoIds;
    bool UndoOfMarkedFiles = false;  // whether they come from a run over the marked files
};

// Whether the last run left a rename to put back.
inline bool hasUndo(const Session& session)
{
    return session.UndoCount > 0;
}

// What a command run from a dialog needs of the main window.
class ConversionHost {
public:
    virtual ~ConversionHost() = default;
    // After a completed run: disables the main window's BtnUpper, BtnLower
    // and BtnExt and makes BtnConfirm its focused control.
    virtual void conversionCompleted() = 0;
    // The journal the runs write, if any.
    virtual RunJournal* journal() { return nullptr; }
};
