#include "update/DownloadFolder.h"

#include "common/HeldFolder.h"
#include "common/ModuleDir.h"
#include "common/ProductFolder.h"
#include "common/UpdatePackagePlace.h"

namespace {

const wchar_t kDescriptionName[] = L"\\kyphtupdate.ini";

// Makes the folder where missing and tries a file in it, so that the kernel, not a setting, says
// whether this process may write there. ERROR_SUCCESS or the Windows error.
DWORD MakeWritable(const std::wstring& folder)
{
    if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        return GetLastError();
    if (!IsRealFolder(GetFileAttributesW(folder.c_str())))
        return ERROR_DIRECTORY;
    wchar_t probe[MAX_PATH] = {};
    if (GetTempFileNameW(folder.c_str(), L"kyd", 0, probe) == 0)
        return GetLastError();
    DeleteFileW(probe);
    return ERROR_SUCCESS;
}

} // namespace

std::wstring FetchedDescriptionPath()
{
    const std::wstring programFolder = GetModuleDir();
    if (programFolder.empty())
        return std::wstring();
    const std::wstring downloads = programFolder + kPackageFolderName;
    const DWORD error = MakeWritable(downloads);
    if (error == ERROR_SUCCESS)
        return downloads + kDescriptionName;
    // A full disk or anything else in the way is no reason for root to take a folder of the user's.
    if (error != ERROR_ACCESS_DENIED)
        return std::wstring();
    const std::wstring own = UserProductFolder(false);
    return own.empty() ? own : own + kDescriptionName;
}
