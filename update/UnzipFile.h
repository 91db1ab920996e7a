// The extractor handed out by CreateUnzipFile.
#pragma once

#include "update/IUnzipFile.h"
#include "update/ZipArchive.h"

#include <memory>
#include <string>

class CUnzipFile : public IUnzipFile {
public:
    ~CUnzipFile() override;

    OpResult Open(const wchar_t* zipPath) override;
    OpResult Close() override;
    void Release() override;
    OpResult GetEntry(int index, IFileEntry** out) override;
    OpResult ExtractEntry(int index, const wchar_t* destPath) override;
    OpResult ExtractAll(const wchar_t* destFolder) override;
    OpResult OpenMemory(const void* data, DWORD size) override;

private:
    OpResult Opened(std::unique_ptr<CZipArchive> archive);
    OpResult ExtractAllFiles(const std::wstring& destFolder);
    OpResult ExtractToFinalName(int index, const std::wstring& path);

    bool opened_ = false;
    std::unique_ptr<CZipArchive> archive_;
};
