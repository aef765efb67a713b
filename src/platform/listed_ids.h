#pragma once

#include "platform/fs.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

// The inode and type of each name of one listing, by a 64-bit hash of the
// name, in one flat table (16 bytes a name, no name held). A name whose hash
// another name shares, and every directory (a mount point or a subvolume may
// sit on another device), is left out: its id is asked of the system. (A
// name not listed whose hash a listed one has, one chance in 2^64 a pair,
// would be given that one's id.)
class ListedIds {
public:
    static std::uint64_t keyOf(std::string_view name)
    {
        const std::uint64_t h = std::hash<std::string_view>{}(name);
        return h == 0 ? 1 : h;  // 0 marks an empty slot
    }

    void add(std::uint64_t key, std::uint64_t inode, std::uint32_t type)
    {
        if ((used_ + 1) * 4 > slots_.size() * 3) grow();
        Slot& slot = find(key);
        if (slot.key == key) {
            slot.value = 0;  // two names, one hash: neither is answered from here
            return;
        }
        // An inode number from 2^60 up leaves no room for the type.
        slot = {key, inode < (std::uint64_t(1) << 60) ? inode << 4 | type >> 12 : 0};
        ++used_;
    }

    // The id of the name as listed; unknown when it is not known here.
    EntryId id(std::uint64_t key, std::uint64_t device) const
    {
        if (slots_.empty()) return {};
        const Slot& slot = const_cast<ListedIds*>(this)->find(key);
        if (slot.key != key || slot.value == 0) return {};
        return {device, slot.value >> 4, static_cast<std::uint32_t>(slot.value & 0xf) << 12};
    }

    // The name no longer holds what was listed: its id, which it gives up.
    EntryId take(std::uint64_t key, std::uint64_t device)
    {
        if (slots_.empty()) return {};
        Slot& slot = find(key);
        if (slot.key != key || slot.value == 0) return {};
        const EntryId id{device, slot.value >> 4, static_cast<std::uint32_t>(slot.value & 0xf) << 12};
        slot.value = 0;
        return id;
    }

private:
    struct Slot {
        std::uint64_t key = 0;
        std::uint64_t value = 0;  // inode << 4 | type >> 12; 0 when not known here
    };

    // The name's slot, or the empty one where it would go.
    Slot& find(std::uint64_t key)
    {
        std::size_t i = key & mask_;
        while (slots_[i].key != 0 && slots_[i].key != key) i = (i + 1) & mask_;
        return slots_[i];
    }

    void grow()
    {
        std::vector<Slot> old(std::max<std::size_t>(64, slots_.size() * 2));
        old.swap(slots_);
        mask_ = slots_.size() - 1;
        for (const Slot& slot : old)
            if (slot.key != 0) find(slot.key) = slot;
    }

    std::vector<Slot> slots_;
    std::size_t mask_ = 0;
    std::size_t used_ = 0;
};
