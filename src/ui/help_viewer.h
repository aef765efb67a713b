#pragma once
// Our stand-in for the help viewer: finds the help document and opens it
// with the desktop's associated program (for HTML, the browser).
#include "ui/prompter.h"

#include <optional>

class FileSystem;

// The help file of the program folder programDir (ending in "/"):
// "VOREL.HLP" there where it exists, else the HTML help beside the program
// (help/index.html), else the one of a system install
// (../share/doc/vorel/help/index.html); nullopt when none exists.
std::optional<Text> helpDocument(const Text& programDir, FileSystem& fs);

// Opens helpDocument; says so when there is none (naming "VOREL.HLP") or
// when it could not be opened.
void showHelpContents(const Text& programDir, FileSystem& fs, Prompter& prompter);
