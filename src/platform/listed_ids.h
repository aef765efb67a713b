#pragma once

#include "platform/fs.h"
#include "platform/path_list.h"

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

// Which paths of one stretch sharing a folder (paths first to last) that
// folder's listing holds, spelled exactly so: each path's place is kept in
// an open-addressing table by its name's hash (eight bytes a slot, at most
// half full), and each listed name, as it is read, is looked up there and
// confirmed byte for byte. For fewer than 2^31 paths.
class SoughtNames {
public:
    SoughtNames(const PathList& paths, std::size_t first, std::size_t last);

    // One name of the listing: the paths spelled so are found.
    void listed(std::string_view name);

    // found[i] tells whether path first + i was listed.
    std::vector<bool> found() && { return std::move(found_); }

private:
    struct Slot {
        std::uint32_t place = 0;  // the path's place from first, plus one; 0 for none
        std::uint32_t tag = 0;    // its hash's top half
    };

    const PathList& paths_;
    std::size_t first_;
    std::vector<Slot> slots_;
    std::size_t mask_ = 0;
    std::vector<bool> found_;
};
