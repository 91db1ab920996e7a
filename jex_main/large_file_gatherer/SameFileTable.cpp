#include "SameFileTable.h"

#include "BigFileGarbageInfo.h"

#include <algorithm>

namespace {

// The sum as far as asked for; one that was unreadable is asked for again.
void Complete(CContentSum& sum, CBigFileGarbageInfo* file, uint64_t ticket, bool whole, CContentPrefetch& sums)
{
    if (sum.Has(whole))
        return;
    if (ticket == CContentPrefetch::kNoTicket)
        sum.Read(file->GetInfo()->path, file->Place().volume, file->Place().fileIndex, file->GetInfo()->size, whole);
    else
        sum = sums.Sum(ticket, whole);
}

} // namespace

void CSameFileTable::Place(SizeGroup& group, size_t at)
{
    const CContentSum& sum = group.entries[at].sum;
    if (!sum.Has(false)) {
        group.unread.push_back(at);
        return;
    }
    std::vector<size_t>& alike = group.byEnds[{sum.First(), sum.Last()}];
    alike.insert(std::upper_bound(alike.begin(), alike.end(), at), at);
}

CBigFileGarbageInfo* CSameFileTable::FirstCopyOf(CBigFileGarbageInfo* file, uint64_t ticket, CContentPrefetch& sums)
{
    SizeGroup& group = groups_[file->GetInfo()->size];
    CContentSum sum;
    if (!group.entries.empty()) {
        Complete(sum, file, ticket, false, sums);
        if (sum.Unreadable()) {
            group.entries.push_back({file, ticket, sum});
            group.unread.push_back(group.entries.size() - 1);
            return nullptr;
        }
        // Files not read yet (or unreadable so far) are read now, in the order they joined.
        std::vector<size_t> unread;
        unread.swap(group.unread);
        for (const size_t at : unread) {
            Jex_Same_Info& entry = group.entries[at];
            Complete(entry.sum, entry.file, entry.ticket, false, sums);
            Place(group, at);
        }
        const auto alike = group.byEnds.find({sum.First(), sum.Last()});
        for (size_t i = 0; alike != group.byEnds.end() && i < alike->second.size(); ++i) {
            Jex_Same_Info& entry = group.entries[alike->second[i]];
            Complete(sum, file, ticket, true, sums);
            if (!sum.Has(true))
                break;
            Complete(entry.sum, entry.file, entry.ticket, true, sums);
            if (entry.sum.Has(true) && entry.sum.Whole() == sum.Whole())
                return entry.file;
        }
    }
    group.entries.push_back({file, ticket, sum});
    Place(group, group.entries.size() - 1);
    return nullptr;
}
