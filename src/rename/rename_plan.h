#pragma once
// What a run would do, worked out before it starts: the new path of every
// entry and the problem the run would meet there, if any. The run and the
// preview form the names with the same naming rule (newFullPath).
#include "platform/fs.h"
#include "rename/naming.h"

#include <vector>

enum class PlanStatus {
    Ok,            // the rename should succeed
    Unchanged,     // the new path is the old one
    NameTaken,     // another entry already has the new name
    SameNewName,   // an earlier file of the run gets the same new name
    TooLong,       // the new name is over 255 bytes or the path over the system's limit
    BadName,       // the new name would leave the folder, or is empty, "." or ".."
    Missing,       // the file is no longer there
};

struct PlannedRename {
    Text to;  // the new path; empty for BadName
    PlanStatus status = PlanStatus::Ok;
};

// The plan of a run of op (with the typed text) over entries, in their order.
// Each directory is listed once; the names are then checked against that
// listing as the run would change it, each file that should succeed leaving
// its old name and taking its new one. Where the directory may fold letter
// case, a name taken under another spelling counts as taken (unless it is
// the file's own). A file with a problem is taken to stay where it is.
std::vector<PlannedRename> planRenames(Operation op, const Text& typed, const StringList& entries,
                                       FileSystem& fs);

// The status line of the preview: empty for Ok, otherwise the problem,
// "=== ... ===", in the active code page.
Text planStatusLine(PlanStatus status);

// How many entries of the plan have a problem (any status but Ok).
std::size_t planProblems(const std::vector<PlannedRename>& plan);
