#include "platform/data_files.h"

#include "platform/codepage.h"
#include "platform/fs.h"
#include "platform/path.h"

Text settingsFileBesideProgram(const Text& programPath)
{
    return replaceExtension(activeCodePage(), programPath, ".INI");
}

Text reportFileBesideProgram(const Text& programPath)
{
    return replaceExtension(activeCodePage(), programPath, ".TXT");
}

std::optional<Text> helpDocument(const Text& programDir, FileSystem& fs)
{
    for (const Text& candidate : {programDir + "VOREL.HLP", programDir + "help/index.html",
                                  pathInFolder(folderAndName(programDir).folder, "share/doc/vorel/help/index.html")})
        if (fs.fileExists(candidate)) return candidate;
    return std::nullopt;
}
