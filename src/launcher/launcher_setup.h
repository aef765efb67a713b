#pragma once
// The commands of the launcher settings dialog, on the working copy and
// without widgets: what the list shows and which line is selected after each.
//
// The list shows the titles of the used rows among lines 0 to 8, without
// gaps, but a list position p stands for working-copy line p (row p+1): with
// a free row above a used row, a command acts on the row at the selected
// position, not on the entry shown there.
#include "launcher/launcher_table.h"
#include "platform/prompter.h"

class IniFile;

// The titles that the list shows for a working copy: the non-empty titles of
// lines 0 to 8 in order, or one empty line when there is none.
StringList launcherListLines(const LauncherWorkCopy& workCopy);

// The warning that all nine rows are taken.
Text launcherLimitMessage();

class LauncherSetup {
public:
    // Fills the working copy from the table and builds the list with its
    // first line selected.
    LauncherSetup(LauncherState& state, Prompter& prompter);

    const StringList& lines() const { return lines_; }
    int selected() const { return selected_; }
    // The list's own selection moved (clamped to the lines shown).
    void select(int position);
    bool pasteEnabled() const { return pasteEnabled_; }
    const LauncherEntry& clipboard() const { return LauncherClipboard; }

    // Add, before the editor: false after the limit warning (nothing else
    // happens). Otherwise LauncherEditRow is the first free row and the
    // editor is to be opened with all fields empty.
    bool beginAdd();
    // After the editor closed, however it closed: refresh and select the line
    // that shows the new entry, or the last line when none was stored.
    int endAdd();

    // Edit, before the editor: sets LauncherEditRow to the selected position
    // and returns the five field values to show (a shortcut of one blank is
    // shown empty).
    LauncherEntry beginEdit();
    int endEdit();

    int up();
    int down();
    int cut();
    int copy();
    // The limit warning when no free row is left among lines 0 to 8.
    int paste();
    int del();

    // Copies lines 0 to 8 into the table and writes all 45 values. A write
    // error throws its AppError, with the table already holding the new rows.
    void ok(IniFile& ini);

private:
    int shownCount() const { return int(lines_.size()); }
    bool limitReached() const;
    int refresh(int wanted);
    int afterRemoval() const;
    void removeSelectedLine();

    LauncherState& state_;
    Prompter& prompter_;
    StringList lines_;
    int selected_ = 0;
    bool pasteEnabled_ = false;
    LauncherEntry LauncherClipboard;
};
