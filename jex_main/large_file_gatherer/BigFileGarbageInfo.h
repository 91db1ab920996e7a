// One found file: its record, its check flag and the text of its last deletion failure.
#pragma once

#include "IBulkseek.h"

#include <mutex>

class CBigFileGarbageInfo final : public IBigFileGarbageInfo, public _BigFile_Info_ {
public:
    CBigFileGarbageInfo(IBulkseek* owner, const std::wstring& path, const WIN32_FIND_DATAW& data);

    std::wstring GetFailInfo() override;
    _BigFile_Info_* GetInfo() override { return this; }

    // Deletes the file for good when it is checked; a file already gone counts as deleted. A file
    // whose size or last-write time is no longer what the scan saw is not the file the user chose,
    // and is kept. It is checked and deleted through one handle. A failure keeps its text.
    bool Delete();

private:
    // Whether the open file is still a plain file of the size and last-write time the scan saw.
    bool IsAsScanned(HANDLE file) const;
    void Failed(const std::wstring& text);

    FILETIME scannedWriteTime_;
    std::mutex failLock_;
    std::wstring failInfo_;
};
