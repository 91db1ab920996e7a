#include "SpySetValueEx.h"

#include "common/TallyrunBinding.h"

int SpySetValueEx(int valueId, quint64 value)
{
    return Tallyrun_SpySetValueEx(valueId, static_cast<DWORD>(value), static_cast<DWORD>(value >> 32));
}
