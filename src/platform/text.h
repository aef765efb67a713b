#pragma once
// Names, paths, settings values and report lines are byte strings in the
// active code page; they travel from the command line to the file system
// without a round trip through Unicode.
#include <string>
#include <vector>

using Text = std::string;
using StringList = std::vector<Text>;
