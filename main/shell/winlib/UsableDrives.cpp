#include "winlib/UsableDrives.h"

#include "winlib/SpecialFolders.h"

#include <cwctype>
#include <mutex>
#include <string>

namespace {

struct UsableDrives {
    DWORD logicalDrives = 0;
    DWORD usable = 0;
    wchar_t best = L'C';
};

wchar_t WindowsDriveLetter()
{
    const wchar_t* windows = SpecialFolders().Path(CSIDL_WINDOWS);
    if (!windows || !std::iswalpha(static_cast<wint_t>(windows[0])))
        return L'C';
    return static_cast<wchar_t>(std::towupper(static_cast<wint_t>(windows[0])));
}

bool IsFloppy(const std::wstring& device)
{
    wchar_t target[MAX_PATH] = {};
    return QueryDosDeviceW(device.c_str(), target, MAX_PATH) != 0 &&
           std::wstring(target).find(L"Floppy") != std::wstring::npos;
}

UsableDrives Survey(DWORD logicalDrives)
{
    UsableDrives result;
    result.logicalDrives = logicalDrives;
    result.best = WindowsDriveLetter();
    ULONGLONG mostFree = 0;
    for (int index = 0; index < 26; ++index) {
        if ((logicalDrives & (1u << index)) == 0)
            continue;
        const wchar_t letter = static_cast<wchar_t>(L'A' + index);
        const std::wstring device{letter, L':'};
        const UINT type = GetDriveTypeW((device + L"\\").c_str());
        if (type == DRIVE_REMOVABLE && IsFloppy(device))
            continue;
        result.usable |= 1u << index;
        if (type != DRIVE_FIXED && type != DRIVE_REMOVABLE)
            continue;
        ULARGE_INTEGER available = {};
        if (GetDiskFreeSpaceExW((device + L"\\").c_str(), &available, nullptr, nullptr) &&
            available.QuadPart > mostFree) {
            mostFree = available.QuadPart;
            result.best = letter;
        }
    }
    return result;
}

} // namespace

wchar_t GetUsableDrives(DWORD& driveMask)
{
    static std::mutex mutex;
    static UsableDrives kept;
    static bool surveyed = false;

    const DWORD logicalDrives = GetLogicalDrives();
    const std::lock_guard<std::mutex> lock(mutex);
    if (!surveyed || kept.logicalDrives != logicalDrives) {
        kept = Survey(logicalDrives);
        surveyed = true;
    }
    driveMask = kept.usable;
    return kept.best;
}
