#include "common/HeldFolderRemoval.h"

#include <vector>

void ClearReadOnly(HANDLE entry, const BY_HANDLE_FILE_INFORMATION& information)
{
    if (!(information.dwFileAttributes & FILE_ATTRIBUTE_READONLY))
        return;
    FILE_BASIC_INFO basic {};
    const DWORD rest = information.dwFileAttributes & ~(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY);
    basic.FileAttributes = rest ? rest : FILE_ATTRIBUTE_NORMAL;
    SetFileInformationByHandle(entry, FileBasicInfo, &basic, sizeof(basic));
}

void EmptyHeldFolder(const CHeldFolder& folder)
{
    std::vector<std::wstring> names;
    folder.ForEachEntry([&names](const FILE_ID_BOTH_DIR_INFO& found) {
        names.push_back(EntryName(found));
        return true;
    });
    for (const std::wstring& name : names)
        RemoveHeldEntry(folder, name);
}

CHeldFolder::Deletion RemoveHeldEntry(const CHeldFolder& folder, const std::wstring& name)
{
    return folder.DeleteEntry(name, 0, FILE_WRITE_ATTRIBUTES,
                              [&](HANDLE entry, const BY_HANDLE_FILE_INFORMATION& information) {
        if (IsRealFolder(information.dwFileAttributes))
            EmptyHeldFolder(CHeldFolder(folder, name, information.dwVolumeSerialNumber, FileIndexOf(information)));
        ClearReadOnly(entry, information);
        return true;
    });
}
