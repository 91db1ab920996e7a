#include "jex_main/Scatterscope/BaseController.h"

#include "jex_main/Scatterscope/DefragLog.h"
#include "jex_main/Scatterscope/RunRecord.h"

#include <algorithm>
#include <new>
#include <system_error>

namespace {

constexpr DWORD WAKE_WAIT_MS = 100;
constexpr int WORKERS_FROM_VISTA = 5;
constexpr int WORKERS_BEFORE_VISTA = 1;

// One run of the whole module at a time on Windows XP and older. The flag belongs to the worker
// that set it until its run has ended, so neither controller's start-up or shutdown touches it
// while the other one runs.
std::mutex g_runLock;
bool g_runInProgress = false;

template <class Container>
void EraseValue(Container& container, const std::wstring& value)
{
    const auto found = std::find(container.begin(), container.end(), value);
    if (found != container.end())
        container.erase(found);
}

} // namespace

CBaseController::~CBaseController() { BaseUninit(); }

OpResult CBaseController::BaseInit()
{
    const OpResult result = StartWorkers();
    if (IsFailure(result)) {
        DEFRAG_LOG_FAILURE(result);
        BaseUninit();
    }
    return result;
}

OpResult CBaseController::StartWorkers()
{
    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExW(&version))
        return MakeResult(0x12B, RESULT_SYSTEM_CALL);
    const bool vistaOrLater = version.dwMajorVersion > 5;
    const int count = vistaOrLater ? WORKERS_FROM_VISTA : WORKERS_BEFORE_VISTA;
    try {
        for (int i = 0; i < count; ++i)
            slots_.push_back(std::make_unique<CWorkerSlot>());
    } catch (const std::bad_alloc&) {
        return MakeResult(0x77, RESULT_SYSTEM_CALL);
    }
    wakeEvent_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (!wakeEvent_)
        return MakeResult(0x80, RESULT_SYSTEM_CALL);
    stop_ = false;
    parallel_ = vistaOrLater ? 1 : 0;
    {
        std::lock_guard<std::mutex> lock(queueLock_);
        queue_.clear();
    }
    for (const auto& slot : slots_) {
        slot->owner = this;
        try {
            workers_.emplace_back(&CBaseController::WorkerRoutine, this, slot.get());
        } catch (const std::system_error&) {
            return MakeResult(0x8C, RESULT_SYSTEM_CALL);
        }
    }
    return RESULT_OK;
}

OpResult CBaseController::Enqueue(const wchar_t* volume)
{
    if (!volume)
        return MakeResult(0x4C, RESULT_BAD_ARGUMENT);
    {
        std::lock_guard<std::mutex> lock(queueLock_);
        EraseValue(queue_, volume);
        queue_.emplace_back(volume);
    }
    SetEvent(wakeEvent_);
    return RESULT_OK;
}

OpResult CBaseController::Dequeue(const wchar_t* volume)
{
    {
        std::lock_guard<std::mutex> lock(queueLock_);
        const auto found = std::find(queue_.begin(), queue_.end(), volume);
        if (found == queue_.end()) {
            const OpResult result = MakeResult(0x10A, RESULT_NOT_QUEUED);
            DEFRAG_LOG_FAILURE(result);
            return result;
        }
        queue_.erase(found);
    }
    return ReportCancelled(volume);
}

// A waiting Stop owns its event and closes it; the worker signals it and forgets it when the run
// has ended, so overlapping waits never take each other's event away.
OpResult CBaseController::CancelRunning(const wchar_t* volume, bool wait)
{
    HANDLE waitEvent = nullptr;
    {
        std::lock_guard<std::mutex> lock(slotLock_);
        const auto slot = std::find_if(slots_.begin(), slots_.end(),
                                       [volume](const auto& candidate) { return candidate->volume == volume; });
        if (slot == slots_.end())
            return RESULT_OK;
        CancelSlot(**slot);
        if (!wait)
            return RESULT_OK;
        waitEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        if (!waitEvent)
            return RESULT_OK;
        (*slot)->waitEvents.push_back(waitEvent);
    }
    WaitForSingleObject(waitEvent, INFINITE);
    CloseHandle(waitEvent);
    return RESULT_OK;
}

void CBaseController::CancelSlot(CWorkerSlot& slot)
{
    if (slot.runRecord)
        slot.runRecord->SignalCancel();
    else
        slot.cancelRequested = true;
}

// The queue is emptied first, so every volume a worker has taken is in its slot by the time the
// slots are cancelled.
OpResult CBaseController::BaseUninit()
{
    {
        std::lock_guard<std::mutex> lock(queueLock_);
        queue_.clear();
    }
    {
        std::lock_guard<std::mutex> lock(slotLock_);
        for (const auto& slot : slots_)
            if (!slot->volume.empty())
                CancelSlot(*slot);
    }
    stop_ = true;
    for (size_t i = 0; i < workers_.size(); ++i)
        SetEvent(wakeEvent_);
    for (auto& worker : workers_)
        worker.join();
    workers_.clear();
    slots_.clear();
    if (wakeEvent_)
        CloseHandle(wakeEvent_);
    wakeEvent_ = nullptr;
    {
        std::lock_guard<std::mutex> lock(queueLock_);
        queue_.clear();
        taken_.clear();
    }
    return RESULT_OK;
}

void CBaseController::SetRunRecord(CWorkerSlot* slot, std::unique_ptr<CRunRecord> record)
{
    std::lock_guard<std::mutex> lock(slotLock_);
    slot->runRecord = std::move(record);
    if (slot->cancelRequested)
        slot->runRecord->SignalCancel();
}

void CBaseController::WorkerRoutine(CWorkerSlot* slot)
{
    OpResult result = RESULT_OK;
    do
        result = WorkerLoop(slot);
    while (!IsFailure(result));
    DEFRAG_LOG_FAILURE(result);
}

OpResult CBaseController::WorkerLoop(CWorkerSlot* slot)
{
    if (stop_)
        return MakeResult(0x235, RESULT_SYSTEM_CALL);
    std::wstring volume;
    if (!TakeVolume(slot, volume)) {
        WaitForSingleObject(wakeEvent_, WAKE_WAIT_MS);
        return RESULT_OK;
    }
    const OpResult result = Run(volume.c_str(), slot);
    if (IsFailure(result))
        DEFRAG_LOG_FAILURE(result);
    FinishVolume(slot, volume);
    return RESULT_OK;
}

// The one place where the slot lock is taken inside the queue lock; nothing takes them the other way.
bool CBaseController::TakeVolume(CWorkerSlot* slot, std::wstring& volume)
{
    std::lock_guard<std::mutex> queueLock(queueLock_);
    const auto free = std::find_if(queue_.begin(), queue_.end(), [this](const std::wstring& queued) {
        return std::find(taken_.begin(), taken_.end(), queued) == taken_.end();
    });
    if (free == queue_.end())
        return false;
    if (!IsParallel()) {
        std::lock_guard<std::mutex> runLock(g_runLock);
        if (g_runInProgress)
            return false;
        g_runInProgress = true;
    }
    volume = *free;
    queue_.erase(free);
    taken_.push_back(volume);
    std::lock_guard<std::mutex> slotLock(slotLock_);
    slot->volume = volume;
    slot->cancelRequested = false;
    return true;
}

void CBaseController::FinishVolume(CWorkerSlot* slot, const std::wstring& volume)
{
    std::unique_ptr<CRunRecord> record;
    {
        std::lock_guard<std::mutex> lock(slotLock_);
        slot->volume.clear();
        slot->cancelRequested = false;
        record = std::move(slot->runRecord);
        for (HANDLE waitEvent : slot->waitEvents)
            SetEvent(waitEvent);
        slot->waitEvents.clear();
    }
    record.reset();
    {
        std::lock_guard<std::mutex> lock(queueLock_);
        EraseValue(taken_, volume);
    }
    if (!IsParallel()) {
        std::lock_guard<std::mutex> lock(g_runLock);
        g_runInProgress = false;
    }
    SetEvent(wakeEvent_);
}
