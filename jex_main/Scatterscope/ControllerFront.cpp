#include "jex_main/Scatterscope/ControllerFront.h"

#include "jex_main/Scatterscope/AnalysisHelper.h"
#include "jex_main/Scatterscope/DefragCommand.h"
#include "jex_main/Scatterscope/DefragLauncher.h"
#include "jex_main/Scatterscope/DefragLog.h"

#include <cwchar>

OpResult CControllerFront::Init()
{
    if (initialised_) {
        DEFRAG_LOG_FAILURE(profile_.alreadyInitialised);
        return profile_.alreadyInitialised;
    }
    const OpResult result = BaseInit();
    if (IsFailure(result))
        return result;
    callback_ = nullptr;
    context_ = nullptr;
    initialised_ = 1;
    return RESULT_OK;
}

OpResult CControllerFront::Uninit()
{
    if (!initialised_)
        return RESULT_OK;
    BaseUninit();
    callback_ = nullptr;
    context_ = nullptr;
    initialised_ = 0;
    return RESULT_OK;
}

OpResult CControllerFront::SetCallback(DefragStatusProc callback, void* context)
{
    if (!initialised_) {
        DEFRAG_LOG_FAILURE(profile_.callbackNotInitialised);
        return profile_.callbackNotInitialised;
    }
    callback_ = callback;
    context_ = context;
    return RESULT_OK;
}

OpResult CControllerFront::Start(const wchar_t* volume)
{
    const OpResult refused = CheckRequest(volume, profile_.startNotInitialised, profile_.startNoCallback,
                                          profile_.startNullVolume, profile_.startVolumeTooLong);
    if (IsFailure(refused))
        return refused;
    Report(volume, profile_.queued, 0);
    return Enqueue(volume);
}

OpResult CControllerFront::Stop(const wchar_t* volume, bool wait)
{
    const OpResult refused = CheckRequest(volume, profile_.stopNotInitialised, profile_.stopNoCallback,
                                          profile_.stopNullVolume, profile_.stopVolumeTooLong);
    if (IsFailure(refused))
        return refused;
    const OpResult dequeued = Dequeue(volume);
    if (!IsFailure(dequeued))
        return dequeued;
    return CancelRunning(volume, wait);
}

OpResult CControllerFront::CheckRequest(const wchar_t* volume, OpResult notInitialised, OpResult noCallback,
                                        OpResult nullVolume, OpResult volumeTooLong) const
{
    OpResult result = RESULT_OK;
    if (!initialised_)
        result = notInitialised;
    else if (!callback_.load())
        result = noCallback;
    else if (!volume)
        result = nullVolume;
    else if (std::wcslen(volume) >= DEFRAG_VOLUME_CHARS)
        result = volumeTooLong;
    if (IsFailure(result))
        DEFRAG_LOG_FAILURE(result);
    return result;
}

OpResult CControllerFront::ReportCancelled(const wchar_t* volume)
{
    Report(volume, profile_.cancelled, 0);
    return RESULT_OK;
}

void CControllerFront::Report(const wchar_t* volume, DefragState state, INT_PTR value) const
{
    const DefragStatusProc callback = callback_.load();
    if (!callback)
        return;
    _Defrag_Status_Info_ status = {};
    std::wcsncpy(status.volume, volume, DEFRAG_VOLUME_CHARS - 1);
    status.state = state;
    status.value = value;
    callback(context_.load(), &status);
}

void CControllerFront::ReportOutcome(const wchar_t* volume, OpResult result, INT_PTR finishedValue) const
{
    if (!IsFailure(result)) {
        Report(volume, profile_.finished, finishedValue);
        return;
    }
    const bool cancelled = (result & 0x3FFF) == RESULT_CANCELLED;
    Report(volume, cancelled ? profile_.cancelled : profile_.failed, static_cast<int32_t>(ResultLow(result)));
}

OpResult CControllerFront::RunDefragmenter(const wchar_t* volume, CWorkerSlot* slot, bool analyse,
                                           OpResult emptyOutput, std::string& output) const
{
    wchar_t command[DEFRAG_COMMAND_CHARS] = {};
    OpResult result = BuildDefragCommand(volume, command, DEFRAG_COMMAND_CHARS, analyse);
    if (IsFailure(result)) {
        DEFRAG_LOG_FAILURE(result);
        return result;
    }
    result = RunLauncher(command, slot, output);
    if (!IsFailure(result) && output.empty())
        result = emptyOutput;
    if (!IsFailure(result))
        result = CheckOutput(output);
    if (IsFailure(result))
        DEFRAG_LOG_FAILURE(result, output);
    return result;
}
