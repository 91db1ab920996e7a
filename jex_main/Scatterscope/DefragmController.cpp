#include "jex_main/Scatterscope/DefragmController.h"

#include "common/TallyrunBinding.h"

namespace {

const ControllerProfile DEFRAG_PROFILE = {
    DEFRAG_STATE_DEFRAG_QUEUED,             DEFRAG_STATE_DEFRAGMENTING,
    DEFRAG_STATE_DEFRAGMENTED,              DEFRAG_STATE_DEFRAG_FAILED,
    DEFRAG_STATE_DEFRAG_CANCELLED,          MakeResult(0x1E, RESULT_SYSTEM_CALL),
    MakeResult(0x56, RESULT_NOT_INITIALISED), MakeResult(0x6B, RESULT_NOT_INITIALISED),
    MakeResult(0x72, RESULT_NO_CALLBACK),   MakeResult(0x79, RESULT_BAD_ARGUMENT),
    MakeResult(0x7B, RESULT_BAD_ARGUMENT),  MakeResult(0x96, RESULT_NOT_INITIALISED),
    MakeResult(0x9D, RESULT_NO_CALLBACK),   MakeResult(0xA4, RESULT_BAD_ARGUMENT),
    MakeResult(0xA6, RESULT_BAD_ARGUMENT),
};

} // namespace

CDefragmController::CDefragmController() : CControllerFront(DEFRAG_PROFILE) {}

CDefragmController::~CDefragmController() { Uninit(); }

OpResult CDefragmController::Run(const wchar_t* volume, CWorkerSlot* slot)
{
    Report(volume, Profile().running, 0);
    std::string output;
    const OpResult result = RunDefragmenter(volume, slot, false, MakeResult(0x10C, RESULT_SYSTEM_CALL), output);
    if (IsFailure(result)) {
        ReportOutcome(volume, result, 0);
        return result;
    }
    Tallyrun_SetInfoDataEx(L"Clean_Disk_Optimize_Complete", 0, 1, 0, false, L"Task_CleanOperation", 1);
    // The callback gets a copy of its own, freed as soon as it returns.
    const std::string text = output;
    ReportOutcome(volume, result, reinterpret_cast<INT_PTR>(text.c_str()));
    return result;
}
