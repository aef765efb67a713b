#pragma once
// Our stand-in for the help viewer: opens the help file with the desktop's
// associated program, and says so when the file is missing.
#include "ui/prompter.h"

class FileSystem;

void showHelpContents(const Text& helpFile, FileSystem& fs, Prompter& prompter);
