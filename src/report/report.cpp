#include "report/report.h"

#include "platform/codepage.h"
#include "platform/path.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr const char* notFoundMarker = " == ファイル無 ==";

// Lines are collected and written in blocks of about this size, so that a
// report of many files costs few writes and little memory.
constexpr std::size_t writeBlockSize = 64 * 1024;

const Text& entryAt(const StringList& list, std::size_t i)
{
    static const Text empty;
    return i < list.size() ? list[i] : empty;
}

bool holdsLineBreak(const Text& entry)
{
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

const Text& reportEntryAt(const StringList& resultList, const StringList& reportList, std::size_t i)
{
    const Text& entry = entryAt(reportList, i);
    return entry.empty() && i < reportList.size() ? entryAt(resultList, i) : entry;
}

StringList reportEntries(const StringList& resultList, const StringList& reportList)
{
    StringList entries;
    for (std::size_t i = 0; i < reportList.size(); ++i) entries.push_back(reportEntryAt(resultList, reportList, i));
    return entries;
}

void buildReportList(FileSystem& fs, const StringList& resultList, StringList& reportList)
{
    const Markers markers;
    // Each directory is listed at most once, however many files it holds.
    const FileSystemBatch batch(fs);
    reportList.clear();
    reportList.reserve(resultList.size());
    for (const Text& result : resultList) reportList.push_back(entryOf(fs, markers, result));
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

ReportLines::ReportLines(const StringList& sourceList, const StringList& resultList,
                         const StringList& reportList)
    : source_(sourceList),
      result_(resultList),
      report_(reportList),
      positions_(std::max({sourceList.size(), resultList.size(), reportList.size()}))
{
}

std::string_view ReportLines::line(std::size_t i, Text& scratch) const
{
    if (i % 4 == 3) return {};
    const std::size_t position = i / 4;
    const Text& entry = i % 4 == 0   ? entryAt(source_, position)
                        : i % 4 == 1 ? entryAt(result_, position)
                                     : reportEntryAt(result_, report_, position);
    if (!holdsLineBreak(entry)) return entry;
    scratch = reportLine(entry);
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
