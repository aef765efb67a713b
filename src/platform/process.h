#pragma once
// The running process: its own path, its arguments, its environment, the
// boot it runs in.
#include "platform/text.h"

// The program file's resolved full path (on Linux /proc/self/exe), so that a
// symbolic link to the program still finds its settings.
Text ownProgramPath();

// The value of an environment variable; empty when it is not set.
Text environmentValue(const char* name);

// The command-line arguments after the program path, each exactly as
// received; empty ones are skipped.
StringList argumentsFromArgv(int argc, char** argv);

// What tells this boot from the others (inode numbers of some file systems
// change from one mount to the next), or "" where nothing does.
Text currentBootId();
