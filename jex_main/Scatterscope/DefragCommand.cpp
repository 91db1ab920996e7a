#include "jex_main/Scatterscope/DefragCommand.h"

#include "jex_main/Scatterscope/MessageFile.h"
#include "jex_main/Scatterscope/MiscFunc.h"

#include <cwchar>
#include <string>

namespace {

// Copies the text with its terminator when it fits; false otherwise.
bool CopyFitting(const std::wstring& text, wchar_t* buffer, size_t chars)
{
    if (text.size() + 1 > chars)
        return false;
    std::wmemcpy(buffer, text.c_str(), text.size() + 1);
    return true;
}

// Whether the system folder holds the English message file (a FindFirstFileW test).
OpResult HasMessageFile(const std::wstring& systemFolder, bool& present)
{
    WIN32_FIND_DATAW data;
    const HANDLE find = FindFirstFileW((systemFolder + L"\\en-US\\defrag.exe.mui").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        FindClose(find);
        present = true;
        return RESULT_OK;
    }
    const DWORD error = GetLastError();
    present = false;
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? RESULT_OK
                                                                          : MakeResult(0x1A6, RESULT_SYSTEM_CALL);
}

OpResult MakeUniqueFolder(std::wstring& folder)
{
    wchar_t temp[MAX_PATH] = {};
    const DWORD length = GetTempPathW(MAX_PATH, temp);
    if (length == 0 || length >= MAX_PATH)
        return MakeResult(0x7F, RESULT_SYSTEM_CALL);
    UUID uuid;
    if (UuidCreate(&uuid) != RPC_S_OK)
        return MakeResult(0x85, RESULT_SYSTEM_CALL);
    RPC_WSTR text = nullptr;
    if (UuidToStringW(&uuid, &text) != RPC_S_OK)
        return MakeResult(0x8B, RESULT_SYSTEM_CALL);
    folder = std::wstring(temp) + text;
    RpcStringFreeW(&text);
    if (!CreateDirectoryW(folder.c_str(), nullptr))
        return MakeResult(0x56, RESULT_SYSTEM_CALL);
    return RESULT_OK;
}

OpResult CopyDefragmenter(const std::wstring& systemFolder, std::wstring& folder)
{
    OpResult result = MakeUniqueFolder(folder);
    if (IsFailure(result))
        return result;
    if (!CopyFileW((systemFolder + L"\\defrag.exe").c_str(), (folder + L"\\defrag.exe").c_str(), FALSE))
        return MakeResult(0x61, RESULT_SYSTEM_CALL);
    if (!CreateDirectoryW((folder + L"\\en-US").c_str(), nullptr))
        return MakeResult(0x6A, RESULT_SYSTEM_CALL);
    return WriteMessageFile((folder + L"\\en-US\\defrag.exe.mui").c_str());
}

// Windows 7 and later, with redirection off: the system folder or a prepared copy.
OpResult ChooseFolder(const std::wstring& systemFolder, wchar_t* folder, size_t folderChars)
{
    bool present = false;
    OpResult result = HasMessageFile(systemFolder, present);
    if (IsFailure(result))
        return result;
    if (present)
        return CopyFitting(systemFolder, folder, folderChars) ? RESULT_OK : MakeResult(0x46, RESULT_SYSTEM_CALL);
    std::wstring copy;
    result = CopyDefragmenter(systemFolder, copy);
    if (IsFailure(result))
        return result;
    return CopyFitting(copy, folder, folderChars) ? RESULT_OK : MakeResult(0x78, RESULT_SYSTEM_CALL);
}

} // namespace

OpResult PrepareDefragFolder(wchar_t* folder, size_t folderChars)
{
    bool win7OrLater = false;
    OpResult result = IsWin7OrLater(win7OrLater);
    if (IsFailure(result))
        return result;
    wchar_t system[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(system, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return MakeResult(0x22, RESULT_SYSTEM_CALL);
    if (!win7OrLater)
        return CopyFitting(system, folder, folderChars) ? RESULT_OK : MakeResult(0x2B, RESULT_SYSTEM_CALL);
    result = SetWow64FsRedirection(false);
    if (!IsFailure(result))
        result = ChooseFolder(system, folder, folderChars);
    SetWow64FsRedirection(true);
    return result;
}

OpResult BuildDefragCommand(const wchar_t* volume, wchar_t* command, size_t commandChars, bool analyse)
{
    wchar_t folder[DEFRAG_FOLDER_CHARS] = {};
    const OpResult result = PrepareDefragFolder(folder, DEFRAG_FOLDER_CHARS);
    if (IsFailure(result))
        return result;
    std::wstring text = L"\"" + std::wstring(folder) + L"\\defrag.exe\" " + volume;
    if (analyse)
        text += L" -a";
    return CopyFitting(text, command, commandChars) ? RESULT_OK : MakeResult(0xD6, RESULT_SYSTEM_CALL);
}
