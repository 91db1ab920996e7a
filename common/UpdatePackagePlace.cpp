#include "common/UpdatePackagePlace.h"

#include "common/ModuleDir.h"

const wchar_t kPackageFolderName[] = L"Renewer.download";
const wchar_t kPackageName[] = L"Draviels.zip";

std::wstring DownloadedPackagePath()
{
    const std::wstring programFolder = GetModuleDir();
    return programFolder.empty() ? programFolder
                                 : programFolder + kPackageFolderName + L"\\" + kPackageName;
}
