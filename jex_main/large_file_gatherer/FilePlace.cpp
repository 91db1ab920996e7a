#include "FilePlace.h"

namespace {

using folder_chain::IsGone;

bool SameWriteTime(const FILETIME& a, const FILETIME& b)
{
    return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

} // namespace

FilePlace CFilePlaces::Record(const std::wstring& path, const WIN32_FIND_DATAW& data)
{
    FilePlace place;
    const size_t slash = path.find_last_of(L'\\');
    if (slash == std::wstring::npos)
        return place;
    const std::wstring folderPath = path.substr(0, slash == 2 ? 3 : slash);  // a drive's folder keeps its backslash
    DWORD error = ERROR_SUCCESS;
    if (!held_ || folderPath != folderPath_) {
        auto chain = std::make_shared<FolderChain>();
        held_ = folder_chain::Record(folderPath, *chain, error);
        folderPath_ = held_ ? folderPath : std::wstring();
        chain_ = held_ ? std::move(chain) : nullptr;
    }
    if (!held_) {
        place.gone = IsGone(error);
        return place;
    }
    place.name = path.substr(slash + 1);
    const HANDLE file = folder_chain::OpenEntry(held_.get(), place.name, FILE_READ_ATTRIBUTES, 0, 0, error);
    if (!file) {
        place.gone = IsGone(error);
        return place;
    }
    BY_HANDLE_FILE_INFORMATION information{};
    const bool asListed = GetFileInformationByHandle(file, &information) &&
                          !(information.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) &&
                          information.nFileSizeHigh == data.nFileSizeHigh && information.nFileSizeLow == data.nFileSizeLow &&
                          SameWriteTime(information.ftLastWriteTime, data.ftLastWriteTime);
    CloseHandle(file);
    if (asListed) {
        place.folder = chain_;
        place.volume = information.dwVolumeSerialNumber;
        place.fileIndex = folder_chain::FileIndexOf(information);
    }
    return place;
}

HANDLE OpenPlaceForDeletion(const FilePlace& place, DWORD& error)
{
    if (!place.folder) {
        error = place.gone ? ERROR_FILE_NOT_FOUND : ERROR_DIRECTORY;
        return nullptr;
    }
    const folder_chain::Held folder = folder_chain::Reach(*place.folder, error);
    if (!folder) {
        if (!IsGone(error))
            error = ERROR_DIRECTORY;
        return nullptr;
    }
    return folder_chain::OpenEntry(folder.get(), place.name, DELETE | FILE_READ_ATTRIBUTES, 0, 0, error);
}
