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
constexpr int Gone = -2;    // a name a file of the run has left

// Names are looked up by view, without a copy per look-up.
struct NameHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view name) const { return std::hash<std::string_view>{}(name); }
};
using NameMap = std::unordered_map<Text, int, NameHash, std::equal_to<>>;

// One directory of the run as the run would leave it, step by step: its
// names, each with the file of the run that took it, Listed or Gone, and,
// where it may fold letter case, how many names share each folded spelling
// and which file took the last of them.
struct DirectoryState {
    bool readable = false;
    bool folds = false;
    NameMap names;
    std::unordered_map<Text, std::pair<int, int>> folded;

    void addFolded(std::string_view name, int taker, CodePage cp)
    {
        auto& [holders, last] = folded[toUpperText(cp, name)];
        ++holders;
        last = taker;
    }
    void removeFolded(std::string_view name, CodePage cp)
    {
        const auto it = folded.find(toUpperText(cp, name));
        if (it != folded.end() && --it->second.first == 0) folded.erase(it);
    }
};

// The directory of a path part: "." for none, without its last separator.
Text directoryOf(std::string_view pathPart)
{
    if (pathPart.empty()) return ".";
    if (pathPart.size() == 1) return Text(pathPart);
    return Text(pathPart.substr(0, pathPart.size() - 1));
}

std::unique_ptr<DirectoryState> readDirectory(FileSystem& fs, const Text& dir, CodePage cp)
{
    auto state = std::make_unique<DirectoryState>();
    std::vector<DirEntry> listing;
    state->readable = fs.listDirectory(dir, listing);
    if (!state->readable) return state;
    state->folds = fs.foldsLetterCase(dir);
    // Room for every name and as many new ones, so the map is not rebuilt.
    state->names.reserve(listing.size() * 2);
    for (DirEntry& entry : listing) {
        if (state->folds) state->addFolded(entry.name, Listed, cp);
        state->names.emplace(std::move(entry.name), Listed);
    }
    return state;
}

// Who holds name in the directory now: Listed, a file of the run, or
// nothing. Where the directory folds case, another spelling counts unless
// it is the spelling of own, the file that asks.
std::optional<int> holderOf(const DirectoryState& dir, std::string_view name, std::string_view own,
                            CodePage cp)
{
    if (const auto it = dir.names.find(name); it != dir.names.end() && it->second != Gone) return it->second;
    if (!dir.folds) return std::nullopt;
    const Text key = toUpperText(cp, name);
    const auto it = dir.folded.find(key);
    if (it == dir.folded.end()) return std::nullopt;
    // The file's own name under another spelling is no other entry.
    if (it->second.first == 1 && toUpperText(cp, own) == key) return std::nullopt;
    return it->second.second;
}

PlanStatus planOne(DirectoryState& dir, const Text& from, std::size_t pathLength,
                   const std::optional<Text>& to, int index, FileSystem& fs, CodePage cp)
{
    const std::string_view name = std::string_view(from).substr(pathLength);
    NameMap::iterator own = dir.names.end();
    if (dir.readable) {
        own = dir.names.find(name);
        const bool exact = own != dir.names.end() && own->second != Gone;
        if (!exact && !(dir.folds && dir.folded.count(toUpperText(cp, name)) != 0)) return PlanStatus::Missing;
    } else if (!fs.lookupEntry(from).exists) {
        return PlanStatus::Missing;
    }
    if (!to) return PlanStatus::BadName;
    if (to->size() - pathLength > NAME_MAX || to->size() >= PATH_MAX) return PlanStatus::TooLong;
    if (*to == from) return PlanStatus::Unchanged;
    const std::string_view newName = std::string_view(*to).substr(pathLength);
    if (!dir.readable) {
        const EntryInfo taken = fs.lookupEntry(*to);
        return taken.exists && taken.storedName != name ? PlanStatus::NameTaken : PlanStatus::Ok;
    }
    const auto holderStatus = [](int holder) {
        return holder == Listed ? PlanStatus::NameTaken : PlanStatus::SameNewName;
    };
    if (!dir.folds) {
        // One look-up that also takes the name when it is free.
        const auto [taken, added] = dir.names.try_emplace(Text(newName), index);
        if (!added && taken->second != Gone) return holderStatus(taken->second);
        taken->second = index;
        if (own != dir.names.end()) own->second = Gone;
        return PlanStatus::Ok;
    }
    if (const std::optional<int> holder = holderOf(dir, newName, name, cp)) return holderStatus(*holder);
    // The file leaves its name and takes the new one.
    if (own != dir.names.end()) own->second = Gone;
    const auto [taken, added] = dir.names.try_emplace(Text(newName), index);
    if (!added) taken->second = index;
    {
        dir.removeFolded(name, cp);
        dir.addFolded(newName, index, cp);
    }
    return PlanStatus::Ok;
}

}  // namespace

std::vector<PlannedRename> planRenames(Operation op, const Text& typed, const StringList& entries,
                                       FileSystem& fs)
{
    const CodePage cp = activeCodePage();
    std::unordered_map<Text, std::unique_ptr<DirectoryState>> directories;
    std::vector<PlannedRename> plan(entries.size());
    // Entries of one directory mostly follow each other: the last one's is
    // found again without a look-up.
    std::string_view lastPath;
    DirectoryState* last = nullptr;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const Text& from = entries[i];
        const std::size_t pathLength = pathPartLength(cp, from);
        const std::string_view pathPart = std::string_view(from).substr(0, pathLength);
        if (!last || pathPart != lastPath) {
            std::unique_ptr<DirectoryState>& dir = directories[directoryOf(pathPart)];
            if (!dir) dir = readDirectory(fs, directoryOf(pathPart), cp);
            last = dir.get();
            lastPath = pathPart;
        }
        std::optional<Text> to = newFullPath(op, from, typed);
        plan[i].status = planOne(*last, from, pathLength, to, static_cast<int>(i), fs, cp);
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
