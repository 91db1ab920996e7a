#include "FolderListing.h"


#include <algorithm>
#include <cwchar>

namespace {

constexpr DWORD kNotEntered = FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE;
// Folders listed ahead of the walk and not reached yet; listers wait beyond this.
constexpr size_t kMostAhead = 1024;
constexpr unsigned kMostListers = 3;

bool IsDots(const wchar_t* name) { return !std::wcscmp(name, L".") || !std::wcscmp(name, L".."); }

} // namespace

CFolderListing::CFolderListing(HANDLE userToken)
{
    listers_.Start(CWorkerThreads::For(kMostListers), userToken, [this] { Work(); });
}

CFolderListing::~CFolderListing()
{
    listers_.Stop(lock_, stopping_, work_);
}

bool CFolderListing::Walk(const std::wstring& root, const CShellItemProc::FileStep& fileStep,
                          const CShellItemProc::FolderStep& folderStep)
{
    struct Level {
        Folder* folder;  // once listed
        FolderPtr pending;
        size_t next;
    };
    auto top = std::make_shared<Folder>();
    top->path = root;
    {
        std::lock_guard<std::mutex> lock(lock_);
        queued_.push_back(top);
    }
    work_.notify_one();
    std::vector<Level> levels{{nullptr, top, 0}};
    bool goOn = true;
    while (!levels.empty()) {
        Level& level = levels.back();
        if (!level.folder)
            level.folder = &Await(level.pending);
        Folder& folder = *level.folder;
        const size_t at = level.next++;
        if (!goOn || at == folder.entries.size()) {
            levels.pop_back();
            continue;
        }
        const Entry& entry = folder.entries[at];
        const std::wstring path = folder.path + L"\\" + entry.name;
        // A folder reached leaves its parent's hands, so that only the folders on the way down
        // stay in memory.
        FolderPtr subfolder = std::move(folder.subfolders[at]);
        if (!(entry.attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            if (!(entry.attributes & FILE_ATTRIBUTE_DEVICE))
                goOn = fileStep(path, FindData(entry));
        } else if (subfolder && folderStep(path)) {
            levels.push_back({nullptr, std::move(subfolder), 0});
        } else if (subfolder) {
            Forget(*subfolder);
        }
    }
    return goOn;
}

void CFolderListing::List(Folder& folder)
{
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder.path + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        if (IsDots(data.cFileName))
            continue;
        folder.entries.push_back({data.cFileName, data.dwFileAttributes, data.ftCreationTime, data.ftLastAccessTime,
                                  data.ftLastWriteTime, data.nFileSizeHigh, data.nFileSizeLow, data.dwReserved0});
        FolderPtr subfolder;
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !(data.dwFileAttributes & kNotEntered)) {
            subfolder = std::make_shared<Folder>();
            subfolder->path = folder.path + L"\\" + data.cFileName;
        }
        folder.subfolders.push_back(std::move(subfolder));
    } while (FindNextFileW(find, &data));
    FindClose(find);
}

WIN32_FIND_DATAW CFolderListing::FindData(const Entry& entry)
{
    WIN32_FIND_DATAW data{};
    data.dwFileAttributes = entry.attributes;
    data.ftCreationTime = entry.creation;
    data.ftLastAccessTime = entry.lastAccess;
    data.ftLastWriteTime = entry.lastWrite;
    data.nFileSizeHigh = entry.sizeHigh;
    data.nFileSizeLow = entry.sizeLow;
    data.dwReserved0 = entry.reparseTag;
    const size_t length = std::min<size_t>(entry.name.size(), MAX_PATH - 1);
    std::wmemcpy(data.cFileName, entry.name.c_str(), length);
    return data;
}

void CFolderListing::Work()
{
    std::unique_lock<std::mutex> lock(lock_);
    for (;;) {
        work_.wait(lock, [this] { return stopping_ || (!queued_.empty() && ahead_ < kMostAhead); });
        if (stopping_)
            return;
        const FolderPtr folder = queued_.back();
        queued_.pop_back();
        if (folder->state != Folder::State::Queued)
            continue;
        folder->state = Folder::State::Listing;
        lock.unlock();
        List(*folder);
        lock.lock();
        Listed(folder, true);
    }
}

void CFolderListing::Listed(const FolderPtr& folder, bool ahead)
{
    folder->state = Folder::State::Listed;
    folder->listedAhead = ahead && !folder->forgotten;
    ahead_ += folder->listedAhead ? 1 : 0;
    listed_.notify_all();
    for (auto subfolder = folder->subfolders.rbegin(); subfolder != folder->subfolders.rend(); ++subfolder)
        if (*subfolder)
            queued_.push_back(*subfolder);
    work_.notify_all();
}

void CFolderListing::Forget(Folder& folder)
{
    std::lock_guard<std::mutex> lock(lock_);
    folder.forgotten = true;
    if (folder.state == Folder::State::Queued)
        folder.state = Folder::State::Listed;
    if (folder.listedAhead) {
        folder.listedAhead = false;
        --ahead_;
        work_.notify_all();
    }
}

CFolderListing::Folder& CFolderListing::Await(const FolderPtr& folder)
{
    std::unique_lock<std::mutex> lock(lock_);
    if (folder->state == Folder::State::Queued) {
        folder->state = Folder::State::Listing;
        lock.unlock();
        List(*folder);
        lock.lock();
        Listed(folder, false);
    }
    listed_.wait(lock, [&folder] { return folder->state == Folder::State::Listed; });
    if (folder->listedAhead) {
        folder->listedAhead = false;
        --ahead_;
        work_.notify_all();
    }
    return *folder;
}
