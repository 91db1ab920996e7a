#include "FolderListing.h"


#include <algorithm>
#include <cwchar>

namespace {

constexpr DWORD kNotEntered = FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE;
// Folders listed ahead of the walk and not reached yet; listers wait beyond this.
constexpr size_t kMostAhead = 1024;
constexpr unsigned kMostListers = 3;

bool IsDots(const std::wstring& name) { return name == L"." || name == L".."; }

FILETIME FileTimeOf(const LARGE_INTEGER& time)
{
    const auto ticks = static_cast<uint64_t>(time.QuadPart);
    return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

// A drive's folder is named with its backslash ("D:\"), which a walk's path leaves off.
std::wstring FolderPathOf(const std::wstring& path)
{
    return path.size() == 2 && path[1] == L':' ? path + L"\\" : path;
}

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
        Entry& entry = folder.entries[at];
        const std::wstring path = folder.path + L"\\" + entry.name;
        // A folder reached leaves its parent's hands, so that only the folders on the way down
        // stay in memory.
        FolderPtr subfolder = std::move(folder.subfolders[at]);
        if (!(entry.attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            if (!(entry.attributes & FILE_ATTRIBUTE_DEVICE)) {
                const WIN32_FIND_DATAW data = FindData(entry);
                FilePlace place{folder.way, std::move(entry.name), folder.volume, entry.fileIndex};
                goOn = fileStep(path, data, place);
            }
        } else if (subfolder && folderStep(path)) {
            levels.push_back({nullptr, std::move(subfolder), 0});
        } else if (subfolder) {
            Forget(*subfolder);
        }
    }
    return goOn;
}

std::shared_ptr<const CHeldFolder> CFolderListing::Hold(Folder& folder)
{
    if (!folder.holder) {
        FolderChain chain;
        DWORD error = ERROR_SUCCESS;
        if (!folder_chain::Record(FolderPathOf(folder.path), chain, error))
            return nullptr;
        folder.way = WayOf(chain);
        return std::make_shared<const CHeldFolder>(chain);
    }
    auto held = std::make_shared<const CHeldFolder>(*folder.holder, folder.name, folder.holder->Volume(), folder.fileIndex);
    folder.holder.reset();
    if (held->GetState() == CHeldFolder::State::Held)
        folder.way = WayBelow(std::move(folder.way), {folder.name, held->Volume(), held->FileIndex()});
    return held;
}

void CFolderListing::List(Folder& folder)
{
    const std::shared_ptr<const CHeldFolder> held = Hold(folder);
    if (!held || held->GetState() != CHeldFolder::State::Held) {
        folder.way.reset();
        return;
    }
    folder.volume = held->Volume();
    held->ForEachEntry([&folder, &held](const FILE_ID_BOTH_DIR_INFO& listed) {
        std::wstring name(listed.FileName, listed.FileNameLength / sizeof(WCHAR));
        if (IsDots(name))
            return true;
        const DWORD attributes = listed.FileAttributes;
        FolderPtr subfolder;
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & kNotEntered)) {
            subfolder = std::make_shared<Folder>();
            subfolder->path = folder.path + L"\\" + name;
            subfolder->name = name;
            subfolder->fileIndex = static_cast<uint64_t>(listed.FileId.QuadPart);
            subfolder->holder = held;
            subfolder->way = folder.way;
        }
        // A reparse point's tag is told where a plain entry's extended attributes' size is.
        folder.entries.push_back({std::move(name), attributes, FileTimeOf(listed.CreationTime),
                                  FileTimeOf(listed.LastAccessTime), FileTimeOf(listed.LastWriteTime),
                                  static_cast<uint64_t>(listed.EndOfFile.QuadPart),
                                  attributes & FILE_ATTRIBUTE_REPARSE_POINT ? listed.EaSize : 0,
                                  static_cast<uint64_t>(listed.FileId.QuadPart)});
        folder.subfolders.push_back(std::move(subfolder));
        return true;
    });
}

WIN32_FIND_DATAW CFolderListing::FindData(const Entry& entry)
{
    WIN32_FIND_DATAW data{};
    data.dwFileAttributes = entry.attributes;
    data.ftCreationTime = entry.creation;
    data.ftLastAccessTime = entry.lastAccess;
    data.ftLastWriteTime = entry.lastWrite;
    data.nFileSizeHigh = static_cast<DWORD>(entry.size >> 32);
    data.nFileSizeLow = static_cast<DWORD>(entry.size);
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
    if (folder.state == Folder::State::Queued) {
        folder.state = Folder::State::Listed;
        folder.holder.reset();
    }
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
