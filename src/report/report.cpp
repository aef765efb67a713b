#include "report/report.h"

#include "platform/codepage.h"
#include "platform/path.h"
#include "platform/path_list.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr const char* notFoundMarker = " == ファイル無 ==";

// Lines are collected and written in blocks of about this size, so that a
// report of many files costs few writes and little memory.
constexpr std::size_t writeBlockSize = 64 * 1024;

std::string_view entryAt(const PathList& list, std::size_t i, Text& buffer)
{
    return i < list.size() ? std::string_view(list.pathInto(i, buffer)) : std::string_view();
}

bool holdsLineBreak(std::string_view entry)
{
    // An empty entry may have no bytes at all to point at.
    if (entry.empty()) return false;
    return std::memchr(entry.data(), '\n', entry.size()) ||
           std::memchr(entry.data(), '\r', entry.size());
}

struct Markers {
    Text failure = fixedText(renameFailureMarker);
    Text notFound = fixedText(notFoundMarker);
};

// The report entry of result, or an empty text where it is result itself.
Text entryOf(FileSystem& fs, const Markers& markers, const Text& result)
{
    // The marker has no path part; looking it up would find a file of that
    // name in the working directory.
    if (result == markers.failure) return markers.notFound;
    // A file that an undo did not reach has no instructed path.
    if (result.empty()) return Text();
    const std::size_t nameStart = pathPartLength(activeCodePage(), result);
    const EntryInfo info = fs.lookupEntry(result);
    if (!info.exists) return result.substr(0, nameStart) + markers.notFound;
    // A path ending in a separator names its directory as given.
    if (nameStart == result.size() || info.storedName.empty() ||
        std::string_view(result).substr(nameStart) == info.storedName)
        return Text();
    return result.substr(0, nameStart) + info.storedName;
}

}  // namespace

std::string_view reportEntryAt(const PathList& resultList, const PathList& reportList, std::size_t i,
                               Text& buffer)
{
    const std::string_view entry = entryAt(reportList, i, buffer);
    return entry.empty() && i < reportList.size() ? entryAt(resultList, i, buffer) : entry;
}

StringList reportEntries(const PathList& resultList, const PathList& reportList)
{
    StringList entries;
    Text buffer;
    for (std::size_t i = 0; i < reportList.size(); ++i)
        entries.emplace_back(reportEntryAt(resultList, reportList, i, buffer));
    return entries;
}

void buildReportList(FileSystem& fs, const PathList& resultList, PathList& reportList)
{
    const Markers markers;
    // Each directory is listed at most once, however many files it holds.
    const FileSystemBatch batch(fs);
    PathListBuilder entries;
    Text result;
    // The paths of one folder are found in one reading of its listing where
    // that costs less than a look-up each; a path it does not hold as
    // spelled is looked up, to be told missing or found under its stored name.
    std::vector<bool> listed;
    std::size_t stretch = 0, stretchEnd = 0;
    bool stretchListed = false;
    for (std::size_t i = 0; i < resultList.size(); ++i) {
        if (i == stretchEnd) {
            stretch = i;
            stretchEnd = resultList.runEnd(i);
            stretchListed = fs.findListed(resultList, stretch, stretchEnd, listed);
        }
        if (stretchListed && listed[i - stretch]) {
            entries.append(std::string_view(), std::string_view());
            continue;
        }
        const Text entry = entryOf(fs, markers, resultList.pathInto(i, result));
        if (entry.empty())
            entries.append(std::string_view(), std::string_view());
        else
            entries.append(entry);
    }
    reportList = entries.finish();
}

Text reportLine(const Text& entry)
{
    if (!holdsLineBreak(entry)) return entry;
    Text line;
    line.reserve(entry.size() + 8);
    for (char c : entry) {
        if (c == '\r') line += "\\r";
        else if (c == '\n') line += "\\n";
        else line += c;
    }
    return line;
}

ReportLines::ReportLines(PathList sourceList, PathList resultList, PathList reportList)
    : source_(std::move(sourceList)),
      result_(std::move(resultList)),
      report_(std::move(reportList)),
      positions_(std::max({source_.size(), result_.size(), report_.size()}))
{
}

std::string_view ReportLines::line(std::size_t i, Text& scratch) const
{
    if (i % 4 == 3) return {};
    const std::size_t position = i / 4;
    const std::string_view entry = i % 4 == 0   ? entryAt(source_, position, scratch)
                                   : i % 4 == 1 ? entryAt(result_, position, scratch)
                                                : reportEntryAt(result_, report_, position, scratch);
    if (!holdsLineBreak(entry)) return entry;
    Text escaped = reportLine(Text(entry));
    scratch = std::move(escaped);
    return scratch;
}

bool writeReportFile(FileSystem& fs, const Text& path, const ReportLines& lines)
{
    std::unique_ptr<TextFileWriter> file = fs.createTextFile(path);
    if (!file) return false;
    Text block;
    block.reserve(writeBlockSize + 4096);
    Text scratch;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        block += lines.line(i, scratch);
        block += "\r\n";
        if (block.size() >= writeBlockSize) {
            if (!file->write(block)) {
                file->close();
                return false;
            }
            block.clear();
        }
    }
    if (!block.empty() && !file->write(block)) {
        file->close();
        return false;
    }
    return file->close();
}

ReportOutcome makeReport(Session& session, FileSystem& fs, Prompter& prompter,
                         const Text& reportPath, ReportView& view)
{
    if (session.ResultList.empty()) {
        prompter.ask(fixedText("   ファイル変換がされていません。   "), PromptKind::Information, PbYes);
        return ReportOutcome::NothingConverted;
    }
    buildReportList(fs, session.ResultList, session.ReportList);
    view.applyListSettings();
    const ReportLines lines(session.SourceList, session.ResultList, session.ReportList);
    view.fillList(lines);
    if (!writeReportFile(fs, reportPath, lines)) {
        prompter.ask(fixedText("   ファイルに保存できませんでした。          "), PromptKind::Warning,
                     PbAbort);
        return ReportOutcome::SaveFailed;
    }
    return ReportOutcome::Saved;
}
