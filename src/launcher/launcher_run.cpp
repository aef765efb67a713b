#include "launcher/launcher_run.h"

#include "platform/shell.h"

#include <utility>

Text chooserLine(const LauncherEntry& entry)
{
    return entry.ProgShortCut + "  " + entry.ProgTitle;
}

ChooserList chooserList(const LauncherTable& table)
{
    ChooserList list;
    for (int row = 1; row <= launcherRowCount; ++row) {
        if (table[row].ProgTitle.empty()) continue;
        list.lines.push_back(chooserLine(table[row]));
        list.rows.push_back(row);
    }
    if (list.lines.empty()) list.lines.emplace_back();
    return list;
}

int chosenRow(const ChooserList& list, int position)
{
    if (position < 0 || std::size_t(position) >= list.rows.size()) return -1;
    return list.rows[std::size_t(position)];
}

std::size_t findPlaceholder(CodePage cp, const Text& value)
{
    for (std::size_t i = 0; i < value.size();) {
        if (value.compare(i, 2, "%f") == 0) return i;
        const int n = charLength(cp, value.c_str() + i);
        i += n > 0 ? std::size_t(n) : 1;
    }
    return Text::npos;
}

Text substitutePlaceholder(CodePage cp, const Text& value, const Text& reportPath)
{
    const std::size_t at = findPlaceholder(cp, value);
    if (at == Text::npos) return value;
    Text result = value;
    result.replace(at, 2, reportPath);
    return result;
}

LaunchRequest launchRequest(CodePage cp, const LauncherEntry& entry, const Text& reportPath)
{
    LaunchRequest request;
    request.program = substitutePlaceholder(cp, entry.ProgName, reportPath);
    request.parameters = substitutePlaceholder(cp, entry.ProgOption, reportPath);
    const std::size_t at = findPlaceholder(cp, entry.ProgOption);
    request.arguments = at == Text::npos
                            ? splitCommandArguments(entry.ProgOption)
                            : splitCommandArguments(entry.ProgOption, at, 2, reportPath);
    request.directory = entry.ProgDir;
    return request;
}

Text launchFailureMessage(const Text& program)
{
    return fixedText("    ") + program + fixedText(" の実行に失敗しました。          ");
}

Text earlyExitMessage(const Text& program, int status)
{
    return fixedText("    ") + program + fixedText(" が終了コード ") + std::to_string(status) +
           fixedText(" で終了しました。          ");
}

LaunchOutcome startLauncherChoice(const LauncherState& state, const Text& reportPath,
                                  ShellOpener& shell, Prompter& prompter)
{
    const int row = state.LauncherChoice;
    if (row < 1 || row > launcherRowCount) return LaunchOutcome::NothingChosen;

    const LaunchRequest request = launchRequest(activeCodePage(), state.Table[row], reportPath);
    const std::pair<const Text*, const char*> values[] = {
        {&request.program, "    実行ファイル名が長すぎます。          "},
        {&request.parameters, "    オプションが長すぎます。          "},
        {&request.directory, "    実行ディレクトリが長すぎます。          "}};
    for (const auto& [value, message] : values) {
        if (value->size() > launchBufferBytes) {
            prompter.ask(fixedText(message), PromptKind::Warning, PbOk);
            return LaunchOutcome::Failed;
        }
    }
    if (shell.open(request.program, request.arguments, request.directory))
        return LaunchOutcome::Started;
    prompter.ask(launchFailureMessage(request.program), PromptKind::Warning, PbAbort);
    return LaunchOutcome::Failed;
}
