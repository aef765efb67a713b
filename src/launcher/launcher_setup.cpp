#include "launcher/launcher_setup.h"

#include "platform/codepage.h"

#include <algorithm>

StringList launcherListLines(const LauncherWorkCopy& workCopy)
{
    StringList lines;
    const std::size_t shown = std::min<std::size_t>(workCopy.size(), launcherRowCount);
    for (std::size_t i = 0; i < shown; ++i)
        if (!workCopy.ProgTitle[i].empty()) lines.push_back(workCopy.ProgTitle[i]);
    if (lines.empty()) lines.emplace_back();
    return lines;
}

Text launcherLimitMessage()
{
    return fixedText("    設定個数は ９ 個までです。          ");
}

LauncherSetup::LauncherSetup(LauncherState& state, Prompter& prompter)
    : state_(state), prompter_(prompter)
{
    state_.WorkCopy = LauncherWorkCopy::fromTable(state_.Table);
    refresh(0);
}

void LauncherSetup::select(int position)
{
    selected_ = std::clamp(position, 0, shownCount() - 1);
}

bool LauncherSetup::limitReached() const
{
    // n counts the used rows among lines 0 to 8, so nine lines leave no free row.
    return shownCount() >= launcherRowCount;
}

int LauncherSetup::refresh(int wanted)
{
    lines_ = launcherListLines(state_.WorkCopy);
    select(wanted);
    return selected_;
}

bool LauncherSetup::beginAdd()
{
    if (limitReached()) {
        prompter_.ask(launcherLimitMessage(), PromptKind::Warning, PbOk);
        return false;
    }
    // The first free row. With the used rows at the top that is row n+1 (line
    // n), or line 0 when the list shows only its empty line; with a free row
    // above a used row it is that free row, so a new entry never overwrites
    // one that is shown.
    int row = 0;
    while (row < launcherRowCount && !state_.WorkCopy.ProgTitle[std::size_t(row)].empty()) ++row;
    state_.LauncherEditRow = row;
    return true;
}

int LauncherSetup::endAdd()
{
    // The first free row has only used rows above it, so its line is the one
    // that shows the new entry. Nothing stored (cancelled): the last line.
    const int row = state_.LauncherEditRow;
    const bool stored = row >= 0 && row < launcherRowCount &&
                        !state_.WorkCopy.ProgTitle[std::size_t(row)].empty();
    return refresh(stored ? row : launcherRowCount);  // clamped to the last line
}

LauncherEntry LauncherSetup::beginEdit()
{
    state_.LauncherEditRow = selected_;
    LauncherEntry fields = state_.WorkCopy.line(std::size_t(selected_));
    if (fields.ProgShortCut == " ") fields.ProgShortCut.clear();
    return fields;
}

int LauncherSetup::endEdit()
{
    return refresh(selected_);
}

int LauncherSetup::up()
{
    if (selected_ == 0) return selected_;
    state_.WorkCopy.swapLines(std::size_t(selected_ - 1), std::size_t(selected_));
    return refresh(selected_ - 1);
}

int LauncherSetup::down()
{
    if (selected_ >= shownCount() - 1) return selected_;
    state_.WorkCopy.swapLines(std::size_t(selected_), std::size_t(selected_ + 1));
    return refresh(selected_ + 1);
}

int LauncherSetup::afterRemoval() const
{
    return selected_ == shownCount() - 1 ? shownCount() - 2 : selected_;
}

void LauncherSetup::removeSelectedLine()
{
    // The lists keep their length: the freed row goes to the end.
    state_.WorkCopy.eraseLine(std::size_t(selected_));
    state_.WorkCopy.appendLine(LauncherEntry{});
}

int LauncherSetup::cut()
{
    pasteEnabled_ = true;
    const int next = afterRemoval();
    LauncherClipboard = state_.WorkCopy.line(std::size_t(selected_));
    removeSelectedLine();
    return refresh(next);
}

int LauncherSetup::copy()
{
    pasteEnabled_ = true;
    LauncherClipboard = state_.WorkCopy.line(std::size_t(selected_));
    return selected_;
}

int LauncherSetup::paste()
{
    // Line 8 is pushed beyond what is saved; refuse when it holds an entry,
    // which with the used rows at the top is exactly the case of nine lines.
    if (limitReached() || !state_.WorkCopy.ProgTitle[launcherRowCount - 1].empty()) {
        prompter_.ask(launcherLimitMessage(), PromptKind::Warning, PbOk);
        return selected_;
    }
    state_.WorkCopy.insertLine(std::size_t(selected_), LauncherClipboard);
    return refresh(selected_);
}

int LauncherSetup::del()
{
    const int next = afterRemoval();
    removeSelectedLine();
    return refresh(next);
}

void LauncherSetup::ok(IniFile& ini)
{
    state_.WorkCopy.copyInto(state_.Table);
    writeLauncherTable(ini, state_.Table);
}
