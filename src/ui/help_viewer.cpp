#include "ui/help_viewer.h"

#include "platform/codepage.h"
#include "platform/fs.h"
#include "platform/path.h"
#include "platform/shell.h"

std::optional<Text> helpDocument(const Text& programDir, FileSystem& fs)
{
    for (const Text& candidate : {programDir + "VOREL.HLP", programDir + "help/index.html",
                                  pathInFolder(folderAndName(programDir).folder, "share/doc/vorel/help/index.html")})
        if (fs.fileExists(candidate)) return candidate;
    return std::nullopt;
}

void showHelpContents(const Text& programDir, FileSystem& fs, Prompter& prompter)
{
    const std::optional<Text> help = helpDocument(programDir, fs);
    if (!help) {
        prompter.ask(fixedText("   ヘルプファイル ") + programDir + "VOREL.HLP" +
                         fixedText(" が見つかりません。          "),
                     PromptKind::Warning, PbOk);
        return;
    }
    if (!openDocument(*help))
        prompter.ask(fixedText("   ヘルプファイル ") + *help +
                         fixedText(" を表示できませんでした。          "),
                     PromptKind::Warning, PbOk);
}
