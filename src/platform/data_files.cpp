#include "platform/data_files.h"

#include "platform/codepage.h"
#include "platform/path.h"

Text settingsFileBesideProgram(const Text& programPath)
{
    return replaceExtension(activeCodePage(), programPath, ".INI");
}

Text reportFileBesideProgram(const Text& programPath)
{
    return replaceExtension(activeCodePage(), programPath, ".TXT");
}
