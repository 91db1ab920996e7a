#include "SameFileTable.h"

#include "BigFileGarbageInfo.h"

namespace {

const std::wstring& PathOf(CBigFileGarbageInfo* file) { return file->GetInfo()->path; }

// Reads what is still missing of the file's content: the first block, or the whole.
void Complete(CContentSum& sum, CBigFileGarbageInfo* file, bool whole)
{
    if (whole ? !sum.HasWhole() : !sum.HasFirstBlock())
        sum.Read(PathOf(file), whole);
}

} // namespace

CBigFileGarbageInfo* CSameFileTable::FirstCopyOf(CBigFileGarbageInfo* file)
{
    const uint64_t size = file->GetInfo()->size;
    const auto [begin, end] = entries_.equal_range(size);
    CContentSum sum;
    CBigFileGarbageInfo* firstCopy = nullptr;
    if (begin != end) {
        Complete(sum, file, false);
        for (auto it = begin; it != end && !sum.Unreadable(); ++it) {
            Jex_Same_Info& entry = it->second;
            Complete(entry.sum, entry.file, false);
            if (entry.sum.Unreadable() || entry.sum.FirstBlock() != sum.FirstBlock())
                continue;
            Complete(sum, file, true);
            Complete(entry.sum, entry.file, true);
            if (!sum.Unreadable() && !entry.sum.Unreadable() && entry.sum.Whole() == sum.Whole()) {
                firstCopy = entry.file;
                break;
            }
        }
    }
    if (!firstCopy)
        entries_.emplace_hint(end, size, Jex_Same_Info{file, sum});
    return firstCopy;
}
