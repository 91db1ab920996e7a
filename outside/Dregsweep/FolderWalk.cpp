#include "FolderWalk.h"

#include <chrono>
#include <new>
#include <system_error>
#include <thread>

namespace {

constexpr uint64_t kEntriesBetweenQuestions = 2048;
constexpr auto kLongestSilence = std::chrono::milliseconds(50);
constexpr unsigned kHelpers = 3;

bool IsDots(const wchar_t* name) { return name[0] == L'.' && (!name[1] || (name[1] == L'.' && !name[2])); }

} // namespace

CFolderWalk::CFolderWalk(const JunkRule& rule, uint64_t now, KeepGoing keepGoing)
    : rule_(rule), newestTaken_(now > rule.minimumAge ? now - rule.minimumAge : 0), keepGoing_(std::move(keepGoing))
{
}

bool CFolderWalk::IsOldEnough(const WIN32_FIND_DATAW& data) const
{
    return rule_.minimumAge == 0 || TicksOf(data.ftLastWriteTime) <= newestTaken_;
}

bool CFolderWalk::List(const std::wstring& path, bool whole, uint32_t index, Listing& listing, bool mayAsk) const
{
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileExW((path + L"\\*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                   FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE)
        return true;  // vanished or denied since it was listed: nothing to take from it
    uint64_t sinceAsked = 0;
    bool goOn = true;
    do {
        if (mayAsk && ++sinceAsked == kEntriesBetweenQuestions) {
            sinceAsked = 0;
            goOn = keepGoing_();
        }
        if (IsDots(data.cFileName) || (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (rule_.recurse)
                listing.folders.emplace_back(data.cFileName);
        } else if ((whole || rule_.files.Matches(data.cFileName)) && IsOldEnough(data)) {
            const uint64_t size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
            listing.files.push_back({index, data.cFileName, size, data.ftCreationTime, data.ftLastWriteTime});
            listing.size += size;
        }
    } while (goOn && FindNextFileW(find, &data));
    FindClose(find);
    return goOn;
}

void CFolderWalk::Merge(uint32_t index, Listing& listing)
{
    JunkFindings& findings = *findings_;
    const bool whole = findings.folders[index].whole;
    for (std::wstring& name : listing.folders) {
        queued_.push_back(static_cast<uint32_t>(findings.folders.size()));
        const bool matches = whole || rule_.files.Matches(name);
        findings.folders.push_back({findings.folders[index].path + L"\\" + name, index, matches});
    }
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
        const uint32_t index = queued_.back();
        queued_.pop_back();
        ++listing_;
        const std::wstring path = findings_->folders[index].path;
        const bool whole = findings_->folders[index].whole;
        lock.unlock();
        Listing listing;
        bool goOn = true;
        try {
            goOn = List(path, whole, index, listing, caller);
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

bool CFolderWalk::Walk(const std::wstring& folder, JunkFindings& findings)
{
    findings_ = &findings;
    queued_.clear();
    listing_ = 0;
    const auto first = static_cast<uint32_t>(findings.folders.size());
    findings.folders.push_back({folder, FoundFolder::kNoParent, false});
    // The first folder tells whether there is anything to share.
    Listing listing;
    stopped_ = !List(folder, false, first, listing, true);
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
    if (outOfMemory_)
        throw std::bad_alloc();
    return !stopped_;
}
