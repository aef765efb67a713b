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

std::uint32_t EntryIdList::indexOf(const Kind& kind)
{
    // The files of one run mostly share one device and one type.
    if (!kindOf_.empty() && kinds_[kindOf_.back()] == kind) return kindOf_.back();
    const auto [it, added] = kindIndex_.emplace(kind, static_cast<std::uint32_t>(kinds_.size()));
    if (added) kinds_.push_back(kind);
    return it->second;
}

void EntryIdList::push_back(const EntryId& id)
{
    const std::uint32_t index = indexOf({id.device, id.type});
    inodes_.push_back(id.inode);
    kindOf_.push_back(index);
}

void EntryIdList::set(std::size_t i, const EntryId& id)
{
    kindOf_[i] = indexOf({id.device, id.type});
    inodes_[i] = id.inode;
}

void EntryIdList::shrinkTo(std::size_t n)
{
    if (n >= size()) return;
    inodes_.resize(n);
    kindOf_.resize(n);
}
