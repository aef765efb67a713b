#include "platform/entry_id_list.h"

EntryIdList::EntryIdList(const std::vector<EntryId>& ids)
{
    reserve(ids.size());
    for (const EntryId& id : ids) push_back(id);
}

void EntryIdList::reserve(std::size_t n)
{
    inodes_.reserve(n);
    kindOf_.reserve(n);
}

void EntryIdList::push_back(const EntryId& id)
{
    const Kind kind{id.device, id.type};
    // The files of one run mostly share one device and one type.
    std::uint32_t index;
    if (!kindOf_.empty() && kinds_[kindOf_.back()] == kind) {
        index = kindOf_.back();
    } else {
        const auto [it, added] = kindIndex_.emplace(kind, static_cast<std::uint32_t>(kinds_.size()));
        if (added) kinds_.push_back(kind);
        index = it->second;
    }
    inodes_.push_back(id.inode);
    kindOf_.push_back(index);
}

EntryId EntryIdList::operator[](std::size_t i) const
{
    const Kind& kind = kinds_[kindOf_[i]];
    return EntryId{kind.first, inodes_[i], kind.second};
}

void EntryIdList::shrinkTo(std::size_t n)
{
    if (n >= size()) return;
    inodes_.resize(n);
    kindOf_.resize(n);
}
