#include "common/ProductFolder.h"

#include "platform/Windows.h"

std::wstring UserProductFolder(bool roaming)
{
    wchar_t base[MAX_PATH] = {};
    const int csidl = (roaming ? CSIDL_APPDATA : CSIDL_LOCAL_APPDATA) | CSIDL_FLAG_CREATE;
    if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, base)))
        return std::wstring();
    std::wstring folder = base;
    for (const wchar_t* part : {L"\\Orvane", L"\\Quarnel"}) {
        folder += part;
        if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
            return std::wstring();
    }
    return folder;
}

std::wstring LocalCfgPath()
{
    const std::wstring folder = UserProductFolder(true);
    return folder.empty() ? folder : folder + L"\\localcfg.ini";
}
