#include "rename/rename_plan.h"

#include "platform/codepage.h"
#include "platform/path.h"

#include <climits>
#include <memory>
#include <unordered_map>

#ifndef NAME_MAX
#define NAME_MAX 255
#endif
#ifndef PATH_MAX
#define PATH_MAX 4096
#endif

namespace {

constexpr int Listed = -1;  // a name the directory held before the run

// One directory of the run as the run would leave it, step by step: its
// names (and, where it may fold letter case, their folded spellings), each
// with the file of the run that took it, or Listed.
struct DirectoryState {
    bool readable = false;
    bool folds = false;
    std::unordered_map<Text, int> names;
    std::unordered_map<Text, std::pair<int, int>> folded;  // key: holders, last taker

    void add(const Text& name, int taker, CodePage cp)
    {
        names.emplace(name, taker);
        if (!folds) return;
        auto& [holders, last] = folded[toUpperText(cp, name)];
        ++holders;
        last = taker;
    }
    void remove(const Text& name, CodePage cp)
    {
        names.erase(name);
        if (!folds) return;
        const auto it = folded.find(toUpperText(cp, name));
        if (it != folded.end() && --it->second.first == 0) folded.erase(it);
    }
};

// The directory of a path part: "." for none, without its last separator.
Text directoryOf(const Text& pathPart)
{
    if (pathPart.empty()) return ".";
    if (pathPart.size() == 1) return pathPart;
    return pathPart.substr(0, pathPart.size() - 1);
}

std::unique_ptr<DirectoryState> readDirectory(FileSystem& fs, const Text& dir, CodePage cp)
{
    auto state = std::make_unique<DirectoryState>();
    std::vector<DirEntry> listing;
    state->readable = fs.listDirectory(dir, listing);
    if (!state->readable) return state;
    state->folds = fs.foldsLetterCase(dir);
    state->names.reserve(listing.size());
    for (const DirEntry& entry : listing) state->add(entry.name, Listed, cp);
    return state;
}

// Who holds name in the directory now: Listed, a file of the run, or
// nothing. Where the directory folds case, another spelling counts unless
// it is the spelling of own, the file that asks.
std::optional<int> holderOf(const DirectoryState& dir, const Text& name, const Text& own, CodePage cp)
{
    if (const auto it = dir.names.find(name); it != dir.names.end()) return it->second;
    if (!dir.folds) return std::nullopt;
    const Text key = toUpperText(cp, name);
    const auto it = dir.folded.find(key);
    if (it == dir.folded.end()) return std::nullopt;
    // The file's own name under another spelling is no other entry.
    if (it->second.first == 1 && toUpperText(cp, own) == key) return std::nullopt;
    return it->second.second;
}

bool present(const DirectoryState& dir, const Text& name, CodePage cp)
{
    return dir.names.count(name) != 0 || (dir.folds && dir.folded.count(toUpperText(cp, name)) != 0);
}

PlanStatus planOne(DirectoryState& dir, const Text& from, std::size_t pathLength,
                   std::optional<Text>& to, int index, FileSystem& fs, CodePage cp)
{
    const Text name = from.substr(pathLength);
    if (dir.readable) {
        if (!present(dir, name, cp)) return PlanStatus::Missing;
    } else if (!fs.lookupEntry(from).exists) {
        return PlanStatus::Missing;
    }
    if (!to) return PlanStatus::BadName;
    if (to->size() - pathLength > NAME_MAX || to->size() >= PATH_MAX) return PlanStatus::TooLong;
    if (*to == from) return PlanStatus::Unchanged;
    const Text newName = to->substr(pathLength);
    if (!dir.readable) {
        const EntryInfo taken = fs.lookupEntry(*to);
        return taken.exists && taken.storedName != name ? PlanStatus::NameTaken : PlanStatus::Ok;
    }
    if (const std::optional<int> holder = holderOf(dir, newName, name, cp)) {
        return *holder == Listed ? PlanStatus::NameTaken : PlanStatus::SameNewName;
    }
    dir.remove(name, cp);
    dir.add(newName, index, cp);
    return PlanStatus::Ok;
}

}  // namespace

std::vector<PlannedRename> planRenames(Operation op, const Text& typed, const StringList& entries,
                                       FileSystem& fs)
{
    const CodePage cp = activeCodePage();
    std::unordered_map<Text, std::unique_ptr<DirectoryState>> directories;
    std::vector<PlannedRename> plan(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const Text& from = entries[i];
        const std::size_t pathLength = pathPartLength(cp, from);
        const Text dirName = directoryOf(from.substr(0, pathLength));
        std::unique_ptr<DirectoryState>& dir = directories[dirName];
        if (!dir) dir = readDirectory(fs, dirName, cp);
        std::optional<Text> to = newFullPath(op, from, typed);
        plan[i].status = planOne(*dir, from, pathLength, to, static_cast<int>(i), fs, cp);
        if (to) plan[i].to = std::move(*to);
    }
    return plan;
}

Text planStatusLine(PlanStatus status)
{
    static const char* const lines[] = {
        "",
        "=== 変更なし ===",
        "=== 既存のファイルと同じ名前 ===",
        "=== 他のファイルと同じ名前 ===",
        "=== 名前が長すぎます ===",
        "=== 使用できない名前 ===",
        "=== ファイル無 ===",
    };
    return fixedText(lines[static_cast<int>(status)]);
}

std::size_t planProblems(const std::vector<PlannedRename>& plan)
{
    std::size_t problems = 0;
    for (const PlannedRename& p : plan) problems += p.status != PlanStatus::Ok;
    return problems;
}
