#include "report/report.h"

#include "platform/codepage.h"
#include "platform/path.h"

#include <algorithm>

namespace {

constexpr const char* failureMarker = "=== 変換失敗 ===";
constexpr const char* notFoundMarker = " == ファイル無 ==";

// Lines are collected and written in blocks of about this size, so that a
// report of many files costs few writes and little memory.
constexpr std::size_t writeBlockSize = 64 * 1024;

const Text& entryAt(const StringList& list, std::size_t i)
{
    static const Text empty;
    return i < list.size() ? list[i] : empty;
}

void appendLine(Text& block, const Text& entry)
{
    if (entry.find_first_of("\r\n") == Text::npos) {
        block += entry;
    } else {
        for (char c : entry) {
            if (c == '\r') block += "\\r";
            else if (c == '\n') block += "\\n";
            else block += c;
        }
    }
    block += "\r\n";
}

}  // namespace

Text reportFilePath(const Text& programPath)
{
    return replaceExtension(activeCodePage(), programPath, ".TXT");
}

Text reportEntryOf(FileSystem& fs, const Text& result)
{
    // The marker has no path part; looking it up would find a file of that
    // name in the working directory.
    if (result == fixedText(failureMarker)) return fixedText(notFoundMarker);
    const PathSplit split = splitPath(activeCodePage(), result);
    const EntryInfo info = fs.lookupEntry(result);
    if (!info.exists) return split.pathPart + fixedText(notFoundMarker);
    // A path ending in a separator names its directory as given.
    if (split.namePart.empty() || info.storedName.empty()) return result;
    return split.pathPart + info.storedName;
}

void buildReportList(FileSystem& fs, const StringList& resultList, StringList& reportList)
{
    reportList.clear();
    reportList.reserve(resultList.size());
    for (const Text& result : resultList) reportList.push_back(reportEntryOf(fs, result));
}

Text reportLine(const Text& entry)
{
    Text line;
    appendLine(line, entry);
    line.resize(line.size() - 2);
    return line;
}

StringList reportLines(const StringList& sourceList, const StringList& resultList,
                       const StringList& reportList)
{
    const std::size_t positions =
        std::max({sourceList.size(), resultList.size(), reportList.size()});
    StringList lines;
    lines.reserve(positions * 4);
    for (std::size_t i = 0; i < positions; ++i) {
        lines.push_back(reportLine(entryAt(sourceList, i)));
        lines.push_back(reportLine(entryAt(resultList, i)));
        lines.push_back(reportLine(entryAt(reportList, i)));
        lines.emplace_back();
    }
    return lines;
}

bool writeReportFile(FileSystem& fs, const Text& path, const StringList& lines)
{
    std::unique_ptr<TextFileWriter> file = fs.createTextFile(path);
    if (!file) return false;
    Text block;
    block.reserve(writeBlockSize + 256);
    for (const Text& line : lines) {
        appendLine(block, line);
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
    const StringList lines = reportLines(session.SourceList, session.ResultList, session.ReportList);
    view.fillList(lines);
    if (!writeReportFile(fs, reportPath, lines)) {
        prompter.ask(fixedText("   ファイルに保存できませんでした。          "), PromptKind::Warning,
                     PbAbort);
        return ReportOutcome::SaveFailed;
    }
    return ReportOutcome::Saved;
}
