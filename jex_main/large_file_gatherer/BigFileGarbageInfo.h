// One found file: its record, its check flag and the text of its last deletion failure.
#pragma once

#include "IBulkseek.h"

#include <mutex>

class CBigFileGarbageInfo final : public IBigFileGarbageInfo, public _BigFile_Info_ {
public:
    CBigFileGarbageInfo(IBulkseek* owner, const std::wstring& path, const WIN32_FIND_DATAW& data);

    std::wstring GetFailInfo() override;
    _BigFile_Info_* GetInfo() override { return this; }

    // Deletes the file for good when it is checked; a file already gone counts as deleted. A
    // failure keeps the system's text for it.
    bool Delete();

private:
    std::mutex failLock_;
    std::wstring failInfo_;
};
