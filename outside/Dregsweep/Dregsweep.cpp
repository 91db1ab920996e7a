#include "Dregsweep.h"

#include "FolderWalk.h"
#include "RuleFile.h"
#include "RuleFolders.h"

#include "common/RunningProcesses.h"
#include "common/WriteLog.h"

#include <new>

namespace {

// How long an application the user agreed to close may take to go.
constexpr int kCloseWaitSteps = 30;
constexpr DWORD kCloseWaitStepMs = 100;

uint64_t Now()
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return TicksOf(now);
}

template <class TValue>
uint64_t SumOver(const std::vector<CJunkCatagory*>& catagories, TValue value)
{
    uint64_t total = 0;
    for (CJunkCatagory* catagory : catagories)
        total += (catagory->*value)();
    return total;
}

// Frees the operation slot however the operation ends.
class CSlot {
public:
    explicit CSlot(std::atomic<bool>& busy) : busy_(busy) {}
    ~CSlot() { busy_ = false; }
    CSlot(const CSlot&) = delete;
    CSlot& operator=(const CSlot&) = delete;

private:
    std::atomic<bool>& busy_;
};

} // namespace

// The progress of one operation through its items, and whether the sink wants it to go on.
class CDregsweep::CPace {
public:
    CPace(IDregsweepSink& sink, size_t items) : sink_(sink), items_(items) {}

    bool KeepGoing()
    {
        if (!stopped_ && !sink_.OnScanProgress(Percent(), 0))
            stopped_ = true;
        return !stopped_;
    }
    void Stop() { stopped_ = true; }
    bool Stopped() const { return stopped_; }
    void ItemDone() { ++done_; }
    int Percent() const { return items_ ? static_cast<int>(std::min<size_t>(done_, items_) * 100 / items_) : 100; }

private:
    IDregsweepSink& sink_;
    size_t items_;
    size_t done_ = 0;
    bool stopped_ = false;
};

CDregsweep::~CDregsweep() { ReleaseTree(); }

IDregsweepCatagory* CDregsweep::GetNextCatagory(IDregsweepCatagory* previous)
{
    return NextInList(catagories_, previous);
}

OpResult CDregsweep::Init(const wchar_t* configPath, const wchar_t* textPath)
{
    if (!configPath || !textPath)
        return MakeResult(1, RESULT_BAD_ARGUMENT);
    bool idle = false;
    if (!busy_.compare_exchange_strong(idle, true))
        return MakeResult(2, RESULT_NOT_QUEUED);
    CSlot slot(busy_);
    std::vector<CJunkCatagory*> loaded;
    try {
        loaded = rule_file::Load(configPath, textPath);
    } catch (const std::bad_alloc&) {
        return MakeResult(3, RESULT_NO_CALLBACK);
    }
    if (loaded.empty())
        return MakeResult(4, RESULT_SYSTEM_CALL);
    ReleaseTree();
    catagories_ = std::move(loaded);
    initialised_ = true;
    state_ = 0;
    return RESULT_OK;
}

OpResult CDregsweep::Uninit()
{
    if (!initialised_)
        return MakeResult(5, RESULT_NOT_INITIALISED);
    bool idle = false;
    if (!busy_.compare_exchange_strong(idle, true))
        return MakeResult(6, RESULT_NOT_QUEUED);
    CSlot slot(busy_);
    ReleaseTree();
    initialised_ = false;
    state_ = 0;
    return RESULT_OK;
}

void CDregsweep::ReleaseTree()
{
    for (CJunkCatagory* catagory : catagories_) {
        catagory->Detach();
        catagory->Release();
    }
    catagories_.clear();
}

void CDregsweep::Reset()
{
    bool idle = false;
    if (!busy_.compare_exchange_strong(idle, true)) {
        WriteLog(L"[Dregsweep] Reset refused: an operation runs");
        return;
    }
    CSlot slot(busy_);
    for (CJunkCatagory* catagory : catagories_) {
        catagory->ResetStatistic();
        catagory->SetState(0);
    }
    state_ = 0;
}

OpResult CDregsweep::Begin(IDregsweepSink* sink, uint16_t step)
{
    if (!sink)
        return MakeResult(step, RESULT_BAD_ARGUMENT);
    if (!initialised_)
        return MakeResult(step + 1, RESULT_NOT_INITIALISED);
    bool idle = false;
    if (!busy_.compare_exchange_strong(idle, true))
        return MakeResult(step + 2, RESULT_NOT_QUEUED);
    return RESULT_OK;
}

OpResult CDregsweep::CollectGarbage(IDregsweepSink* sink) { return Operate(sink, 10, false); }

OpResult CDregsweep::EmptyGarbage(IDregsweepSink* sink) { return Operate(sink, 20, true); }

OpResult CDregsweep::Operate(IDregsweepSink* sink, uint16_t step, bool cleaning)
{
    if (const OpResult refused = Begin(sink, step); IsFailure(refused))
        return refused;
    CSlot slot(busy_);
    state_ = cleaning ? 4 : 1;
    // An analysis starts from nothing; a clean-up waits for each category to come.
    size_t items = 0;
    for (CJunkCatagory* catagory : catagories_) {
        if (!cleaning)
            catagory->ResetStatistic();
        catagory->SetState(cleaning ? 3 : 0);
        catagory->ForEachItem([&items, cleaning](CJunkItem* item) {
            items += !cleaning || (item->GetCheckState() && item->GetFileCount());
        });
    }
    CPace pace(*sink, items);
    OpResult result = RESULT_OK;
    try {
        for (CJunkCatagory* catagory : catagories_) {
            if (pace.Stopped())
                break;
            if (cleaning)
                Clean(*catagory, *sink, pace);
            else
                Analyse(*catagory, *sink, pace);
        }
    } catch (const std::bad_alloc&) {
        result = MakeResult(step + 3, RESULT_NO_CALLBACK);
    }
    if (!pace.Stopped())
        sink->OnScanProgress(100, 0);
    state_ = !cleaning ? 2 : GetFileCount() ? 3 : 5;
    if (pace.Stopped() && !IsFailure(result))
        result = MakeResult(step + 4, RESULT_CANCELLED);
    return result;
}

void CDregsweep::Analyse(CJunkCatagory& catagory, IDregsweepSink& sink, CPace& pace)
{
    const uint64_t now = Now();
    catagory.SetState(1);
    catagory.ForEachItem([&](CJunkItem* item) {
        if (!pace.KeepGoing())
            return;
        JunkFindings findings;
        CFolderWalk walk(item->Rule(), now, [&pace] { return pace.KeepGoing(); });
        for (const FolderChain& folder : rule_folders::Resolve(item->Rule().folder))
            if (!walk.Walk(folder, findings))
                break;
        item->Publish(std::move(findings));
        item->SetState(2);
        pace.ItemDone();
        if (item->GetFileCount() && !sink.OnGarbageFound(item->GetFolder(), item->GetTotalSize(), item->Catagory()))
            pace.Stop();
    });
    catagory.SetState(2);
}

void CDregsweep::Clean(CJunkCatagory& catagory, IDregsweepSink& sink, CPace& pace)
{
    catagory.SetState(4);
    for (CJunkCatagory* program : catagory.Catagories())
        if (!CleanProgram(*program, sink, pace))
            break;
    catagory.Settle();
}

bool CDregsweep::CleanProgram(CJunkCatagory& program, IDregsweepSink& sink, CPace& pace)
{
    std::vector<CJunkItem*> checked;
    program.ForEachItem([&checked](CJunkItem* item) {
        if (item->GetCheckState() && item->GetFileCount())
            checked.push_back(item);
    });
    if (checked.empty())
        return true;
    // A clean-up cancelled since the last item never closes another application.
    if (!pace.KeepGoing())
        return false;
    if (!CloseApplication(program, sink)) {
        for (size_t i = 0; i < checked.size(); ++i)
            pace.ItemDone();
        return pace.KeepGoing();
    }
    uint64_t skipped = 0;
    for (CJunkItem* item : checked) {
        if (!pace.KeepGoing())
            break;
        item->SetState(4);
        const CJunkRemoval::Outcome outcome = item->Remove([&pace] { return pace.KeepGoing(); });
        item->Settle();
        pace.ItemDone();
        skipped += outcome.skippedFiles;
        if (outcome.removedFiles && !sink.OnGarbageCleaned(item->GetFolder(), outcome.removedSize, item->Catagory()))
            pace.Stop();
        if (outcome.ended || pace.Stopped())
            break;
    }
    if (skipped)
        WriteLog(L"[Dregsweep] %llu files in use, denied or changed since the analysis were left",
                 static_cast<unsigned long long>(skipped));
    return !pace.Stopped();
}

bool CDregsweep::CloseApplication(CJunkCatagory& program, IDregsweepSink& sink)
{
    if (program.Processes().empty())
        return true;
    std::vector<DWORD> ids = RunningProcesses(program.Processes());
    if (ids.empty())
        return true;
    ids.push_back(0);
    if (!sink.OnCloseProcess(program.GetName()->name, ids.data(), 0)) {
        WriteLogText((L"[Dregsweep] left running, its junk stays: " + program.GetName()->name).c_str());
        return false;
    }
    for (int step = 0; step < kCloseWaitSteps; ++step) {
        if (RunningProcesses(program.Processes()).empty())
            return true;
        Sleep(kCloseWaitStepMs);
    }
    WriteLogText((L"[Dregsweep] still running after it was closed, its junk stays: " + program.GetName()->name).c_str());
    return false;
}

std::vector<DWORD> CDregsweep::RunningProcesses(const std::vector<std::wstring>& imageNames)
{
    return running_processes::IdsOf(imageNames, kMaxProcessIds);
}

uint64_t CDregsweep::GetTotalSize() { return SumOver(catagories_, &CJunkCatagory::GetTotalSize); }

uint64_t CDregsweep::GetCheckedSize() { return SumOver(catagories_, &CJunkCatagory::GetCheckedSize); }

uint64_t CDregsweep::GetFileCount() { return SumOver(catagories_, &CJunkCatagory::GetFileCount); }
