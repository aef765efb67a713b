#include "rename/rename_plan.h"

#include "platform/codepage.h"
#include "platform/path.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
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

// The names of one directory in one flat table: their bytes in one buffer
// and an open-addressing index of their hashes that also says where each
// name's bytes are, so that a look-up reads two places in memory and a name
// costs no allocation of its own. Each name has a key (its number) that
// stays valid as the table grows.
class NameTable {
public:
    static constexpr std::size_t none = std::size_t(-1);

    static std::size_t hashOf(std::string_view name) { return std::hash<std::string_view>{}(name); }

    std::size_t find(std::string_view name, std::size_t hash) const
    {
        if (slots_.empty()) return none;
        const auto tag = static_cast<std::uint32_t>(hash);
        for (std::size_t i = tag & mask_;; i = (i + 1) & mask_) {
            const Slot& slot = slots_[i];
            if (slot.key == 0) return none;
            if (slot.tag == tag && nameIn(slot) == name) return slot.key - 1;
        }
    }

    // The key of name, added for holder when it was not there; true when added.
    std::pair<std::size_t, bool> insert(std::string_view name, std::size_t hash, int holder)
    {
        if ((holders_.size() + 1) * 2 > slots_.size()) grow();
        const auto tag = static_cast<std::uint32_t>(hash);
        std::size_t i = tag & mask_;
        for (; slots_[i].key != 0; i = (i + 1) & mask_)
            if (slots_[i].tag == tag && nameIn(slots_[i]) == name) return {slots_[i].key - 1, false};
        // A name is at most NAME_MAX bytes (a longer new one is TooLong
        // before it gets here): its size fits the slot's low 16 bits.
        slots_[i] = {tag, static_cast<std::uint32_t>(holders_.size() + 1),
                     static_cast<std::uint64_t>(bytes_.size()) << 16 | (name.size() & 0xffffu)};
        bytes_.append(name);
        holders_.push_back(holder);
        where_.push_back(slots_[i].where);
        return {holders_.size() - 1, true};
    }

    int& holder(std::size_t key) { return holders_[key]; }
    int holder(std::size_t key) const { return holders_[key]; }
    std::string_view nameOf(std::size_t key) const { return nameAt(where_[key]); }

    // Asks for the memory that a look-up of hash reads first: its slot, and
    // once that has come, the bytes of the name it holds.
    void prefetchSlot(std::size_t hash) const
    {
        if (!slots_.empty()) __builtin_prefetch(&slots_[hash & mask_]);
    }
    void prefetchName(std::size_t hash) const
    {
        if (slots_.empty()) return;
        const Slot& slot = slots_[hash & mask_];
        if (slot.key != 0) __builtin_prefetch(bytes_.data() + (slot.where >> 16));
    }

private:
    struct Slot {
        std::uint32_t tag;    // the hash's low bits, which also place the slot
        std::uint32_t key;    // key + 1; 0 for an empty slot
        std::uint64_t where;  // offset of the name's bytes << 16 | their count
    };

    std::string_view nameAt(std::uint64_t where) const
    {
        return std::string_view(bytes_.data() + (where >> 16), where & 0xffffu);
    }
    std::string_view nameIn(const Slot& slot) const { return nameAt(slot.where); }

    void grow()
    {
        std::vector<Slot> old(std::max<std::size_t>(64, slots_.size() * 2));
        old.swap(slots_);
        mask_ = slots_.size() - 1;
        for (const Slot& slot : old) {
            if (slot.key == 0) continue;
            std::size_t i = slot.tag & mask_;
            while (slots_[i].key != 0) i = (i + 1) & mask_;
            slots_[i] = slot;
        }
    }

    std::string bytes_;
    std::vector<int> holders_;
    std::vector<std::uint64_t> where_;
    std::vector<Slot> slots_;
    std::size_t mask_ = 0;
};

// One directory of the run as the run would leave it, step by step: its
// names, each with the file of the run that took it, Listed or Gone, and,
// where it may fold letter case, how many names share each folded spelling
// and which file took the last of them.
struct DirectoryState {
    bool readable = false;
    bool folds = false;
    NameTable names;
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
    // The names go straight into the table as they are read.
    std::vector<std::size_t> keys;
    state->readable = fs.forEachDirEntry(dir, [&](const DirEntry& entry) {
        const auto [key, added] = state->names.insert(entry.name, NameTable::hashOf(entry.name), Listed);
        if (added) keys.push_back(key);
    });
    if (!state->readable) return state;
    state->folds = fs.foldsLetterCase(dir);
    if (state->folds)
        for (const std::size_t key : keys) state->addFolded(state->names.nameOf(key), Listed, cp);
    return state;
}

// Who holds name in the directory now: Listed, a file of the run, or
// nothing. Where the directory folds case, another spelling counts unless
// it is the spelling of own, the file that asks.
std::optional<int> holderOf(const DirectoryState& dir, std::string_view name, std::size_t hash,
                            std::string_view own, CodePage cp)
{
    if (const std::size_t key = dir.names.find(name, hash); key != NameTable::none && dir.names.holder(key) != Gone)
        return dir.names.holder(key);
    if (!dir.folds) return std::nullopt;
    const Text key = toUpperText(cp, name);
    const auto it = dir.folded.find(key);
    if (it == dir.folded.end()) return std::nullopt;
    // The file's own name under another spelling is no other entry.
    if (it->second.first == 1 && toUpperText(cp, own) == key) return std::nullopt;
    return it->second.second;
}

// What the plan needs of one entry, worked out a few entries ahead of its
// turn, so that the memory its look-ups read is on its way when they come.
struct Ahead {
    DirectoryState* dir = nullptr;
    std::size_t pathLength = 0;
    std::optional<Text> to;
    std::size_t nameHash = 0;
    std::size_t newHash = 0;
};

PlanStatus planOne(const Text& from, const Ahead& a, int index, FileSystem& fs, CodePage cp)
{
    DirectoryState& dir = *a.dir;
    const std::size_t pathLength = a.pathLength;
    const std::optional<Text>& to = a.to;
    const std::string_view name = std::string_view(from).substr(pathLength);
    std::size_t own = NameTable::none;
    if (dir.readable) {
        own = dir.names.find(name, a.nameHash);
        const bool exact = own != NameTable::none && dir.names.holder(own) != Gone;
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
    const std::size_t newHash = a.newHash;
    if (!dir.folds) {
        // One look-up that also takes the name when it is free.
        const auto [taken, added] = dir.names.insert(newName, newHash, index);
        if (!added && dir.names.holder(taken) != Gone) return holderStatus(dir.names.holder(taken));
        dir.names.holder(taken) = index;
        if (own != NameTable::none) dir.names.holder(own) = Gone;
        return PlanStatus::Ok;
    }
    if (const std::optional<int> holder = holderOf(dir, newName, newHash, name, cp)) return holderStatus(*holder);
    // The file leaves its name and takes the new one.
    if (own != NameTable::none) dir.names.holder(own) = Gone;
    dir.names.holder(dir.names.insert(newName, newHash, index).first) = index;
    dir.removeFolded(name, cp);
    dir.addFolded(newName, index, cp);
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
    // The entry `lead` places ahead is worked out and its slots asked for;
    // half-way its name's bytes; at its turn it is planned.
    constexpr std::size_t lead = 16;
    std::array<Ahead, lead> ring;
    const std::size_t count = entries.size();
    for (std::size_t j = 0; j < count + lead; ++j) {
        if (j >= lead) {
            const std::size_t i = j - lead;
            Ahead& a = ring[i % lead];
            plan[i].status = planOne(entries[i], a, static_cast<int>(i), fs, cp);
            if (a.to) plan[i].to = std::move(*a.to);
        }
        if (j < count) {
            const Text& from = entries[j];
            Ahead& a = ring[j % lead];
            a.pathLength = pathPartLength(cp, from);
            const std::string_view pathPart = std::string_view(from).substr(0, a.pathLength);
            if (!last || pathPart != lastPath) {
                std::unique_ptr<DirectoryState>& dir = directories[directoryOf(pathPart)];
                if (!dir) dir = readDirectory(fs, directoryOf(pathPart), cp);
                last = dir.get();
                lastPath = pathPart;
            }
            a.dir = last;
            a.to = newFullPath(op, from, typed);
            a.nameHash = NameTable::hashOf(std::string_view(from).substr(a.pathLength));
            a.newHash = a.to && a.to->size() >= a.pathLength
                            ? NameTable::hashOf(std::string_view(*a.to).substr(a.pathLength))
                            : 0;
            a.dir->names.prefetchSlot(a.nameHash);
            a.dir->names.prefetchSlot(a.newHash);
        }
        if (j >= lead / 2 && j - lead / 2 < count) {
            const Ahead& a = ring[(j - lead / 2) % lead];
            a.dir->names.prefetchName(a.nameHash);
        }
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
