// The process-wide large-file gatherer: drive and folder categories, acting as the logged-on user,
// scans, the found files and their deletion.
#pragma once

#include "BigFileCatagory.h"
#include "FoundFiles.h"
#include "HanvelLink.h"
#include "IBulkseek.h"

#include <mutex>
#include <vector>

class CBulkseek : public IBulkseek {
public:
    CBulkseek() = default;
    ~CBulkseek() override;

    OpResult Init(HRESULT* shellResult) override;
    OpResult Uninit() override;
    OpResult StartProc() override;
    OpResult QuitProc() override;
    IBulkseekOption* CreateOption() override;
    IBigFileCatagory* AddCatagory(const std::wstring& shellDisplayName) override;
    OpResult RemoveCatagory(IBigFileCatagory* catagory) override;
    OpResult GetCatagories(IBulkseekSink* sink) override;
    OpResult CollecttGarbage(IBulkseekSink* sink, IBulkseekOption* option) override;
    OpResult GetGarbages(IBulkseekSink* sink) override;
    OpResult EmptyGarbage(IBulkseekSink* sink) override;
    OpResult ClearGarbage() override;

private:
    // Makes the drive categories as the logged-on user sees them; the shell's result.
    HRESULT EnumerateDrives(std::vector<CBigFileCatagory*>& drives);
    void ReleaseCatagories();
    // The scan and the deletion act as the kept user on their own thread.
    void ActAsUser();

    bool initialised_ = false;
    HANDLE userToken_ = nullptr;
    std::vector<CBigFileCatagory*> driveCatagories_;
    std::recursive_mutex folderLock_;
    std::vector<CBigFileCatagory*> folderCatagories_;
    CFoundFiles found_;
    CHanvelLink hanvel_;
};
