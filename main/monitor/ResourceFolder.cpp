#include "ResourceFolder.h"

#include "common/ParentFolders.h"

std::unique_ptr<CHeldFolder> HoldResourceFolder(const std::wstring& folder, DWORD& error)
{
    const size_t last = folder.find_last_not_of(L'\\');
    const std::wstring path = last == std::wstring::npos ? std::wstring() : folder.substr(0, last + 1);
    // An empty path would be the current folder.
    if (path.empty()) {
        error = ERROR_PATH_NOT_FOUND;
        return nullptr;
    }
    if (!EnsureFolder(path)) {
        error = GetLastError() != ERROR_SUCCESS ? GetLastError() : ERROR_PATH_NOT_FOUND;
        return nullptr;
    }
    auto held = std::make_unique<CHeldFolder>(path, 0, 0);
    switch (held->GetState()) {
    case CHeldFolder::State::Held:
        return held;
    case CHeldFolder::State::Gone:
        error = ERROR_PATH_NOT_FOUND;
        break;
    case CHeldFolder::State::Changed:
        error = ERROR_DIRECTORY;
        break;
    case CHeldFolder::State::Denied:
        error = ERROR_ACCESS_DENIED;
        break;
    }
    return nullptr;
}
