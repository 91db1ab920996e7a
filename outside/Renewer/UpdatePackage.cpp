#include "UpdatePackage.h"

#include "UpdateLibrary.h"

#include "common/ParentFolders.h"
#include "platform/Text.h"
#include "platform/Windows.h"
#include "update/IUpdateFixt.h"


std::wstring DownloadedPackagePath()
{
    wchar_t buffer[MAX_PATH] = {};
    const DWORD length = GetTempPathW(MAX_PATH, buffer);
    if (length == 0 || length >= MAX_PATH)
        return std::wstring();
    std::wstring folder(buffer, length);
    if (folder.back() != L'\\')
        folder += L'\\';
    return folder + L"Orvane\\Quarnel\\Draviels.zip";
}

void CheckForUpdate()
{
    if (IUpdateFixt* fetcher = UpdateFetcher()) {
        _Update_Info_ offer = {};
        fetcher->CheckUpdate(&offer);
    }
}

std::string DownloadUpdatePackage()
{
    const std::wstring target = DownloadedPackagePath();
    if (target.empty())
        return "the temporary folder cannot be read";
    if (!DeleteFileW(target.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND &&
        GetLastError() != ERROR_PATH_NOT_FOUND)
        return "the earlier package cannot be removed (error " + std::to_string(GetLastError()) + ")";

    IUpdateFixt* fetcher = UpdateFetcher();
    if (!fetcher)
        return "the Update library cannot be loaded";
    _Update_Info_ offer = {};
    if (!fetcher->CheckUpdate(&offer))
        return "no newer update is offered";
    if (!EnsureFolder(FolderOf(target)))
        return "the temporary folder cannot be made (error " + std::to_string(GetLastError()) + ")";
    // The download library hands over the file only once every byte arrived.
    if (const OpResult result = fetcher->Download(offer.url, target.c_str()))
        return "the package " + platform::ToUtf8(offer.url) + " was not downloaded (" + ResultText(result) + ")";
    return std::string();
}
