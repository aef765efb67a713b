#include "ui/help_viewer.h"

#include "platform/codepage.h"
#include "platform/fs.h"
#include "ui/qt_text.h"

#include <QDesktopServices>
#include <QUrl>

void showHelpContents(const Text& helpFile, FileSystem& fs, Prompter& prompter)
{
    if (!fs.fileExists(helpFile)) {
        prompter.ask(fixedText("   ヘルプファイル ") + helpFile +
                         fixedText(" が見つかりません。          "),
                     PromptKind::Warning, PbOk);
        return;
    }
    const QString local = QString::fromLocal8Bit(helpFile.data(), qsizetype(helpFile.size()));
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(local)))
        prompter.ask(fixedText("   ヘルプファイル ") + helpFile +
                         fixedText(" を表示できませんでした。          "),
                     PromptKind::Warning, PbOk);
}
