#pragma once
// The entry editor's check-and-store and its browse rule, without widgets.
#include "launcher/launcher_table.h"
#include "platform/codepage.h"
#include "platform/prompter.h"

// The warnings for an empty title and an empty program file.
Text missingTitleMessage();
Text missingProgramMessage();

// Checks the five field values (title, program file, option, directory,
// shortcut) and stores them at line row of the working copy. A missing title
// warns and stores nothing; a missing program file warns after the title has
// been stored. Nothing is trimmed: blanks count as filled. An empty shortcut
// is stored as " ". True when everything was stored and the editor closes.
bool checkAndStoreEntry(const LauncherEntry& fields, LauncherWorkCopy& workCopy, int row,
                        Prompter& prompter);

// The fields after choosing the file chosen in the browser: the program file
// is the chosen path, the option is emptied, the working directory is the
// path up to its last separator (found by a character walk), the title is
// the file's name when it was empty, and the shortcut stays. A file directly
// in the root directory gets the root itself ("/") as its directory.
LauncherEntry browseResult(CodePage cp, const Text& chosen, LauncherEntry fields);
