#include "WalkAhead.h"

#include "FolderListing.h"

namespace {

// Files are handed over in batches, and no more wait than enough to keep the readers busy.
constexpr size_t kBatch = 128;
constexpr size_t kAhead = 4096;

} // namespace

CWalkAhead::CWalkAhead(const CShellItemProc& item, HANDLE userToken, std::function<void(std::vector<File>& batch)> listed)
    : listed_(std::move(listed))
{
    thread_.Start(1, userToken, [this, &item, userToken] { Walk(item, userToken); });
}

CWalkAhead::~CWalkAhead()
{
    thread_.Stop(lock_, stopping_, changed_);
}

bool CWalkAhead::Next(File& file)
{
    if (nextTaken_ == taken_.size()) {
        std::unique_lock<std::mutex> lock(lock_);
        changed_.wait(lock, [this] { return done_ || !batches_.empty(); });
        if (batches_.empty())
            return false;
        taken_ = std::move(batches_.front());
        batches_.pop_front();
        waiting_ -= taken_.size();
        nextTaken_ = 0;
        changed_.notify_all();
    }
    file = std::move(taken_[nextTaken_++]);
    return true;
}

bool CWalkAhead::Publish()
{
    listed_(batch_);
    std::unique_lock<std::mutex> lock(lock_);
    changed_.wait(lock, [this] { return stopping_ || waiting_ < kAhead; });
    if (stopping_)
        return false;
    waiting_ += batch_.size();
    batches_.push_back(std::move(batch_));
    batch_.clear();
    batch_.reserve(kBatch);
    changed_.notify_all();
    return true;
}

void CWalkAhead::Walk(const CShellItemProc& item, HANDLE userToken)
{
    CFolderListing listing(userToken);
    batch_.reserve(kBatch);
    const bool whole = item.Walk(
        [this](const std::wstring& path, const WIN32_FIND_DATAW& data, FilePlace& place) {
            batch_.push_back({path, data, std::move(place), 0});
            return batch_.size() < kBatch || Publish();
        },
        [](const std::wstring&) { return true; },
        [&listing](const std::wstring& folder, const CShellItemProc::FileStep& fileStep,
                   const CShellItemProc::FolderStep& folderStep) { return listing.Walk(folder, fileStep, folderStep); });
    if (whole && !batch_.empty())
        Publish();
    std::lock_guard<std::mutex> lock(lock_);
    done_ = true;
    changed_.notify_all();
}
