#include "jex_main/volume_list/Drivelist.h"

#include "jex_main/volume_list/VolumeRecords.h"

#include <algorithm>
#include <new>

namespace {

CDrivelist* g_instance = nullptr;

} // namespace

CDrivelist* CDrivelist::Instance()
{
    if (!g_instance)
        g_instance = new (std::nothrow) CDrivelist();
    return g_instance;
}

CDrivelist::~CDrivelist()
{
    Uninit();
    g_instance = nullptr;
}

OpResult CDrivelist::Init()
{
    if (initialised_)
        return RESULT_OK;
    const OpResult result = ListVolumes(volumes_);
    if (IsFailure(result)) {
        volumes_.clear();
        return result;
    }
    initialised_ = 1;
    return RESULT_OK;
}

OpResult CDrivelist::Uninit()
{
    if (initialised_) {
        volumes_.clear();
        initialised_ = 0;
    }
    return RESULT_OK;
}

OpResult CDrivelist::GetVolumes(_Volume_Info_* volumes, uint32_t* count)
{
    if (!initialised_)
        return MakeResult(0x5A, RESULT_NOT_INITIALISED);
    if (!count)
        return MakeResult(0x60, RESULT_BAD_ARGUMENT);
    const auto listed = static_cast<uint32_t>(volumes_.size());
    if (!volumes) {
        *count = listed;
        return RESULT_OK;
    }
    if (*count < listed)
        return MakeResult(0x66, RESULT_SYSTEM_CALL);
    std::copy(volumes_.begin(), volumes_.end(), volumes);
    *count = listed;
    return RESULT_OK;
}
