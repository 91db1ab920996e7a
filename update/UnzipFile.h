// The extractor handed out by CreateUnzipFile.
#pragma once

#include "update/IUnzipFile.h"
#include "update/ZipArchive.h"

#include <functional>
#include <memory>
#include <vector>
#include <string>

class CHeldFolder;

class CUnzipFile : public IUnzipFile {
public:
    // The held folder an extraction goes into, had when the first file needs it; null with the
    // Windows error in its argument.
    using DestinationFolder = std::function<const CHeldFolder*(DWORD&)>;

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
    OpResult ExtractAllFiles(const DestinationFolder& destFolder);
    OpResult ExtractToFinalName(int index, const CHeldFolder& folder, const std::wstring& name);

    bool opened_ = false;
    std::unique_ptr<CZipArchive> archive_;
};
