#pragma once
// Where the settings file, the report and the help live. Every caller (the first-start
// test, the settings, the report, the launcher's "%f", the messages naming
// them) takes its paths from here.
#include "platform/text.h"

#include <optional>

class FileSystem;

struct DataFiles {
    Text settingsFile;
    Text reportFile;
    bool besideProgram = true;  // a portable copy: both files beside the program
    Text journalFile;           // the undo journal, beside the report
};

// The files a portable copy keeps beside its program: the program path with
// its extension replaced by ".INI" and ".TXT".
Text settingsFileBesideProgram(const Text& programPath);
Text reportFileBesideProgram(const Text& programPath);

// Beside the program when its folder is writable by this user and is not a
// folder of programs shared with others ("bin", "sbin"). Otherwise in the
// user's folders: $XDG_CONFIG_HOME/vorel/vorel.INI and
// $XDG_STATE_HOME/vorel/vorel.TXT (the journal vorel.LOG beside it), where an unset, empty or relative value
// stands for ~/.config and ~/.local/state.
DataFiles locateDataFiles(const Text& programPath);

// locateDataFiles; for files in the user's folders it also creates those
// folders and, when the user has no settings file yet, starts it as a copy of
// the one beside the program if there is one. A folder or copy that cannot be
// made is left for the first write to report, naming the file.
DataFiles prepareDataFiles(const Text& programPath);

// The help file of the program folder programDir (ending in "/"):
// "VOREL.HLP" there where it exists, else the HTML help beside the program
// (help/index.html), else the one of a system install
// (../share/doc/vorel/help/index.html); nullopt when none exists.
std::optional<Text> helpDocument(const Text& programDir, FileSystem& fs);
