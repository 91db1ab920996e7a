#include "ContentPrefetch.h"

#include <thread>

namespace {

// A reader is woken for every few files that wait, and takes a few at a time; what the scan
// reaches before a reader does, it reads itself.
constexpr size_t kWakeEvery = 16;
constexpr size_t kTakeAtOnce = 8;
constexpr unsigned kMostReaders = 6;
constexpr int kTurnsBeforeSleep = 2000;

} // namespace

CContentPrefetch::CContentPrefetch(HANDLE userToken)
    : chunks_(std::make_unique<std::unique_ptr<Slot[]>[]>(kChunks))
{
    workers_.Start(CWorkerThreads::For(kMostReaders), userToken, [this] { Work(); });
}

CContentPrefetch::~CContentPrefetch()
{
    workers_.Stop(lock_, stopping_, work_);
}

void CContentPrefetch::Listed(std::vector<Listing>& files)
{
    std::lock_guard<std::mutex> lock(lock_);
    for (Listing& file : files) {
        file.ticket = kNoTicket;
        if ((listed_ >> kChunkBits) == kChunks)
            continue;
        std::unique_ptr<Slot[]>& chunk = chunks_[listed_ >> kChunkBits];
        if (!chunk)
            chunk = std::make_unique<Slot[]>(size_t{1} << kChunkBits);
        file.ticket = listed_++;
        Slot& slot = SlotOf(file.ticket);
        slot.path = file.path;
        slot.volume = file.volume;
        slot.fileIndex = file.fileIndex;
        slot.size = file.size;
        const auto [first, inserted] = firstOfSize_.emplace(file.size, &slot);
        if (!inserted) {
            Queue(*first->second, false);
            Queue(slot, false);
        }
    }
}

bool CContentPrefetch::Claim(Slot& slot, bool whole, bool again, CContentSum& sum)
{
    Reading& reading = whole ? slot.whole : slot.ends;
    int expected = again ? Reading::Read : Reading::Idle;
    if (!reading.state.compare_exchange_strong(expected, Reading::Busy))
        return false;
    sum.Read(slot.path, slot.volume, slot.fileIndex, slot.size, whole);
    reading.sum = sum;
    if (!whole && sum.Has(true)) {
        int idle = Reading::Idle;
        if (slot.whole.state.compare_exchange_strong(idle, Reading::Busy)) {
            slot.whole.sum = sum;
            slot.whole.state.store(Reading::Read);
        }
    }
    reading.state.store(Reading::Read);
    if (waiting_.load() > 0) {
        std::lock_guard<std::mutex> lock(lock_);
        finished_.notify_all();
    }
    return true;
}

CContentSum CContentPrefetch::Sum(uint64_t ticket, bool whole)
{
    Slot& slot = SlotOf(ticket);
    if (!whole && slot.whole.state.load() == Reading::Read && slot.whole.sum.Has(true))
        return slot.whole.sum;
    Reading& reading = whole ? slot.whole : slot.ends;
    for (;;) {
        const int state = reading.state.load();
        if (state == Reading::Read && reading.sum.Has(whole))
            return reading.sum;
        CContentSum sum;
        if (state != Reading::Busy && Claim(slot, whole, state == Reading::Read, sum))
            return sum;
        AwaitRead(reading);
    }
}

// A sum being read is in within moments: the scan's thread first gives way for a while, and only
// then sleeps until it is in.
void CContentPrefetch::AwaitRead(Reading& reading)
{
    for (int turn = 0; turn < kTurnsBeforeSleep && reading.state.load() == Reading::Busy; ++turn)
        std::this_thread::yield();
    if (reading.state.load() != Reading::Busy)
        return;
    ++waiting_;
    {
        std::unique_lock<std::mutex> lock(lock_);
        finished_.wait(lock, [&reading] { return reading.state.load() != Reading::Busy; });
    }
    --waiting_;
}

void CContentPrefetch::Work()
{
    std::vector<Task> taken;
    std::unique_lock<std::mutex> lock(lock_);
    for (;;) {
        work_.wait(lock, [this] { return stopping_ || !tasks_.empty(); });
        if (stopping_)
            return;
        taken.clear();
        while (!tasks_.empty() && taken.size() < kTakeAtOnce) {
            taken.push_back(tasks_.front());
            tasks_.pop_front();
        }
        lock.unlock();
        std::vector<std::pair<Slot*, CContentSum>> endsRead;
        for (const Task& task : taken) {
            CContentSum sum;
            if (Claim(*task.slot, task.whole, false, sum) && !task.whole && sum.Has(false) && !sum.Has(true))
                endsRead.emplace_back(task.slot, sum);
        }
        lock.lock();
        // Files whose ends agree are read whole, each once.
        for (const auto& [slot, sum] : endsRead) {
            std::vector<Slot*>& alike = byEnds_[{slot->size, sum.First(), sum.Last()}];
            alike.push_back(slot);
            if (alike.size() >= 2)
                for (Slot* other : alike)
                    Queue(*other, true);
        }
    }
}

void CContentPrefetch::Queue(Slot& slot, bool whole)
{
    bool& queued = whole ? slot.wholeQueued : slot.endsQueued;
    if (queued)
        return;
    queued = true;
    tasks_.push_back({&slot, whole});
    if (whole || tasks_.size() % kWakeEvery == 0)
        work_.notify_one();
}
