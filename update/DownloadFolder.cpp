#include "update/DownloadFolder.h"

#include "platform/Windows.h"
#include "update/ParentFolders.h"

std::wstring FetchedDescriptionPath()
{
    wchar_t appData[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, appData)))
        return std::wstring();
    const std::wstring folder = std::wstring(appData) + L"\\Orvane\\Quarnel";
    return EnsureFolder(folder) ? folder + L"\\kyphtupdate.ini" : std::wstring();
}
