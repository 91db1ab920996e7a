// The common base of the two controllers: a queue of volumes, a pool of workers that take the
// volumes one at a time and run them, and the bookkeeping that lets Stop find and cancel a run.
// On Windows XP and older one worker serves each controller, and one run of the whole module is
// under way at a time; from Windows Vista on five workers serve each controller.
#pragma once

#include "jex_main/Scatterscope/RunRecord.h"

#include <atomic>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class CBaseController;

// One worker's view of its run; read and written only under the controller's slot lock.
struct CWorkerSlot {
    CBaseController* owner = nullptr;
    std::vector<HANDLE> waitEvents;       // one per Stop waiting for this run to end
    std::wstring volume;                  // empty while the worker is idle
    std::unique_ptr<CRunRecord> runRecord; // null outside a run
    bool cancelRequested = false;         // a Stop came before the run record was attached
};

class CBaseController {
public:
    CBaseController(const CBaseController&) = delete;
    CBaseController& operator=(const CBaseController&) = delete;

    // 1 from Windows Vista on: runs may overlap, and no pause follows a run.
    bool IsParallel() const { return parallel_.load() != 0; }

    // Hands the run record to the slot, so that Stop can reach its cancel event from now on. A run
    // that was stopped before is cancelled at once.
    void SetRunRecord(CWorkerSlot* slot, std::unique_ptr<CRunRecord> record);

protected:
    CBaseController() = default;
    virtual ~CBaseController();

    // Reports a volume that was taken off the queue.
    virtual OpResult ReportCancelled(const wchar_t* volume) = 0;
    // Runs one volume on a worker thread and reports its states; a failure is already reported.
    virtual OpResult Run(const wchar_t* volume, CWorkerSlot* slot) = 0;

    // Starts the workers; a failure stops those already started.
    OpResult BaseInit();
    OpResult Enqueue(const wchar_t* volume);
    // Takes a waiting volume off the queue and reports it cancelled; 0x10A0009 when it is not queued.
    OpResult Dequeue(const wchar_t* volume);
    OpResult CancelRunning(const wchar_t* volume, bool wait);
    // Empties the queue without reports, cancels the runs and joins the workers. Always 0.
    OpResult BaseUninit();

private:
    OpResult StartWorkers();
    void WorkerRoutine(CWorkerSlot* slot);
    // One pass: runs one volume, or waits up to 100 ms for one; 0x2350001 once stopped.
    OpResult WorkerLoop(CWorkerSlot* slot);
    // The first queued volume that no other worker is running, now the slot's volume. The queue
    // and the slot change together, so that Stop finds the volume in one or the other.
    bool TakeVolume(CWorkerSlot* slot, std::wstring& volume);
    void FinishVolume(CWorkerSlot* slot, const std::wstring& volume);
    // Under the slot lock: signals the run's cancel event, or has it signalled once it is attached.
    static void CancelSlot(CWorkerSlot& slot);

    HANDLE wakeEvent_ = nullptr;
    std::vector<std::thread> workers_;
    std::atomic<bool> stop_{false};
    std::mutex queueLock_;
    std::deque<std::wstring> queue_;  // first in, first out; no two equal entries
    std::vector<std::wstring> taken_; // volumes taken by workers and not yet finished
    std::mutex slotLock_;
    std::vector<std::unique_ptr<CWorkerSlot>> slots_;
    std::atomic<int> parallel_{0};
};
