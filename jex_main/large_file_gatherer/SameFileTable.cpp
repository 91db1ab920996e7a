#include "SameFileTable.h"

#include "BigFileGarbageInfo.h"

namespace {

// The sum as far as asked for; one that was unreadable is asked for again.
void Complete(CContentSum& sum, CBigFileGarbageInfo* file, uint64_t ticket, bool whole, CContentPrefetch& sums)
{
    if (sum.Has(whole))
        return;
    if (ticket == CContentPrefetch::kNoTicket)
        sum.Read(file->GetInfo()->path, file->GetInfo()->size, whole);
    else
        sum = sums.Sum(ticket, whole);
}

} // namespace

CBigFileGarbageInfo* CSameFileTable::FirstCopyOf(CBigFileGarbageInfo* file, uint64_t ticket, CContentPrefetch& sums)
{
    std::vector<Jex_Same_Info>& sameSize = entries_[file->GetInfo()->size];
    CContentSum sum;
    if (!sameSize.empty()) {
        Complete(sum, file, ticket, false, sums);
        for (Jex_Same_Info& entry : sameSize) {
            if (sum.Unreadable())
                break;
            Complete(entry.sum, entry.file, entry.ticket, false, sums);
            if (entry.sum.Unreadable() || !entry.sum.SameEnds(sum))
                continue;
            Complete(sum, file, ticket, true, sums);
            Complete(entry.sum, entry.file, entry.ticket, true, sums);
            if (sum.Has(true) && entry.sum.Has(true) && sum.Whole() == entry.sum.Whole())
                return entry.file;
        }
    }
    sameSize.push_back({file, ticket, sum});
    return nullptr;
}
