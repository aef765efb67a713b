#include "launcher/launcher_editor.h"

#include "platform/path.h"

Text missingTitleMessage()
{
    return fixedText("    タイトル名は必ず指定してください。          ");
}

Text missingProgramMessage()
{
    return fixedText("    実行ファイル名は必ず指定してください。          ");
}

bool checkAndStoreEntry(const LauncherEntry& fields, LauncherWorkCopy& workCopy, int row,
                        Prompter& prompter)
{
    const auto line = std::size_t(row);
    if (fields.ProgTitle.empty()) {
        prompter.ask(missingTitleMessage(), PromptKind::Warning, PbOk);
        return false;
    }
    workCopy.ProgTitle.at(line) = fields.ProgTitle;
    if (fields.ProgName.empty()) {
        // The title stays stored, also when the editor is then cancelled.
        prompter.ask(missingProgramMessage(), PromptKind::Warning, PbOk);
        return false;
    }
    workCopy.ProgName.at(line) = fields.ProgName;
    workCopy.ProgOption.at(line) = fields.ProgOption;
    workCopy.ProgDir.at(line) = fields.ProgDir;
    workCopy.ProgShortCut.at(line) = fields.ProgShortCut.empty() ? Text(" ") : fields.ProgShortCut;
    return true;
}

LauncherEntry browseResult(CodePage cp, const Text& chosen, LauncherEntry fields)
{
    // k: the byte position, counted from 1, of the last separator; 0 for none.
    const std::size_t k = pathPartLength(cp, chosen);
    if (fields.ProgTitle.empty()) fields.ProgTitle = chosen.substr(k);
    fields.ProgName = chosen;
    fields.ProgOption.clear();
    if (k == 0)
        fields.ProgDir.clear();
    else if (k == 1)
        fields.ProgDir = chosen.substr(0, 1);  // the root directory itself
    else
        fields.ProgDir = chosen.substr(0, k - 1);
    return fields;
}
