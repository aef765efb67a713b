#pragma once
// The confirmation report: what the file system holds after a run, the
// report's lines and the report file.
#include "platform/fs.h"
#include "platform/prompter.h"
#include "rename/session.h"

#include <string_view>

// Makes reportList one report entry per resultList line, in one batch of
// the file system. An entry that is its ResultList line itself (the file
// found as instructed, or an empty line) is held as an empty text, so that
// the usual report does not hold every path a second time; every other
// entry is held in full (it is never empty).
void buildReportList(FileSystem& fs, const PathList& resultList, PathList& reportList);

// The report entry at position i in full (written into buffer, or held by
// a list), an empty text past the end of reportList.
std::string_view reportEntryAt(const PathList& resultList, const PathList& reportList, std::size_t i,
                               Text& buffer);
StringList reportEntries(const PathList& resultList, const PathList& reportList);

// A list entry as a report line. A line break inside a name would split its
// group, so each CR byte is written as the two characters "\r" and each LF
// byte as "\n"; every other byte is kept as it is.
Text reportLine(const Text& entry);

// The report's lines, read from the three lists by position without copying
// them: for each position the source, the result, the report entry and an
// empty line. Every position that any of the lists holds is covered, from
// the first; a list too short for a position gives an empty line there, so a
// stopped run still shows every path from before it. No list is read past
// its end. The lists are held, so they stay as they were made.
class ReportLines {
public:
    ReportLines(PathList sourceList, PathList resultList, PathList reportList);
    std::size_t size() const { return positions_ * 4; }
    // Line i (below size()), as reportLine gives it, written into scratch.
    std::string_view line(std::size_t i, Text& scratch) const;

private:
    PathList source_;
    PathList result_;
    PathList report_;
    std::size_t positions_;
};

// Creates (or replaces) the file at path and writes every line followed by
// CR LF, bytes as held. No header, no byte-order mark. False when creating,
// any write or the closing fails; what was written before stays in the file.
bool writeReportFile(FileSystem& fs, const Text& path, const ReportLines& lines);

// What the confirmation command needs of the view that shows the report.
class ReportView {
public:
    virtual ~ReportView() = default;
    // Applies the main window's list settings to the view's list. May throw
    // the integer error (AppError) of a size or colour that does not parse.
    virtual void applyListSettings() = 0;
    // Shows the report lines, one list item each.
    virtual void fillList(const ReportLines& lines) = 0;
};

enum class ReportOutcome {
    NothingConverted,  // empty ResultList: told so, nothing written
    SaveFailed,        // the report file could not be written: told so
    Saved,             // the view holds the lines and may be shown
};

// The confirmation command up to showing the view: with an empty ResultList
// says that nothing was converted and ends; otherwise rebuilds ReportList,
// lets the view apply its list settings and take the report lines, then
// writes the report file at reportPath, saying so when that fails. An AppError
// from applying the list settings passes through: ReportList is then
// rebuilt, nothing is written and the view stays empty. SourceList and
// ResultList are never changed.
ReportOutcome makeReport(Session& session, FileSystem& fs, Prompter& prompter,
                         const Text& reportPath, ReportView& view);
