// The Windows shell's file manager, standing in for the real one: it shows a folder with the
// desktop's file manager (the opener the layer opens folders with).
//
//   explorer [/select,] [path]
//
// The text after the program name is taken as it stands, as the real one takes it: a path may hold
// blanks without quotes. "/select," shows the folder that holds the path; a folder path shows that
// folder, the folder of a file path otherwise. Where that folder does not exist, or without a path,
// the user's Documents folder is shown. Exit codes: 0 shown, 1 the file manager could not be
// started.

#include "platform/Windows.h"

#include <cwctype>
#include <string>

namespace {

std::wstring Trimmed(const std::wstring& text)
{
    const size_t first = text.find_first_not_of(L" \t");
    if (first == std::wstring::npos)
        return std::wstring();
    return text.substr(first, text.find_last_not_of(L" \t") - first + 1);
}

// The command line without the program name.
std::wstring ParameterText()
{
    const std::wstring line = GetCommandLineW();
    size_t end = 0;
    if (!line.empty() && line[0] == L'"') {
        end = line.find(L'"', 1);
        end = end == std::wstring::npos ? line.size() : end + 1;
    } else {
        end = line.find_first_of(L" \t");
        if (end == std::wstring::npos)
            end = line.size();
    }
    return Trimmed(line.substr(end));
}

bool StartsWithSelect(const std::wstring& text)
{
    const std::wstring word = L"/select,";
    if (text.size() < word.size())
        return false;
    for (size_t i = 0; i < word.size(); ++i)
        if (static_cast<wchar_t>(std::towlower(text[i])) != word[i])
            return false;
    return true;
}

bool IsFolder(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring ParentOf(const std::wstring& path)
{
    const size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos)
        return std::wstring();
    // "C:\file" lies in "C:\".
    return path.substr(0, slash == 2 && path[1] == L':' ? 3 : slash);
}

std::wstring FolderToShow(const std::wstring& parameters)
{
    const bool select = StartsWithSelect(parameters);
    std::wstring path = Trimmed(select ? parameters.substr(8) : parameters);
    if (path.size() >= 2 && path.front() == L'"' && path.back() == L'"')
        path = path.substr(1, path.size() - 2);
    if (!path.empty()) {
        const std::wstring folder = !select && IsFolder(path) ? path : ParentOf(path);
        if (!folder.empty() && IsFolder(folder))
            return folder;
    }
    wchar_t documents[MAX_PATH] = {};
    return SHGetSpecialFolderPathW(nullptr, documents, CSIDL_PERSONAL, TRUE) ? documents : L"";
}

} // namespace

int main()
{
    const std::wstring folder = FolderToShow(ParameterText());
    if (folder.empty())
        return 1;
    const auto shown = reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"open", folder.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return shown > 32 ? 0 : 1;
}
