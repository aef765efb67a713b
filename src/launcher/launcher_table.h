#pragma once
// The launcher's table of up to nine programs, its settings sections, and the
// working copy that the settings dialog edits.
#include "platform/codepage.h"
#include "platform/desktop_apps.h"
#include "platform/text.h"

#include <array>
#include <cstddef>
#include <functional>

class IniFile;

struct LauncherEntry {
    Text ProgTitle;     // empty: a free row, whatever the other fields hold
    Text ProgName;      // program file; may hold "%f"
    Text ProgOption;    // parameters; may hold "%f"
    Text ProgDir;       // working directory; may be empty
    Text ProgShortCut;  // put before the title in the run chooser; " " for none

    bool operator==(const LauncherEntry&) const = default;
};

// The fields in the order of their settings sections.
inline constexpr std::array<Text LauncherEntry::*, 5> launcherFields = {
    &LauncherEntry::ProgTitle, &LauncherEntry::ProgName, &LauncherEntry::ProgOption,
    &LauncherEntry::ProgDir, &LauncherEntry::ProgShortCut};
// The section of each field, same order: "ProgTitle", "ProgName", ...
extern const std::array<const char*, 5> launcherSections;

inline constexpr int launcherRowCount = 9;

// Rows 1 to 9; slot 0 exists so that a row is indexed by its number, and is
// never read or written.
struct LauncherTable {
    std::array<LauncherEntry, launcherRowCount + 1> rows;

    LauncherEntry& operator[](int row) { return rows.at(std::size_t(row)); }
    const LauncherEntry& operator[](int row) const { return rows.at(std::size_t(row)); }
    bool operator==(const LauncherTable&) const = default;
};

// Reads the 45 values (each section's keys "1" to "9", empty default) into
// rows 1 to 9.
void readLauncherTable(const IniFile& ini, LauncherTable& table);

// Writes the 45 values, free rows included, section by section in the order
// of launcherSections, in one rewrite; throws its write error.
void writeLauncherTable(IniFile& ini, const LauncherTable& table);

// Finds the desktop's application for a MIME type.
using DesktopLookup = std::function<std::optional<DesktopApplication>(const std::string&)>;

// The table that a first start writes. The system kind is "WINNT" when
// systemRoot is not empty, "WINDOWS" when winBootDir is not empty (this wins);
// windowsDir is put before the default program files. Without a system kind
// (Linux), row 1 is the desktop's text editor for "text/plain" (shortcut
// "M") and row 2 the desktop's opener "xdg-open" (shortcut "W"), both with
// the option "%f"; without an editor the opener is row 1. Rows without a
// default program are empty with the shortcut "*". Values in the active code
// page.
LauncherTable firstRunLauncherTable(const Text& systemRoot, const Text& winBootDir,
                                    const Text& windowsDir,
                                    const DesktopLookup& lookup = defaultApplicationFor);

// A launcher row for a desktop application: its name as title (the program
// file's name when the name cannot be held in the code page), its program,
// its other arguments quoted where needed and "%f".
LauncherEntry desktopLauncherEntry(CodePage cp, const DesktopApplication& app, const Text& shortcut);

// The dialog's working copy: five lists, one per field; line i is row i+1.
// Created with nine lines; a paste makes every list one line longer, but only
// lines 0 to 8 are ever shown, edited or saved.
struct LauncherWorkCopy {
    StringList ProgTitle, ProgName, ProgOption, ProgDir, ProgShortCut;

    std::size_t size() const { return ProgTitle.size(); }
    LauncherEntry line(std::size_t i) const;
    void setLine(std::size_t i, const LauncherEntry& entry);
    void insertLine(std::size_t i, const LauncherEntry& entry);
    void eraseLine(std::size_t i);
    void appendLine(const LauncherEntry& entry);
    void swapLines(std::size_t a, std::size_t b);
    void clear();

    static LauncherWorkCopy fromTable(const LauncherTable& table);
    // Lines 0 to 8 into rows 1 to 9.
    void copyInto(LauncherTable& table) const;
};

// The launcher's state, owned by the main window for its whole life.
struct LauncherState {
    LauncherTable Table;
    LauncherWorkCopy WorkCopy;  // only while the settings dialog is open
    int LauncherEditRow = 0;    // the working-copy line the entry editor writes to
    int LauncherChoice = -1;    // the row to start, or -1 for none
};
