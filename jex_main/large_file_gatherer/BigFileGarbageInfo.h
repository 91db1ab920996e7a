// One found file: its record, its check flag and the text of its last deletion failure.
#pragma once

#include "FilePlace.h"
#include "IBulkseek.h"

#include <mutex>

class CBigFileGarbageInfo final : public IBigFileGarbageInfo, public _BigFile_Info_ {
public:
    // place: where the scan found the file, as its folder's listing told it.
    CBigFileGarbageInfo(IBulkseek* owner, const std::wstring& path, const WIN32_FIND_DATAW& data, FilePlace place);

    std::wstring GetFailInfo() override;
    _BigFile_Info_* GetInfo() override { return this; }
    const FilePlace& Place() const { return place_; }

    // Deletes the file for good when it is checked; a file already gone counts as deleted. It is
    // reached through the folders the scan recorded, from the drive down, and a file that is not
    // the one the scan found (its volume, file index, size or last-write time) or that no longer
    // lies in those folders is not the file the user chose, and is kept. It is checked and deleted
    // through one handle. A failure keeps its text.
    bool Delete();

private:
    // Whether the open file is still the plain file the scan saw.
    bool IsAsScanned(HANDLE file) const;
    void Failed(const std::wstring& text);

    FILETIME scannedWriteTime_;
    FilePlace place_;
    std::mutex failLock_;
    std::wstring failInfo_;
};
