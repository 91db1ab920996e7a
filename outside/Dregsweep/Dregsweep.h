// The process-wide junk gatherer: the category tree read from the rule file at Init, the analysis
// that walks every rule's folders, and the clean-up of the checked junk. One operation runs at a
// time; a second one is refused while it runs. Getters may be called from another thread meanwhile.
#pragma once

#include "JunkCatagory.h"

#include "jex_main/Sweepdeck/IDregsweep.h"

#include <atomic>
#include <vector>

class CDregsweep : public IDregsweep {
public:
    // Image names match ignoring case; at most this many ids of one application are passed on.
    static constexpr size_t kMaxProcessIds = 64;

    CDregsweep() = default;
    ~CDregsweep() override;

    int GetCatagoryCount() override { return static_cast<int>(catagories_.size()); }
    IDregsweepCatagory* GetFirstCatagory() override { return GetNextCatagory(nullptr); }
    IDregsweepCatagory* GetNextCatagory(IDregsweepCatagory* previous) override;
    OpResult Init(const wchar_t* configPath, const wchar_t* textPath) override;
    OpResult Uninit() override;
    bool IsBusy() override { return busy_; }
    OpResult CollectGarbage(IDregsweepSink* sink) override;
    OpResult EmptyGarbage(IDregsweepSink* sink) override;
    void Reset() override;

    void ResetStatistic() override { Reset(); }
    uint64_t GetTotalSize() override;
    uint64_t GetCheckedSize() override;
    int GetState() override { return state_; }
    uint64_t GetFileCount() override;

protected:
    // The ids of the machine's running processes with one of these image names that the pages may
    // be asked to close: never 0, never above INT_MAX, never this process's own; at most
    // kMaxProcessIds.
    virtual std::vector<DWORD> RunningProcesses(const std::vector<std::wstring>& imageNames);

private:
    class CPace;

    // Takes the one operation slot; a failure when the call cannot start.
    OpResult Begin(IDregsweepSink* sink, uint16_t step);
    // The analysis or the clean-up, category by category, until the sink says stop.
    OpResult Operate(IDregsweepSink* sink, uint16_t step, bool cleaning);
    void Analyse(CJunkCatagory& catagory, IDregsweepSink& sink, CPace& pace);
    void Clean(CJunkCatagory& catagory, IDregsweepSink& sink, CPace& pace);
    void ReleaseTree();
    // Asks the application to be closed when it runs; false when its junk must be left.
    bool CloseApplication(CJunkCatagory& program, IDregsweepSink& sink);
    // The clean-up of one application's checked junk; false when the sink ended the operation.
    bool CleanProgram(CJunkCatagory& program, IDregsweepSink& sink, CPace& pace);

    std::vector<CJunkCatagory*> catagories_;
    bool initialised_ = false;
    std::atomic<bool> busy_{false};
    std::atomic<int> state_{0};
};
