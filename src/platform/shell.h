#pragma once
// Opening a program or a document as the desktop's shell does. Nothing goes
// through a command interpreter: a parameter string is split into arguments
// here, so no value can run a command of its own.
#include "platform/text.h"

#include <cstddef>

// Splits a parameter string into arguments as QProcess::splitCommand does:
// blanks (space, tab, CR, LF, VT, FF) separate arguments, double quotes group
// a run with blanks into one argument and are removed, three double quotes in
// a row stand for one literal double quote. Empty arguments are dropped.
// Multibyte characters never separate (their bytes are all above 0x3F or
// 0x7F), so a full-width blank stays inside its argument.
StringList splitCommandArguments(const Text& command);

// The same, with the length bytes at position at taken out of command and
// literal put in their place as plain argument text: blanks and double quotes
// in literal neither separate nor group; it becomes part of the argument it
// stands in.
StringList splitCommandArguments(const Text& command, std::size_t at, std::size_t length,
                                 const Text& literal);

// Opens file:
// - an executable file (a path, or a bare name found on PATH) is started
//   with the arguments, in directory when that is not empty;
// - any other existing file (or directory) is opened with the desktop's
//   associated program (xdg-open), which gets the file as its one argument;
//   the arguments are not used.
// A relative path is taken from directory when given, else from the current
// directory. The program is started detached: it gets a session of its own,
// is never waited for and leaves no zombie. False when file is empty or
// missing, when directory is given but is not a directory, or when the
// program could not be started (the failure of exec is reported back).
// With earlyExit, a started program (not a document) is watched for its
// first second: *earlyExit is then a descriptor that delivers its exit
// status (an int; 128 + the signal) if it ended with an error in that time,
// and ends without one otherwise. The caller closes it.
bool openWithShell(const Text& file, const StringList& arguments, const Text& directory,
                   int* earlyExit = nullptr);
// Once earlyExit is readable: the status it delivered, or -1 when the
// program ran on or ended well. Closes earlyExit.
int takeEarlyExitStatus(int earlyExit);
// The same with a parameter string, split by splitCommandArguments.
bool openWithShell(const Text& file, const Text& parameters, const Text& directory);

// The executable that a bare program name stands for, searched in the
// directories of PATH; absolute, or empty when there is none.
Text findProgramOnPath(const Text& name);

// Opens an existing file with the desktop's associated program; false when
// the file is missing or the opener could not be started.
bool openDocument(const Text& path);

// The shell as the launcher asks for it, so that a test can put a shell in
// its place that refuses to start anything.
class ShellOpener {
public:
    virtual ~ShellOpener() = default;
    virtual bool open(const Text& file, const StringList& arguments, const Text& directory) = 0;
    // The early-exit descriptor of the program the last open started (see
    // openWithShell), handed over to the caller; -1 when there is none.
    virtual int takeEarlyExit() { return -1; }
};

// openWithShell.
ShellOpener& systemShell();
