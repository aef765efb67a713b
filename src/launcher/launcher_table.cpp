#include "launcher/launcher_table.h"

#include "platform/codepage.h"
#include "platform/path.h"
#include "settings/ini_file.h"

#include <string>
#include <string_view>
#include <vector>

const std::array<const char*, 5> launcherSections = {"ProgTitle", "ProgName", "ProgOption",
                                                     "ProgDir", "ProgShortCut"};

namespace {

std::array<StringList LauncherWorkCopy::*, 5> workLists = {
    &LauncherWorkCopy::ProgTitle, &LauncherWorkCopy::ProgName, &LauncherWorkCopy::ProgOption,
    &LauncherWorkCopy::ProgDir, &LauncherWorkCopy::ProgShortCut};

// A row's key in each section: its number.
constexpr std::array<std::string_view, launcherRowCount + 1> rowKeys = {"0", "1", "2", "3", "4",
                                                                       "5", "6", "7", "8", "9"};

}  // namespace

void readLauncherTable(const IniFile& ini, LauncherTable& table)
{
    for (std::size_t f = 0; f < launcherFields.size(); ++f)
        for (int row = 1; row <= launcherRowCount; ++row)
            table[row].*launcherFields[f] = ini.ReadString(launcherSections[f], rowKeys[std::size_t(row)], "");
}

void writeLauncherTable(IniFile& ini, const LauncherTable& table)
{
    std::vector<IniValue> values;
    for (std::size_t f = 0; f < launcherFields.size(); ++f)
        for (int row = 1; row <= launcherRowCount; ++row)
            values.push_back({launcherSections[f], rowKeys[std::size_t(row)], table[row].*launcherFields[f]});
    ini.WriteValues(values);
}

namespace {

// An argument as splitCommandArguments reads it back: quoted when it holds a
// blank or a double quote, a double quote inside written as three.
Text quotedArgument(const std::string& arg)
{
    if (!arg.empty() && arg.find_first_of(" \t\r\n\v\f\"") == std::string::npos) return arg;
    Text out = "\"";
    for (char c : arg) out += c == '"' ? Text("\"\"\"") : Text(1, c);
    return out + "\"";
}

}  // namespace

LauncherEntry desktopLauncherEntry(CodePage cp, const DesktopApplication& app, const Text& shortcut)
{
    LauncherEntry entry;
    if (std::optional<Text> name = fromUtf8(cp, app.name)) entry.ProgTitle = *name;
    if (entry.ProgTitle.empty()) entry.ProgTitle = folderAndName(app.program).name;
    entry.ProgName = app.program;
    for (const std::string& arg : app.arguments) {
        if (!entry.ProgOption.empty()) entry.ProgOption += ' ';
        entry.ProgOption += arg == "%f" ? Text(arg) : quotedArgument(arg);
    }
    entry.ProgShortCut = shortcut;
    return entry;
}

LauncherTable firstRunLauncherTable(const Text& systemRoot, const Text& winBootDir,
                                    const Text& windowsDir, const DesktopLookup& lookup)
{
    Text systemKind;
    if (!systemRoot.empty()) systemKind = "WINNT";
    if (!winBootDir.empty()) systemKind = "WINDOWS";

    LauncherTable table;
    for (int row = 1; row <= launcherRowCount; ++row) table[row].ProgShortCut = "*";

    const Text notepad = windowsDir + "\\NOTEPAD.EXE";
    if (systemKind == "WINNT") {
        table[1] = {fixedText("メモ帳(WinNT)"), notepad, "%f", "", "M"};
        table[2] = {fixedText("ワードパット(WinNT)"), windowsDir + "\\SYSTEM32" + "\\WRITE.EXE",
                    "%f", "", "W"};
    } else if (systemKind == "WINDOWS") {
        table[1] = {fixedText("メモ帳(Windows)"), notepad, "%f", "", "M"};
        table[2] = {fixedText("ワードパット(Windows)"), windowsDir + "\\WRITE.EXE", "%f", "", "W"};
    } else if (lookup) {
        int row = 1;
        if (std::optional<DesktopApplication> editor = lookup("text/plain"))
            table[row++] = desktopLauncherEntry(activeCodePage(), *editor, "M");
        table[row] = {fixedText("既定のアプリ(xdg-open)"), "xdg-open", "%f", "", "W"};
    }
    return table;
}

LauncherEntry LauncherWorkCopy::line(std::size_t i) const
{
    LauncherEntry entry;
    for (std::size_t f = 0; f < workLists.size(); ++f)
        entry.*launcherFields[f] = (this->*workLists[f]).at(i);
    return entry;
}

void LauncherWorkCopy::setLine(std::size_t i, const LauncherEntry& entry)
{
    for (std::size_t f = 0; f < workLists.size(); ++f)
        (this->*workLists[f]).at(i) = entry.*launcherFields[f];
}

void LauncherWorkCopy::insertLine(std::size_t i, const LauncherEntry& entry)
{
    for (std::size_t f = 0; f < workLists.size(); ++f) {
        StringList& list = this->*workLists[f];
        list.insert(list.begin() + std::ptrdiff_t(std::min(i, list.size())), entry.*launcherFields[f]);
    }
}

void LauncherWorkCopy::eraseLine(std::size_t i)
{
    for (auto list : workLists) {
        StringList& l = this->*list;
        if (i < l.size()) l.erase(l.begin() + std::ptrdiff_t(i));
    }
}

void LauncherWorkCopy::appendLine(const LauncherEntry& entry)
{
    for (std::size_t f = 0; f < workLists.size(); ++f)
        (this->*workLists[f]).push_back(entry.*launcherFields[f]);
}

void LauncherWorkCopy::swapLines(std::size_t a, std::size_t b)
{
    for (auto list : workLists) std::swap((this->*list).at(a), (this->*list).at(b));
}

void LauncherWorkCopy::clear()
{
    for (auto list : workLists) (this->*list).clear();
}

LauncherWorkCopy LauncherWorkCopy::fromTable(const LauncherTable& table)
{
    LauncherWorkCopy copy;
    for (int row = 1; row <= launcherRowCount; ++row) copy.appendLine(table[row]);
    return copy;
}

void LauncherWorkCopy::copyInto(LauncherTable& table) const
{
    for (int row = 1; row <= launcherRowCount; ++row) table[row] = line(std::size_t(row - 1));
}
