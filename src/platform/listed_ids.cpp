#include "platform/listed_ids.h"

#include <algorithm>
#include <bit>

void ListedIds::add(std::uint64_t key, std::uint64_t inode, std::uint32_t type)
{
    // An inode number from 2^60 up leaves no room for the type.
    entries_.push_back({key, inode < (std::uint64_t(1) << 60) ? inode << 4 | type >> 12 : 0});
}

void ListedIds::seal()
{
    if (entries_.size() >= (std::size_t(1) << 32)) {
        entries_ = {};
        return;
    }
    std::sort(entries_.begin(), entries_.end(), [](const Entry& a, const Entry& b) { return a.key < b.key; });
    // Two names, one hash: neither is answered from here.
    for (std::size_t i = 1; i < entries_.size(); ++i) {
        if (entries_[i].key == entries_[i - 1].key) entries_[i].value = entries_[i - 1].value = 0;
    }
    const unsigned bits = static_cast<unsigned>(std::bit_width(entries_.size() / 4));
    shift_ = 64 - bits;
    start_.assign((std::size_t(1) << bits) + 1, 0);
    std::size_t e = 0;
    for (std::size_t b = 0; b + 1 < start_.size(); ++b) {
        start_[b] = static_cast<std::uint32_t>(e);
        while (e < entries_.size() && (bits == 0 ? 0 : entries_[e].key >> shift_) == b) ++e;
    }
    start_.back() = static_cast<std::uint32_t>(entries_.size());
}

const ListedIds::Entry* ListedIds::find(std::uint64_t key) const
{
    if (start_.empty()) return nullptr;
    const std::size_t b = shift_ == 64 ? 0 : static_cast<std::size_t>(key >> shift_);
    for (std::uint32_t i = start_[b]; i < start_[b + 1]; ++i) {
        if (entries_[i].key == key) return &entries_[i];
    }
    return nullptr;
}

EntryId ListedIds::idOf(const Entry& entry, std::uint64_t device)
{
    if (entry.value == 0) return {};
    return {device, entry.value >> 4, static_cast<std::uint32_t>(entry.value & 0xf) << 12};
}

EntryId ListedIds::id(std::uint64_t key, std::uint64_t device) const
{
    const Entry* entry = find(key);
    return entry ? idOf(*entry, device) : EntryId();
}

EntryId ListedIds::take(std::uint64_t key, std::uint64_t device)
{
    auto* entry = const_cast<Entry*>(find(key));
    if (!entry) return {};
    const EntryId id = idOf(*entry, device);
    entry->value = 0;
    return id;
}

SoughtNames::SoughtNames(const PathList& paths, std::size_t first, std::size_t last)
    : paths_(paths), first_(first), found_(last - first)
{
    const std::size_t count = last - first;
    slots_.resize(std::max<std::size_t>(std::bit_ceil(count * 2), 16));
    mask_ = slots_.size() - 1;
    for (std::size_t k = 0; k < count; ++k) {
        const std::string_view name = paths.name(first + k);
        // A path ending in its folder names no entry of it.
        if (name.empty()) continue;
        const std::uint64_t key = ListedIds::keyOf(name);
        std::size_t at = key & mask_;
        while (slots_[at].place != 0) at = (at + 1) & mask_;
        slots_[at] = {static_cast<std::uint32_t>(k + 1), static_cast<std::uint32_t>(key >> 32)};
    }
}

void SoughtNames::listed(std::string_view name)
{
    const std::uint64_t key = ListedIds::keyOf(name);
    const auto tag = static_cast<std::uint32_t>(key >> 32);
    // The same path may be sought more than once: every place spelled so is found.
    for (std::size_t at = key & mask_; slots_[at].place != 0; at = (at + 1) & mask_) {
        const Slot& slot = slots_[at];
        if (slot.tag == tag && paths_.name(first_ + slot.place - 1) == name) found_[slot.place - 1] = true;
    }
}
