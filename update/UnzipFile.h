// The extractor handed out by CreateUnzipFile.
#pragma once

#include "update/IUnzipFile.h"
#include "update/ZipArchive.h"

#include <memory>
#include <vector>
#include <string>

class CHeldFolder;

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
    OpResult ExtractAllInto(HANDLE destFolder) override;

private:
    OpResult Opened(std::unique_ptr<CZipArchive> archive);
    // Whether an archive is open and within its limits, for an extraction of all of it.
    OpResult ReadyForAll();
    OpResult ExtractAllFiles(const CHeldFolder& destFolder);
    OpResult ExtractToFinalName(int index, const CHeldFolder& folder, const std::wstring& name);

    bool opened_ = false;
    std::unique_ptr<CZipArchive> archive_;
};
