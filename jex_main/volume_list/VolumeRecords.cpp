#include "jex_main/volume_list/VolumeRecords.h"

#include "platform/Text.h"

#include <algorithm>
#include <cwchar>
#include <string>

namespace {

// "\\?\Volume{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}\"
constexpr size_t VOLUME_NAME_LENGTH = 49;
constexpr size_t RECORD_TEXT_LENGTH = 64;

std::vector<std::wstring> EnumerateVolumeNames(OpResult& result)
{
    std::vector<std::wstring> names;
    wchar_t name[MAX_PATH] = {};
    const HANDLE find = FindFirstVolumeW(name, MAX_PATH);
    if (find == INVALID_HANDLE_VALUE) {
        result = MakeResult(0x7C, RESULT_SYSTEM_CALL, GetLastError());
        return names;
    }
    do
        names.emplace_back(name);
    while (FindNextVolumeW(find, name, MAX_PATH));
    FindVolumeClose(find);
    result = RESULT_OK;
    return names;
}

std::wstring WithBackslash(std::wstring path)
{
    if (path.empty() || path.back() != L'\\')
        path += L'\\';
    return path;
}

int32_t LetterIndexOf(const std::wstring& volumeName)
{
    for (wchar_t letter = L'A'; letter <= L'Z'; ++letter) {
        const wchar_t root[] = {letter, L':', L'\\', L'\0'};
        wchar_t behind[MAX_PATH] = {};
        if (GetVolumeNameForVolumeMountPointW(root, behind, MAX_PATH) && volumeName == behind)
            return letter - L'A';
    }
    return -1;
}

int32_t FileSystemKind(const std::wstring& name)
{
    const std::wstring upper = platform::UpperCase(name);
    if (upper == L"FAT")
        return VOLUME_FS_FAT;
    if (upper == L"FAT32")
        return VOLUME_FS_FAT32;
    if (upper == L"NTFS")
        return VOLUME_FS_NTFS;
    if (upper == L"EXFAT")
        return VOLUME_FS_EXFAT;
    return 0;
}

// A text cut to the record's field, terminated.
void CopyField(wchar_t (&field)[RECORD_TEXT_LENGTH], const std::wstring& text)
{
    const size_t length = std::min(text.size(), RECORD_TEXT_LENGTH - 1);
    std::wmemcpy(field, text.c_str(), length);
    std::wmemset(field + length, L'\0', RECORD_TEXT_LENGTH - length);
}

// The record of a listable volume; false for volumes the lister leaves out.
bool MakeRecord(const std::wstring& enumerated, _Volume_Info_& record)
{
    if (enumerated.size() < VOLUME_NAME_LENGTH)
        return false;
    const UINT type = GetDriveTypeW(enumerated.c_str());
    if (type != DRIVE_REMOVABLE && type != DRIVE_FIXED)
        return false;
    const std::wstring volumeName = enumerated.substr(0, VOLUME_NAME_LENGTH);
    wchar_t label[MAX_PATH] = {};
    wchar_t fileSystem[MAX_PATH] = {};
    const bool known = GetVolumeInformationW(WithBackslash(enumerated).c_str(), label, MAX_PATH, nullptr, nullptr,
                                             nullptr, fileSystem, MAX_PATH);
    record.fileSystem = known ? FileSystemKind(fileSystem) : 0;
    if (record.fileSystem == 0)
        return false;
    CopyField(record.volumeName, volumeName);
    CopyField(record.label, label);
    record.letterIndex = LetterIndexOf(WithBackslash(volumeName));
    return true;
}

} // namespace

OpResult ListVolumes(std::vector<_Volume_Info_>& volumes)
{
    volumes.clear();
    OpResult result = RESULT_OK;
    const std::vector<std::wstring> names = EnumerateVolumeNames(result);
    if (IsFailure(result))
        return result;
    for (const auto& name : names) {
        _Volume_Info_ record = {};
        if (MakeRecord(name, record))
            volumes.push_back(record);
    }
    std::stable_sort(volumes.begin(), volumes.end(), [](const _Volume_Info_& a, const _Volume_Info_& b) {
        return a.letterIndex < b.letterIndex;
    });
    return RESULT_OK;
}
