// What the two controllers share above the worker framework: the operations of IDefragController,
// the status reports and the run of the defragmenter. Each controller brings its own states and
// result codes.
#pragma once

#include "jex_main/Scatterscope/BaseController.h"
#include "jex_main/Scatterscope/IDefragController.h"

struct ControllerProfile {
    DefragState queued, running, finished, failed, cancelled;
    OpResult alreadyInitialised;
    OpResult callbackNotInitialised;
    OpResult startNotInitialised, startNoCallback, startNullVolume, startVolumeTooLong;
    OpResult stopNotInitialised, stopNoCallback, stopNullVolume, stopVolumeTooLong;
};

class CControllerFront : public CBaseController, public IDefragController {
public:
    OpResult Init() override;
    OpResult Uninit() override;
    OpResult SetCallback(DefragStatusProc callback, void* context) override;
    OpResult Start(const wchar_t* volume) override;
    OpResult Stop(const wchar_t* volume, bool wait) override;

protected:
    explicit CControllerFront(const ControllerProfile& profile) : profile_(profile) {}

    OpResult ReportCancelled(const wchar_t* volume) override;

    void Report(const wchar_t* volume, DefragState state, INT_PTR value) const;
    // The finished state with its value on success; otherwise the cancelled state for kind 10 and
    // the failed state for any other kind, with the result's low 32 bits.
    void ReportOutcome(const wchar_t* volume, OpResult result, INT_PTR finishedValue) const;
    // Builds the command line, runs the launcher and checks the output; every failure is logged.
    OpResult RunDefragmenter(const wchar_t* volume, CWorkerSlot* slot, bool analyse, OpResult emptyOutput,
                             std::string& output) const;

    const ControllerProfile& Profile() const { return profile_; }

private:
    // Initialised, callback set, volume given and short enough for the status record.
    OpResult CheckRequest(const wchar_t* volume, OpResult notInitialised, OpResult noCallback, OpResult nullVolume,
                          OpResult volumeTooLong) const;

    const ControllerProfile& profile_;
    int32_t initialised_ = 0;
    // Read by the workers without a lock: callers set them before they start volumes.
    std::atomic<DefragStatusProc> callback_{nullptr};
    std::atomic<void*> context_{nullptr};
};
