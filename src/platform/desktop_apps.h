#pragma once
// The desktop's default application for a MIME type, found as the XDG MIME
// application rules find it (mimeapps.list, then mimeinfo.cache).
#include <optional>
#include <string>
#include <vector>

struct DesktopApplication {
    std::string name;                    // the entry's Name, UTF-8
    std::string program;                 // the program as Exec names it
    std::vector<std::string> arguments;  // Exec's other arguments, "%f" where the file goes
};

// The first usable application for mimeType: the defaults of the
// mimeapps.list files in $XDG_CONFIG_HOME, $XDG_CONFIG_DIRS,
// $XDG_DATA_HOME/applications and $XDG_DATA_DIRS/applications (in that
// order, the desktop-specific lists of $XDG_CURRENT_DESKTOP before each
// plain one), then their added associations and the mimeinfo.cache files,
// less the removed associations. Usable means: the desktop entry is found in
// an applications folder, is an application, neither hidden nor meant for a
// terminal, and its program (and TryExec) can be found.
std::optional<DesktopApplication> defaultApplicationFor(const std::string& mimeType);

// The arguments of a desktop entry's Exec value, program first, with the
// quoting and escapes of desktop entries undone. The first
// file or URL field code (%f, %F, %u, %U) becomes "%f", a missing one is
// added at the end, the other field codes are dropped and "%%" is "%".
// nullopt when the value is malformed (an unclosed quote).
std::optional<std::vector<std::string>> desktopExecArguments(const std::string& exec);
