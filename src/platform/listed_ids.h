#pragma once

#include "platform/fs.h"

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

// The inode and type of each name of one listing, by a 64-bit hash of the
// name (no name held): the entries sorted by hash, found through an index of
// their hashes' top bits, about 17 bytes a name with no slack left empty. A
// name whose hash another name shares, and every directory (a mount point or
// a subvolume may sit on another device), is left out: its id is asked of
// the system. (A name not listed whose hash a listed one has, one chance in
// 2^64 a pair, would be given that one's id.)
class ListedIds {
public:
    static std::uint64_t keyOf(std::string_view name) { return std::hash<std::string_view>{}(name); }

    // Room for about n names, so that a large listing is not copied as it
    // grows; only what is added is ever written.
    void reserve(std::size_t n) { entries_.reserve(n); }

    // Adds one name of the listing; answered from only once sealed.
    void add(std::uint64_t key, std::uint64_t inode, std::uint32_t type);

    // The listing is complete: sorts it and makes the index.
    void seal();

    // The id of the name as listed; unknown when it is not known here.
    EntryId id(std::uint64_t key, std::uint64_t device) const;

    // The name no longer holds what was listed: its id, which it gives up.
    EntryId take(std::uint64_t key, std::uint64_t device);

private:
    struct Entry {
        std::uint64_t key = 0;
        std::uint64_t value = 0;  // inode << 4 | type >> 12; 0 when not known here
    };

    const Entry* find(std::uint64_t key) const;
    static EntryId idOf(const Entry& entry, std::uint64_t device);

    std::vector<Entry> entries_;
    // entries_[start_[b]] up to entries_[start_[b + 1]] have b as their
    // key's top bits; about four entries a bucket.
    std::vector<std::uint32_t> start_;
    unsigned shift_ = 64;
};
