#include "BulkseekOption.h"

#include "ShellItemProc.h"

#include <cstring>

namespace {

constexpr uint64_t kDefaultMinimumSize = 0x12C00000;  // 300 MiB

// A limit in force drops files on one side of it; a file whose time cannot be read is dropped.
bool WithinLimit(const FILETIME& fileTime, const COleDateTime& limit, uint8_t dropsEarlier)
{
    if (limit.GetStatus() != COleDateTime::valid)
        return true;
    const COleDateTime date = COleDateTime::FromFileTime(fileTime);
    if (date.GetStatus() != COleDateTime::valid)
        return false;
    return dropsEarlier ? !(date < limit) : !(date > limit);
}

} // namespace

CBulkseekOption::CBulkseekOption(IBulkseek* owner) : _BigFile_GatherOption_{}, owner_(owner)
{
    minimumSize = kDefaultMinimumSize;
    lastWriteLimit.SetStatus(COleDateTime::invalid);
    creationLimit.SetStatus(COleDateTime::invalid);
    owner_->AddRef();
}

CBulkseekOption::~CBulkseekOption()
{
    sameFiles_.Clear();
    owner_->Release();
}

bool CBulkseekOption::SetOption(const _BigFile_GatherOption_* option)
{
    if (option)
        std::memcpy(static_cast<_BigFile_GatherOption_*>(this), option, sizeof(_BigFile_GatherOption_));
    return true;
}

bool CBulkseekOption::Passes(const WIN32_FIND_DATAW& data) const
{
    return FileSizeOf(data) >= minimumSize && WithinLimit(data.ftCreationTime, creationLimit, creationByDay) &&
           WithinLimit(data.ftLastWriteTime, lastWriteLimit, lastWriteByDay);
}
