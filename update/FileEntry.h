// One described entry, independent of its archive once made.
#pragma once

#include "update/IUnzipFile.h"

#include <memory>

class CFileEntry : public IFileEntry {
public:
    explicit CFileEntry(std::unique_ptr<_Zip_Entry_Info_> info) : info_(std::move(info)) {}

    void Release() override { delete this; }
    int GetIndex() override { return info_->index; }
    const wchar_t* GetName() override { return info_->name; }
    int IsDirectory() override { return (info_->attributes & FILE_ATTRIBUTE_DIRECTORY) ? 1 : 0; }

private:
    std::unique_ptr<_Zip_Entry_Info_> info_;
};
