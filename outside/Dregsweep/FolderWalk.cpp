#include "FolderWalk.h"

#include <chrono>
#include <new>
#include <system_error>
#include <thread>

namespace {

constexpr uint64_t kEntriesBetweenQuestions = 2048;
constexpr auto kLongestSilence = std::chrono::milliseconds(50);
constexpr unsigned kHelpers = 3;

FILETIME FileTimeOf(const LARGE_INTEGER& time)
{
    const auto ticks = static_cast<uint64_t>(time.QuadPart);
    return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

} // namespace

CFolderWalk::CFolderWalk(const JunkRule& rule, uint64_t now, KeepGoing keepGoing)
    : rule_(rule), newestTaken_(now > rule.minimumAge ? now - rule.minimumAge : 0), keepGoing_(std::move(keepGoing))
{
}

bool CFolderWalk::IsOldEnough(const FILETIME& lastWrite) const
{
    return rule_.minimumAge == 0 || TicksOf(lastWrite) <= newestTaken_;
}

bool CFolderWalk::List(HeldPtr held, const FoundFolder& folder, uint32_t index, Listing& listing, bool mayAsk) const
{
    if (held->GetState() != CHeldFolder::State::Held)
        return true;  // vanished, denied or swapped since it was listed: nothing to take from it
    listing.volume = held->Volume();
    listing.fileIndex = held->FileIndex();
    listing.held = held;
    uint64_t sinceAsked = 0;
    return held->ForEachEntry([&](const FILE_ID_BOTH_DIR_INFO& entry) {
        if (mayAsk && ++sinceAsked == kEntriesBetweenQuestions) {
            sinceAsked = 0;
            if (!keepGoing_())
                return false;
        }
        std::wstring name(entry.FileName, entry.FileNameLength / sizeof(WCHAR));
        const uint64_t fileIndex = static_cast<uint64_t>(entry.FileId.QuadPart);
        const FILETIME lastWrite = FileTimeOf(entry.LastWriteTime);
        if (entry.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
            // neither entered nor taken
        } else if (entry.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (rule_.recurse)
                listing.folders.emplace_back(std::move(name), fileIndex);
        } else if ((folder.whole || rule_.files.Matches(name)) && IsOldEnough(lastWrite)) {
            const auto size = static_cast<uint64_t>(entry.EndOfFile.QuadPart);
            listing.files.push_back({index, std::move(name), size, FileTimeOf(entry.CreationTime), lastWrite, fileIndex});
            listing.size += size;
        }
        return true;
    });
}

void CFolderWalk::Merge(uint32_t index, Listing& listing)
{
    JunkFindings& findings = *findings_;
    const bool whole = findings.folders[index].whole;
    findings.folders[index].volume = listing.volume;
    findings.folders[index].fileIndex = listing.fileIndex;
    for (auto& [name, fileIndex] : listing.folders) {
        queued_.push_back({static_cast<uint32_t>(findings.folders.size()), listing.held});
        const bool matches = whole || rule_.files.Matches(name);
        findings.folders.push_back(
            {findings.folders[index].path + L"\\" + name, index, matches, listing.volume, 0, fileIndex});
    }
    listing.held.reset();
    entries_ += listing.folders.size() + listing.files.size();
    findings.size += listing.size;
    if (findings.files.empty())
        findings.files = std::move(listing.files);
    else
        findings.files.insert(findings.files.end(), std::make_move_iterator(listing.files.begin()),
                              std::make_move_iterator(listing.files.end()));
}

void CFolderWalk::AskWhetherToGoOn(std::unique_lock<std::mutex>& lock)
{
    entriesAsked_ = entries_;
    lock.unlock();
    const bool goOn = keepGoing_();
    lock.lock();
    if (!goOn) {
        stopped_ = true;
        changed_.notify_all();
    }
}

void CFolderWalk::Work(bool caller)
{
    std::unique_lock<std::mutex> lock(lock_);
    while (!stopped_) {
        if (queued_.empty()) {
            if (listing_ == 0)
                break;
            if (!caller) {
                changed_.wait(lock);
            } else if (changed_.wait_for(lock, kLongestSilence) == std::cv_status::timeout) {
                AskWhetherToGoOn(lock);
            }
            continue;
        }
        Queued next = std::move(queued_.back());
        queued_.pop_back();
        const uint32_t index = next.index;
        ++listing_;
        const FoundFolder folder = findings_->folders[index];
        lock.unlock();
        Listing listing;
        bool goOn = true;
        try {
            // Opened in the folder that listed it, never by its path, and only where it is the folder
            // listed; the parent is let go of once its last folder is open.
            const std::wstring name = folder.path.substr(folder.path.rfind(L'\\') + 1);
            auto held = std::make_shared<const CHeldFolder>(*next.parent, name, folder.volume, folder.fileIndex);
            next.parent.reset();
            goOn = List(std::move(held), folder, index, listing, caller);
            lock.lock();
            Merge(index, listing);
        } catch (const std::bad_alloc&) {
            if (!lock.owns_lock())
                lock.lock();
            outOfMemory_ = stopped_ = true;
            --listing_;
            break;
        }
        --listing_;
        stopped_ = stopped_ || !goOn;
        changed_.notify_all();
        if (caller && entries_ - entriesAsked_ >= kEntriesBetweenQuestions)
            AskWhetherToGoOn(lock);
    }
    changed_.notify_all();
}

bool CFolderWalk::Walk(const FolderChain& folder, JunkFindings& findings)
{
    findings_ = &findings;
    queued_.clear();
    listing_ = 0;
    const auto first = static_cast<uint32_t>(findings.folders.size());
    FoundFolder own{folder_chain::PathOf(folder), FoundFolder::kNoParent, false};
    own.chain = static_cast<uint32_t>(findings.chains.size());
    findings.chains.push_back(folder);
    findings.folders.push_back(std::move(own));
    // The first folder tells whether there is anything to share.
    Listing listing;
    stopped_ = !List(std::make_shared<const CHeldFolder>(folder), findings.folders[first], first, listing, true);
    Merge(first, listing);
    std::vector<std::thread> helpers;
    try {
        for (unsigned i = 0; i < kHelpers && !queued_.empty() && !stopped_; ++i)
            helpers.emplace_back([this] { Work(false); });
    } catch (const std::system_error&) {
        // No more threads to be had: the walk goes on with those it has.
    }
    Work(true);
    for (std::thread& helper : helpers)
        helper.join();
    queued_.clear();  // what an ended walk left holds folders open
    if (outOfMemory_)
        throw std::bad_alloc();
    return !stopped_;
}
