#pragma once
// The entries a run left, one id per renamed file, in twelve bytes each:
// the inode number, and an index into the few device and type pairs met.
#include "platform/fs.h"

#include <cstdint>
#include <map>
#include <utility>
#include <vector>

class EntryIdList {
public:
    EntryIdList() = default;
    explicit EntryIdList(const std::vector<EntryId>& ids);

    std::size_t size() const { return inodes_.size(); }
    bool empty() const { return inodes_.empty(); }
    void reserve(std::size_t n);
    void push_back(const EntryId& id);
    void set(std::size_t i, const EntryId& id);
    // Asked once a file in a run: kept where the caller can inline it.
    EntryId operator[](std::size_t i) const
    {
        const Kind& kind = kinds_[kindOf_[i]];
        return EntryId{kind.first, inodes_[i], kind.second};
    }
    EntryId back() const { return (*this)[size() - 1]; }
    // Keeps the first n ids (n no more than size()).
    void shrinkTo(std::size_t n);

private:
    using Kind = std::pair<std::uint64_t, std::uint32_t>;  // device, type
    std::uint32_t indexOf(const Kind& kind);
    std::vector<std::uint64_t> inodes_;
    std::vector<std::uint32_t> kindOf_;
    std::vector<Kind> kinds_;
    std::map<Kind, std::uint32_t> kindIndex_;
};
