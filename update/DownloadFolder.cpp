#include "update/DownloadFolder.h"

#include "common/ProductFolder.h"

std::wstring FetchedDescriptionPath()
{
    const std::wstring folder = UserProductFolder(false);
    return folder.empty() ? folder : folder + L"\\kyphtupdate.ini";
}
