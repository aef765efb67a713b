#include "platform/desktop_apps.h"

#include "platform/codepage.h"
#include "platform/file_io.h"
#include "platform/process.h"
#include "platform/shell.h"
#include "platform/xdg_folders.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>

#include <sys/stat.h>
#include <unistd.h>

namespace {

using Group = std::map<std::string, std::string>;
using KeyFile = std::map<std::string, Group>;

// Groups and keys of a desktop entry or a mimeapps.list; a file that is
// missing, cannot be read or is not a regular file reads as empty. The
// bound keeps a device or a runaway file from filling the memory.
KeyFile readKeyFile(const std::string& path)
{
    constexpr std::size_t MaxBytes = 16 * 1024 * 1024;
    KeyFile file;
    std::string contents;
    if (!readWholeFile(path, contents, MaxBytes)) return file;
    Group* group = nullptr;
    for (std::size_t start = 0; start < contents.size();) {
        std::size_t end = contents.find('\n', start);
        if (end == std::string::npos) end = contents.size();
        std::string line = contents.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line.front() == '#') continue;
        if (line.front() == '[') {
            const std::size_t close = line.find(']');
            group = close == std::string::npos ? nullptr : &file[line.substr(1, close - 1)];
            continue;
        }
        const std::size_t eq = line.find('=');
        if (!group || eq == std::string::npos) continue;
        std::string key = line.substr(0, eq);
        while (!key.empty() && key.back() == ' ') key.pop_back();
        std::size_t valueStart = eq + 1;
        while (valueStart < line.size() && line[valueStart] == ' ') ++valueStart;
        group->emplace(key, line.substr(valueStart));  // the first of repeated keys counts
    }
    return file;
}

std::string value(const KeyFile& file, const std::string& group, const std::string& key)
{
    const auto g = file.find(group);
    if (g == file.end()) return {};
    const auto k = g->second.find(key);
    return k == g->second.end() ? std::string() : k->second;
}

// The escapes of a string value: \s \n \t \r \\ ; any other backslash
// stays for the Exec quoting rules.
std::string unescapeValue(const std::string& raw)
{
    std::string out;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] != '\\' || i + 1 == raw.size()) {
            out += raw[i];
            continue;
        }
        switch (const char c = raw[++i]) {
        case 's': out += ' '; break;
        case 'n': out += '\n'; break;
        case 't': out += '\t'; break;
        case 'r': out += '\r'; break;
        case '\\': out += '\\'; break;
        default: out += '\\'; out += c; break;
        }
    }
    return out;
}

std::vector<std::string> splitList(const std::string& list, char separator)
{
    std::vector<std::string> items;
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(separator, start);
        if (end == std::string::npos) end = list.size();
        if (end > start) items.push_back(list.substr(start, end - start));
        start = end + 1;
    }
    return items;
}

std::string lowered(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), asciiLower);
    return s;
}

bool isExecutableFile(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

bool programExists(const std::string& program)
{
    if (program.find('/') != std::string::npos) return program.front() == '/' && isExecutableFile(program);
    return !findProgramOnPath(program).empty();
}

// The applications folders, in order of precedence.
std::vector<std::string> applicationFolders()
{
    std::vector<std::string> dirs{userFolder("XDG_DATA_HOME", ".local/share")};
    for (const std::string& dir : searchFolders("XDG_DATA_DIRS", "/usr/local/share:/usr/share")) dirs.push_back(dir);
    for (std::string& dir : dirs) dir += "/applications";
    return dirs;
}

// One level of the search: the mimeapps.list files of a folder (the
// desktop-specific ones first), read once, and, in an applications folder,
// its cache, read only when needed.
struct Level {
    std::vector<KeyFile> lists;
    std::string cache;  // empty for a configuration folder
};

std::vector<Level> searchLevels(const std::vector<std::string>& desktops)
{
    auto level = [&](const std::string& dir, bool applications) {
        Level l;
        for (const std::string& d : desktops)
            l.lists.push_back(readKeyFile(dir + "/" + d + "-mimeapps.list"));
        l.lists.push_back(readKeyFile(dir + "/mimeapps.list"));
        if (applications) l.cache = dir + "/mimeinfo.cache";
        return l;
    };
    std::vector<Level> levels;
    levels.push_back(level(userFolder("XDG_CONFIG_HOME", ".config"), false));
    for (const std::string& dir : searchFolders("XDG_CONFIG_DIRS", "/etc/xdg")) levels.push_back(level(dir, false));
    for (const std::string& dir : applicationFolders()) levels.push_back(level(dir, true));
    return levels;
}

// The file of a desktop ID: "a-b.desktop" is also looked for as a/b.desktop.
std::string desktopFile(const std::string& id)
{
    if (id.find('/') != std::string::npos || id.find("..") != std::string::npos) return {};
    for (const std::string& dir : applicationFolders()) {
        std::string relative = id;
        for (std::size_t dash = 0;;) {
            const std::string path = dir + "/" + relative;
            struct stat st {};
            if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) return path;
            dash = relative.find('-', dash);
            if (dash == std::string::npos) break;
            relative[dash] = '/';
        }
    }
    return {};
}

// The messages locale, which picks an entry's localised name, is Japanese.
bool japaneseMessages()
{
    for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* v = std::getenv(var);
        if (v && *v) return std::strncmp(v, "ja", 2) == 0 && std::strchr("_.@", v[2]);
    }
    return false;
}

std::optional<DesktopApplication> usableApplication(const std::string& id)
{
    const std::string path = desktopFile(id);
    if (path.empty()) return std::nullopt;
    const KeyFile entry = readKeyFile(path);
    const std::string group = "Desktop Entry";
    auto field = [&](const char* key) { return unescapeValue(value(entry, group, key)); };
    if (field("Type") != "Application" || field("Hidden") == "true" || field("Terminal") == "true")
        return std::nullopt;
    const std::string tryExec = field("TryExec");
    if (!tryExec.empty() && !programExists(tryExec)) return std::nullopt;
    std::optional<std::vector<std::string>> args = desktopExecArguments(field("Exec"));
    if (!args || args->empty() || args->front() == "%f" || !programExists(args->front()))
        return std::nullopt;
    DesktopApplication app;
    if (japaneseMessages()) app.name = field("Name[ja]");
    if (app.name.empty()) app.name = field("Name");
    if (app.name.empty()) return std::nullopt;
    app.program = args->front();
    app.arguments.assign(args->begin() + 1, args->end());
    return app;
}

std::vector<std::string> idsFor(const KeyFile& file, const char* group, const std::string& mimeType)
{
    return splitList(value(file, group, mimeType), ';');
}

}  // namespace

std::optional<std::vector<std::string>> desktopExecArguments(const std::string& exec)
{
    std::vector<std::string> args;
    std::string current;
    bool inArgument = false;
    bool quoted = false;
    bool placed = false;
    auto finish = [&] {
        if (inArgument && !current.empty()) args.push_back(current);
        current.clear();
        inArgument = false;
    };
    for (std::size_t i = 0; i < exec.size(); ++i) {
        const char c = exec[i];
        if (quoted) {
            if (c == '"') {
                quoted = false;
            } else if (c == '\\' && i + 1 < exec.size()) {
                current += exec[++i];
            } else {
                current += c;
            }
            continue;
        }
        if (c == ' ' || c == '\t' || c == '\n') {
            finish();
            continue;
        }
        inArgument = true;
        if (c == '"') {
            quoted = true;
        } else if (c == '%' && i + 1 < exec.size()) {
            const char code = exec[++i];
            if (code == '%') {
                current += '%';
            } else if ((code == 'f' || code == 'F' || code == 'u' || code == 'U') && !placed) {
                current += "%f";
                placed = true;
            }
        } else {
            current += c;
        }
    }
    if (quoted) return std::nullopt;
    finish();
    if (!placed) args.push_back("%f");
    return args;
}

std::optional<DesktopApplication> defaultApplicationFor(const std::string& mimeType)
{
    std::vector<std::string> desktops;
    for (const std::string& d : splitList(environmentValue("XDG_CURRENT_DESKTOP"), ':'))
        desktops.push_back(lowered(d));
    const std::vector<Level> levels = searchLevels(desktops);

    for (const Level& level : levels)
        for (const KeyFile& list : level.lists)
            for (const std::string& id : idsFor(list, "Default Applications", mimeType))
                if (std::optional<DesktopApplication> app = usableApplication(id)) return app;

    std::set<std::string> removed;
    std::set<std::string> tried;
    auto tryIds = [&](const std::vector<std::string>& ids) -> std::optional<DesktopApplication> {
        for (const std::string& id : ids) {
            if (removed.count(id) || !tried.insert(id).second) continue;
            if (std::optional<DesktopApplication> app = usableApplication(id)) return app;
        }
        return std::nullopt;
    };
    for (const Level& level : levels) {
        for (const KeyFile& file : level.lists) {
            for (const std::string& id : idsFor(file, "Removed Associations", mimeType)) removed.insert(id);
            if (auto app = tryIds(idsFor(file, "Added Associations", mimeType))) return app;
        }
        if (!level.cache.empty())
            if (auto app = tryIds(idsFor(readKeyFile(level.cache), "MIME Cache", mimeType))) return app;
    }
    return std::nullopt;
}
