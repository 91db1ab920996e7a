#include "jex_main/Scatterscope/AnalysisController.h"

#include "jex_main/Scatterscope/AnalysisHelper.h"
#include "jex_main/Scatterscope/DefragLog.h"

namespace {

const ControllerProfile ANALYSIS_PROFILE = {
    DEFRAG_STATE_ANALYSIS_QUEUED,           DEFRAG_STATE_ANALYSING,
    DEFRAG_STATE_ANALYSED,                  DEFRAG_STATE_ANALYSIS_FAILED,
    DEFRAG_STATE_ANALYSIS_CANCELLED,        MakeResult(0x1D, RESULT_SYSTEM_CALL),
    MakeResult(0x55, RESULT_NOT_INITIALISED), MakeResult(0x6A, RESULT_NOT_INITIALISED),
    MakeResult(0x71, RESULT_NO_CALLBACK),   MakeResult(0x78, RESULT_BAD_ARGUMENT),
    MakeResult(0x7A, RESULT_BAD_ARGUMENT),  MakeResult(0x95, RESULT_NOT_INITIALISED),
    MakeResult(0x9C, RESULT_NO_CALLBACK),   MakeResult(0xA3, RESULT_BAD_ARGUMENT),
    MakeResult(0xA5, RESULT_BAD_ARGUMENT),
};

} // namespace

CAnalysisController::CAnalysisController() : CControllerFront(ANALYSIS_PROFILE) {}

CAnalysisController::~CAnalysisController() { Uninit(); }

OpResult CAnalysisController::Run(const wchar_t* volume, CWorkerSlot* slot)
{
    Report(volume, Profile().running, 0);
    std::string output;
    int percent = 0;
    OpResult result = RunDefragmenter(volume, slot, true, MakeResult(0x103, RESULT_SYSTEM_CALL), output);
    if (!IsFailure(result)) {
        result = ParseFragmentation(output, percent);
        if (IsFailure(result))
            DEFRAG_LOG_FAILURE(result, output);
    }
    ReportOutcome(volume, result, percent);
    return result;
}
