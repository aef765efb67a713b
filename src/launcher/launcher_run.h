#pragma once
// Starting a launcher entry on the report: the run chooser's lines, the
// "%f" substitution and the start through the shell, without widgets.
#include "launcher/launcher_table.h"
#include "platform/codepage.h"
#include "platform/prompter.h"

#include <cstddef>
#include <vector>

class ShellOpener;

// Shortcut, two blanks, title, as read from the settings file.
Text chooserLine(const LauncherEntry& entry);

// The run chooser's lines: one per used row in row order, or one empty line
// (that starts nothing) when the table has no entry.
struct ChooserList {
    StringList lines;
    std::vector<int> rows;  // the table row of each line; empty for the empty line
};
ChooserList chooserList(const LauncherTable& table);

// LauncherChoice for the line chosen at position: the row of the entry that
// line shows, or -1 when it shows none. With the used rows at the top this
// is position + 1.
int chosenRow(const ChooserList& list, int position);

// The byte position of the first "%f" (case-sensitive, found by a character
// walk), or npos.
std::size_t findPlaceholder(CodePage cp, const Text& value);
// value with its first "%f" replaced by reportPath; no quotes are added.
Text substitutePlaceholder(CodePage cp, const Text& value, const Text& reportPath);

// The longest program file, parameter string or directory that is handed to
// the shell, in bytes.
inline constexpr std::size_t launchBufferBytes = 255;

struct LaunchRequest {
    Text program;          // ProgName after the substitution
    Text parameters;       // ProgOption after the substitution
    StringList arguments;  // ProgOption split into arguments, the report path one piece
    Text directory;        // ProgDir as stored
};
// The report path keeps its blanks and quotes inside the argument that held
// "%f", so a report path with blanks reaches the program as one argument.
LaunchRequest launchRequest(CodePage cp, const LauncherEntry& entry, const Text& reportPath);

// The failure message naming the program that did not start.
Text launchFailureMessage(const Text& program);

// "    " + program + " が終了コード " + status + " で終了しました。          ":
// the program ended with an error within its first second.
Text earlyExitMessage(const Text& program, int status);

enum class LaunchOutcome { NothingChosen, Started, Failed };

// Starts the row LauncherChoice of the table on the report: nothing for a
// choice outside 1 to 9. A value longer than launchBufferBytes is refused
// with a warning (one OK button) that names the field that is too long; a
// failure to start is reported with the failure message (warning, abort)
// naming the program after substitution.
LaunchOutcome startLauncherChoice(const LauncherState& state, const Text& reportPath,
                                  ShellOpener& shell, Prompter& prompter);
