#pragma once
// The user's home and the XDG base folders, worked out once for every caller
// (the settings and report, the desktop's lists and entries). Following the
// XDG rule, a relative value of a variable is ignored.
#include "platform/text.h"

// $HOME when it holds an absolute path, else the home of the user's account,
// else "/".
Text homeFolder();

// A folder of the user's: the variable (XDG_CONFIG_HOME, XDG_STATE_HOME,
// XDG_DATA_HOME) when it holds an absolute path, else fallback under the home
// folder (".config"); without a separator at the end.
Text userFolder(const char* variable, const char* fallback);

// The absolute folders of a search-path variable (XDG_CONFIG_DIRS,
// XDG_DATA_DIRS) in their order, else those of defaults
// ("/usr/local/share:/usr/share"); without a separator at the end.
StringList searchFolders(const char* variable, const char* defaults);
