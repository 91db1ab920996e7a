#include "Bulkseek.h"

#include "BigFileGarbageInfo.h"
#include "BulkseekOption.h"
#include "FolderListing.h"
#include "GarbageScan.h"
#include "UserToken.h"

#include "common/WriteLog.h"
#include "common/Wow64FsRedirGuard.h"

#include <algorithm>
#include <new>

namespace {

// A shell item is a drive when it lives in the file system, holds it, takes drops and can be
// renamed, and has a path.
constexpr DWORD kDriveAttributes = SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR | SFGAO_DROPTARGET | SFGAO_CANRENAME;

constexpr OpResult kInitShellFailed = MakeResult(0xDF, RESULT_SYSTEM_CALL);
constexpr OpResult kUninitNotInitialised = MakeResult(0xE9, RESULT_NOT_INITIALISED);
constexpr OpResult kStartProcNoUser = MakeResult(0x11B, RESULT_NOT_INITIALISED);
constexpr OpResult kStartProcActing = MakeResult(0x128, RESULT_BAD_ARGUMENT);
constexpr OpResult kQuitProcNotInitialised = MakeResult(0x12F, RESULT_NOT_INITIALISED);
constexpr OpResult kQuitProcNotActing = MakeResult(0x13A, RESULT_BAD_ARGUMENT);
constexpr OpResult kRemoveNotInitialised = MakeResult(0x141, RESULT_NOT_INITIALISED);
constexpr OpResult kRemoveNull = MakeResult(0x150, RESULT_BAD_ARGUMENT);
constexpr OpResult kRemoveUnknown = MakeResult(0x152, RESULT_BAD_ARGUMENT);
constexpr OpResult kCatagoriesNotInitialised = MakeResult(0x158, RESULT_NOT_INITIALISED);
constexpr OpResult kCatagoriesNoSink = MakeResult(0x165, RESULT_BAD_ARGUMENT);
constexpr OpResult kCollectNotInitialised = MakeResult(0x16D, RESULT_NOT_INITIALISED);
constexpr OpResult kCollectForeignOption = MakeResult(0x1A6, RESULT_BAD_ARGUMENT);
constexpr OpResult kGarbagesNotInitialised = MakeResult(0x1BA, RESULT_NOT_INITIALISED);
constexpr OpResult kGarbagesNoSink = MakeResult(0x1C8, RESULT_BAD_ARGUMENT);
constexpr OpResult kEmptyNotInitialised = MakeResult(0x1D1, RESULT_NOT_INITIALISED);
constexpr OpResult kEmptyNoSink = MakeResult(0x212, RESULT_BAD_ARGUMENT);
constexpr OpResult kClearNotInitialised = MakeResult(0x21A, RESULT_NOT_INITIALISED);

// A failure with the Windows error of the call that failed in its high half.
OpResult WithLastError(OpResult result) { return result | (static_cast<OpResult>(GetLastError()) << 32); }

template <size_t N>
OpResult Logged(const wchar_t (&format)[N], OpResult result)
{
    WriteLog(format, ResultLow(result), ResultHigh(result));
    return result;
}

// The first reason to refuse a call: the gatherer is not initialised, or an argument is missing;
// 0 when there is none.
OpResult Refusal(bool initialised, const void* argument, OpResult notInitialised, OpResult missing)
{
    return !initialised ? notInitialised : !argument ? missing : RESULT_OK;
}

void ReleaseAll(std::vector<CBigFileCatagory*>& catagories)
{
    for (CBigFileCatagory* catagory : catagories)
        catagory->Release();
    catagories.clear();
}

} // namespace

CBulkseek::~CBulkseek()
{
    ReleaseCatagories();
    if (userToken_)
        CloseHandle(userToken_);
}

HRESULT CBulkseek::EnumerateDrives(std::vector<CBigFileCatagory*>& drives)
{
    HANDLE token = FindUserToken();
    HRESULT result = S_OK;
    {
        CUserContext user(token);
        PIDLIST_ABSOLUTE computer = nullptr;
        result = SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computer);
        if (SUCCEEDED(result)) {
            CShellItemProc item;
            item.Bind(computer);
            item.ForEachChild(SHCONTF_FOLDERS, [&drives](IdList& child) {
                SHFILEINFOW info{};
                WCHAR path[MAX_PATH];
                const bool candidate =
                    SHGetFileInfoW(reinterpret_cast<LPCWSTR>(child.get()), 0, &info, sizeof(info),
                                   SHGFI_PIDL | SHGFI_ATTRIBUTES | SHGFI_DISPLAYNAME) &&
                    (info.dwAttributes & kDriveAttributes) == kDriveAttributes && SHGetPathFromIDListW(child.get(), path);
                if (!candidate)
                    return true;
                auto* catagory = new (std::nothrow) CBigFileCatagory;
                if (catagory && SUCCEEDED(catagory->Make(child.release())))
                    drives.push_back(catagory);
                else if (catagory)
                    catagory->Release();
                return true;
            });
        }
    }
    if (token)
        CloseHandle(token);
    return result;
}

void CBulkseek::ReleaseCatagories()
{
    {
        std::lock_guard<std::recursive_mutex> lock(folderLock_);
        ReleaseAll(folderCatagories_);
    }
    ReleaseAll(driveCatagories_);
}

void CBulkseek::ActAsUser()
{
    if (userToken_)
        ImpersonateLoggedOnUser(userToken_);
}

OpResult CBulkseek::Init(HRESULT* shellResult)
{
    std::vector<CBigFileCatagory*> drives;
    const HRESULT result = EnumerateDrives(drives);
    if (shellResult)
        *shellResult = result;
    if (FAILED(result))
        return Logged(L"[Bulkseek] Init fail 0x%x,%d", WithLastError(kInitShellFailed));
    // Initialising again lists the drives afresh rather than a second time.
    ReleaseAll(driveCatagories_);
    driveCatagories_ = std::move(drives);
    hanvel_.Start();
    initialised_ = true;
    return RESULT_OK;
}

OpResult CBulkseek::Uninit()
{
    if (!initialised_)
        return kUninitNotInitialised;
    ReleaseCatagories();
    found_.Clear();
    return RESULT_OK;
}

OpResult CBulkseek::StartProc()
{
    if (!initialised_)
        return Logged(L"[Bulkseek] StartProc fail 0x%x,%d", kStartProcNoUser);
    if (userToken_)
        return Logged(L"[Bulkseek] StartProc fail 0x%x,%d", kStartProcActing);
    userToken_ = FindUserToken();
    if (!userToken_ || !ImpersonateLoggedOnUser(userToken_))
        return Logged(L"[Bulkseek] StartProc fail 0x%x,%d", WithLastError(kStartProcNoUser));
    return RESULT_OK;
}

OpResult CBulkseek::QuitProc()
{
    if (!initialised_)
        return Logged(L"[Bulkseek] QuitProc fail 0x%x,%d", kQuitProcNotInitialised);
    if (!userToken_)
        return Logged(L"[Bulkseek] QuitProc fail 0x%x,%d", kQuitProcNotActing);
    RevertToSelf();
    CloseHandle(userToken_);
    userToken_ = nullptr;
    return RESULT_OK;
}

IBulkseekOption* CBulkseek::CreateOption() { return new (std::nothrow) CBulkseekOption(this); }

IBigFileCatagory* CBulkseek::AddCatagory(const std::wstring& shellDisplayName)
{
    IShellFolder* desktop = nullptr;
    if (FAILED(SHGetDesktopFolder(&desktop)))
        return nullptr;
    std::wstring name = shellDisplayName;
    PIDLIST_RELATIVE idList = nullptr;
    const HRESULT parsed = desktop->ParseDisplayName(nullptr, nullptr, name.data(), nullptr, &idList, nullptr);
    desktop->Release();
    if (FAILED(parsed))
        return nullptr;
    auto* catagory = new (std::nothrow) CBigFileCatagory;
    if (!catagory) {
        CoTaskMemFree(idList);
        return nullptr;
    }
    if (FAILED(catagory->Make(idList))) {
        catagory->Release();
        return nullptr;
    }
    // The folder's own files add to the used bytes of its drive, which scale its progress.
    catagory->type = 0;
    catagory->ForgetVisits();
    CFolderListing listing(userToken_);
    catagory->ShellItem()->Walk(
        [catagory](const std::wstring&, const WIN32_FIND_DATAW& data, FilePlace&) {
            catagory->usedBytes += FileSizeOf(data);
            return true;
        },
        [catagory](const std::wstring& folder) { return catagory->FirstVisit(folder); },
        [&listing](const std::wstring& folder, const CShellItemProc::FileStep& fileStep,
                   const CShellItemProc::FolderStep& folderStep) { return listing.Walk(folder, fileStep, folderStep); });
    std::lock_guard<std::recursive_mutex> lock(folderLock_);
    folderCatagories_.push_back(catagory);
    return catagory;
}

OpResult CBulkseek::RemoveCatagory(IBigFileCatagory* catagory)
{
    if (const OpResult refused = Refusal(initialised_, catagory, kRemoveNotInitialised, kRemoveNull))
        return Logged(L"[Bulkseek] RemoveCatagory fail 0x%x,%d", refused);
    std::lock_guard<std::recursive_mutex> lock(folderLock_);
    // Only a category of the list is released: the list's reference is the one given back.
    const auto found = std::find(folderCatagories_.begin(), folderCatagories_.end(), catagory);
    if (found == folderCatagories_.end())
        return Logged(L"[Bulkseek] RemoveCatagory fail 0x%x,%d", kRemoveUnknown);
    folderCatagories_.erase(found);
    catagory->Release();
    return RESULT_OK;
}

OpResult CBulkseek::GetCatagories(IBulkseekSink* sink)
{
    if (const OpResult refused = Refusal(initialised_, sink, kCatagoriesNotInitialised, kCatagoriesNoSink))
        return Logged(L"[Bulkseek] GetCatagories fail 0x%x,%d", refused);
    for (CBigFileCatagory* catagory : driveCatagories_)
        if (!sink->OnCatagory(catagory))
            break;
    return RESULT_OK;
}

OpResult CBulkseek::CollecttGarbage(IBulkseekSink* sink, IBulkseekOption* option)
{
    if (!initialised_)
        return Logged(L"[Bulkseek] CollecttGarbage fail 0x%x,%d", kCollectNotInitialised);
    ActAsUser();
    auto* options = dynamic_cast<CBulkseekOption*>(option);
    if (!options || options->Owner() != this)
        return Logged(L"[Bulkseek] CollecttGarbage fail 0x%x,%d", kCollectForeignOption);
    options->SameFiles().Clear();
    const CWow64FsRedirGuard redirectionOff;
    std::lock_guard<std::recursive_mutex> lock(folderLock_);
    std::vector<CBigFileCatagory*> checked;
    for (const auto* list : {&folderCatagories_, &driveCatagories_})
        std::copy_if(list->begin(), list->end(), std::back_inserter(checked),
                     [](CBigFileCatagory* catagory) { return catagory->GetCheckState() != 0; });
    CGarbageScan(this, found_, sink, *options, userToken_).Run(checked);
    return RESULT_OK;
}

OpResult CBulkseek::GetGarbages(IBulkseekSink* sink)
{
    if (const OpResult refused = Refusal(initialised_, sink, kGarbagesNotInitialised, kGarbagesNoSink))
        return Logged(L"[Bulkseek] GetGarbages fail 0x%x,%d", refused);
    found_.ForEach([sink](CBigFileGarbageInfo* file) {
        return sink->OnGarbage(file) ? CFoundFiles::Visit::Next : CFoundFiles::Visit::Stop;
    });
    return RESULT_OK;
}

OpResult CBulkseek::EmptyGarbage(IBulkseekSink* sink)
{
    if (const OpResult refused = Refusal(initialised_, sink, kEmptyNotInitialised, kEmptyNoSink))
        return Logged(L"[Bulkseek] EmptyGarbage fail 0x%x,%d", refused);
    ActAsUser();
    hanvel_.DeletionStarting();
    const CWow64FsRedirGuard redirectionOff;
    CFoundFiles::Lock lock = found_.Hold();
    const size_t total = std::max<size_t>(found_.CountChecked(), 1);
    size_t done = 0;
    found_.ForEach([&](CBigFileGarbageInfo* file) {
        if (!file->GetCheckState())
            return CFoundFiles::Visit::Next;
        done = std::min(done + 1, total);
        const bool deleted = file->Delete();
        const int percent = static_cast<int>(done * 100 / total);
        const bool goOn = sink->OnEmptyGarbage(file, deleted, percent, file->GetFailInfo());
        if (deleted)
            return goOn ? CFoundFiles::Visit::RemoveAndNext : CFoundFiles::Visit::RemoveAndStop;
        return goOn ? CFoundFiles::Visit::Next : CFoundFiles::Visit::Stop;
    });
    return RESULT_OK;
}

OpResult CBulkseek::ClearGarbage()
{
    if (!initialised_)
        return Logged(L"[Bulkseek] ClearGarbage fail 0x%x,%d", kClearNotInitialised);
    found_.Clear();
    return RESULT_OK;
}
