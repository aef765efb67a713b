#pragma once
// The undo journal: before the first rename of a run or an undo its plan is
// on disk, the count of renames done follows as the run goes, and a mark
// ends it. The next start reads it to offer the undo again, or, when the
// run was cut short, to find every file and put the renamed ones back.
#include "platform/entry_id_list.h"
#include "platform/fs.h"
#include "platform/path_list.h"
#include "platform/text.h"

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

enum class JournalKind {
    Run,   // old -> new, in list order
    Undo,  // new -> old, last first
};

// What a run tells its journal.
// The plan of a run or an undo over its first count files: file i had
// oldPaths[i] before the run, the run gives it newPaths[i], and ids, where
// given, tells which entry it is (an unknown id, or none past its end, where
// that is not known).
struct JournalPlan {
    JournalKind kind;
    std::size_t count;
    const PathList& oldPaths;
    const PathList& newPaths;
    const EntryIdList* ids = nullptr;
};

class RunJournal {
public:
    virtual ~RunJournal() = default;
    // Writes the plan and makes it durable; returns the tag of the temporary
    // names of the case-only renames it recorded ("" when none).
    virtual Text planned(const JournalPlan& plan) = 0;
    // After each rename, done counting from 1; id is the entry now under the
    // new path (unused for an undo).
    virtual void renamed(std::size_t done, const EntryId& id) = 0;
    // The run has ended, with done renames.
    virtual void ended(std::size_t done) = 0;
};

// The journal file vorel.LOG, written as the run goes.
class JournalFile : public RunJournal {
public:
    explicit JournalFile(Text path) : path_(std::move(path)) {}
    ~JournalFile() override;
    Text planned(const JournalPlan& plan) override;
    void renamed(std::size_t done, const EntryId& id) override;
    void ended(std::size_t done) override;
    const Text& path() const { return path_; }

private:
    void append(bool durable);

    Text path_;
    int fd_ = -1;
    bool recordsIds_ = false;
    std::string pending_;
    std::size_t done_ = 0;
    std::size_t sinceAppend_ = 0;
    std::chrono::steady_clock::time_point lastAppend_{};
};

// The file names that may be the temporary one of a case-only rename.
bool mayBeCaseOnly(const Text& from, const Text& to);

// Writes the journal's bytes for a plan (without the records that follow
// it) through flush, a piece at a time; false when flush failed. recordsIds
// tells whether the run's records must add the ids the plan lacks.
bool writeJournalPlan(const JournalPlan& plan, const Text& tag, const Text& bootId,
                      const std::function<bool(const std::string&)>& flush, bool& recordsIds);

// One record of the run, as appended: an entry's id, the count done, the end.
void appendJournalIdRecord(std::string& out, const EntryId& id);
std::string journalCountRecord(std::size_t done, bool end);

// What the next start finds.
struct JournalState {
    enum class Status {
        None,         // no journal, one not acted on, or nothing to put back
        Completed,    // the run ended: the undo is offered again
        Interrupted,  // cut short: ask before putting back
    };
    Status status = Status::None;
    // The renames that can be put back, in the run's order: the path each
    // file had, the path it has now (its new or its temporary name), and
    // the entry it is.
    StringList before;
    StringList now;
    std::vector<EntryId> ids;
    // Files of an interrupted run found under none of their names.
    StringList missing;
    // Empty reservations that the cut left under a new or temporary name,
    // removed when the run is put back.
    StringList leftovers;
};

// Reads the journal at path and looks on disk for its files. The journal is
// read only as a regular file within a size bound; one that does not parse
// is renamed to path + ".bad" and not acted on.
constexpr std::size_t maxJournalBytes = 512u * 1024 * 1024;
JournalState readJournal(FileSystem& fs, const Text& path, std::size_t maxBytes = maxJournalBytes);

// Whether a run in another program is writing the journal at path now: its
// lock is held until the run ends.
bool journalInUse(const Text& path);

// A tag for the temporary names of one run.
Text newCaseTempTag();
