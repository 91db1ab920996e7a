#include "update/UpdateFixt.h"

#include "common/ModuleDir.h"
#include "common/ProductFolder.h"
#include "update/BuildNumber.h"
#include "update/DownloadFolder.h"
#include "update/DownloadLimits.h"
#include "update/UpdateResults.h"

#include <algorithm>
#include <atomic>
#include <cwctype>
#include <vector>

namespace {

const wchar_t kSection[] = L"update";

template <class Proc>
Proc Bind(HMODULE module, const char* name)
{
    return module ? reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(GetProcAddress(module, name))) : nullptr;
}

// A source naming "http" anywhere, in any case, is fetched rather than read.
bool IsUrl(const wchar_t* source)
{
    std::wstring upper = source;
    for (wchar_t& c : upper)
        c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
    return upper.find(L"HTTP") != std::wstring::npos;
}

std::string ToAnsi(const std::wstring& text)
{
    const int size = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1)
        return std::string();
    std::string ansi(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, ansi.data(), size, nullptr, nullptr);
    ansi.resize(static_cast<size_t>(size) - 1);
    return ansi;
}

// "0" no update, "1" forced update pending, "2" optional update pending, in the user's local
// settings, where the main program reads it.
void RecordUpdateState(const char* state)
{
    const std::wstring path = LocalCfgPath();
    if (path.empty())
        return;
    WritePrivateProfileStringA("cache", "update", state, ToAnsi(path).c_str());
}

struct TextKey {
    const wchar_t* key;
    wchar_t* field;
    DWORD capacity;
    UpdateSite missing;
};

bool ReadText(const wchar_t* file, const TextKey& text)
{
    GetPrivateProfileStringW(kSection, text.key, L"", text.field, text.capacity, file);
    return text.field[0] != L'\0';
}

std::atomic<unsigned int> g_deadlineForTests {0};

// The fetched description's "update" section takes the place of the installed one's in one locked
// rewrite of the file, which a kill leaves old or new. Every other line stays: the start-up block
// above all, which an install may have set meanwhile and which no server may set.
void InstallDescription(const std::wstring& fetched, const std::wstring& installed)
{
    if (fetched.empty())
        return;
    // A description's entries take no more characters than its file has bytes.
    std::vector<wchar_t> entries(kLargestDescription + 2);
    const DWORD length =
        GetPrivateProfileSectionW(kSection, entries.data(), static_cast<DWORD>(entries.size()), fetched.c_str());
    if (length == 0 || length >= entries.size() - 2)
        return;
    WritePrivateProfileSectionW(kSection, entries.data(), installed.c_str());
}

} // namespace

CUpdateFixt::CUpdateFixt()
{
    const HMODULE module = LoadLibraryA("KyDownload.dll");
    kyd_init_ = Bind<KydInitProc>(module, "kyd_init");
    kyd_download_ = Bind<KydDownloadProc>(module, "kyd_download");
    kyd_uninit_ = Bind<KydUninitProc>(module, "kyd_uninit");
    kyd_set_limits_ = Bind<KydSetLimitsProc>(module, "kyd_set_limits");
    kyd_cancel_ = Bind<KydCancelProc>(module, "kyd_cancel");
}

void CUpdateFixt::SetDeadlineForTests(unsigned int milliseconds)
{
    g_deadlineForTests = milliseconds;
}

OpResult CUpdateFixt::Download(const wchar_t* url, const wchar_t* destFile)
{
    return DownloadAs(DownloadKind::Package, url, destFile);
}

bool CUpdateFixt::Enter(void* session)
{
    const std::lock_guard<std::mutex> lock(sessionsMutex_);
    if (cancelled_)
        return false;
    sessions_.push_back(session);
    return true;
}

void CUpdateFixt::Leave(void* session)
{
    const std::lock_guard<std::mutex> lock(sessionsMutex_);
    sessions_.erase(std::find(sessions_.begin(), sessions_.end(), session));
}

void CUpdateFixt::CancelDownloads()
{
    const std::lock_guard<std::mutex> lock(sessionsMutex_);
    cancelled_ = true;
    // A session leaves the list before it is released, so each one here is alive.
    for (void* session : sessions_)
        kyd_cancel_(session);
}

OpResult CUpdateFixt::DownloadAs(DownloadKind kind, const wchar_t* url, const wchar_t* destFile)
{
    if (!url || !*url)
        return UpdateFailure(SITE_DOWNLOAD_NO_URL, GetLastError());
    if (!destFile || !*destFile)
        return UpdateFailure(SITE_DOWNLOAD_NO_DEST, GetLastError());
    if (!kyd_init_)
        return UpdateFailure(SITE_DOWNLOAD_NO_INIT, GetLastError());
    if (!kyd_download_)
        return UpdateFailure(SITE_DOWNLOAD_NO_DOWNLOAD, GetLastError());
    if (!kyd_uninit_)
        return UpdateFailure(SITE_DOWNLOAD_NO_UNINIT, GetLastError());
    // A library that cannot bound or cancel a transfer would let a server hold the caller for good.
    if (!kyd_set_limits_ || !kyd_cancel_)
        return UpdateFailure(SITE_DOWNLOAD_NO_BOUNDS, GetLastError());
    DeleteFileW(destFile);
    void* handle = nullptr;
    if (kyd_init_(&handle) != 0)
        return UpdateFailure(SITE_DOWNLOAD_INIT_FAILED, GetLastError());
    if (!handle)
        return UpdateFailure(SITE_DOWNLOAD_NULL_HANDLE, GetLastError());
    DownloadLimits limits = LimitsOf(kind);
    if (const unsigned int deadline = g_deadlineForTests)
        limits.deadlineMs = deadline;
    if (kyd_set_limits_(handle, limits.maxBytes, limits.deadlineMs) != 0) {
        const DWORD error = GetLastError();
        kyd_uninit_(handle);
        return UpdateFailure(SITE_DOWNLOAD_INIT_FAILED, error);
    }
    if (!Enter(handle)) {
        kyd_uninit_(handle);
        return UpdateFailure(SITE_DOWNLOAD_FAILED, ERROR_CANCELLED);
    }
    const int downloaded = kyd_download_(handle, url, destFile, 0, 0, 1);
    const DWORD error = GetLastError();
    Leave(handle);
    kyd_uninit_(handle);
    return downloaded != 0 ? UpdateFailure(SITE_DOWNLOAD_FAILED, error) : RESULT_OK;
}

OpResult CUpdateFixt::ValidateArgs(const wchar_t*, void*) { return RESULT_OK; }

OpResult CUpdateFixt::ReadUpdateInfo(const wchar_t* source, _Update_Info_* info)
{
    if (!info)
        return UpdateFailure(SITE_READ_NO_RECORD, GetLastError());
    if (!source || !*source)
        return UpdateFailure(SITE_READ_NO_SOURCE, GetLastError());
    std::wstring file = source;
    if (IsUrl(source)) {
        file = FetchedDescriptionPath();
        if (file.empty())
            return UpdateFailure(SITE_READ_NO_DOWNLOAD_PATH, GetLastError());
        if (const OpResult fetched = DownloadAs(DownloadKind::Description, source, file.c_str()))
            return fetched;
    }
    const TextKey leading[] = {
        {L"url", info->url, MAX_PATH, SITE_READ_NO_URL},
        {L"des", info->des, MAX_PATH, SITE_READ_NO_DES},
        {L"build", info->build, 32, SITE_READ_NO_BUILD},
    };
    for (const TextKey& text : leading)
        if (!ReadText(file.c_str(), text))
            return UpdateFailure(text.missing, GetLastError());
    const UINT force = GetPrivateProfileIntW(kSection, L"force", 0, file.c_str());
    info->flags = (info->flags & ~UPDATE_FLAG_FORCED) | ((force & 1) ? UPDATE_FLAG_FORCED : 0);
    if (!ReadText(file.c_str(), {L"config", info->config, MAX_PATH, SITE_READ_NO_CONFIG}))
        return UpdateFailure(SITE_READ_NO_CONFIG, GetLastError());
    return RESULT_OK;
}

bool CUpdateFixt::CheckUpdate(_Update_Info_* info)
{
    if (!info)
        return false;
    const std::wstring programFolder = GetModuleDir();
    const std::wstring installed = programFolder + L"kyphtupdate.ini";
    _Update_Info_ local = {};
    // The installed description takes only from one this very check fetched whole, within its
    // bound, and read as a description.
    bool fetchedWhole = false;
    if (!programFolder.empty() && ReadUpdateInfo(installed.c_str(), &local) == RESULT_OK)
        fetchedWhole = ReadUpdateInfo(local.config, info) == RESULT_OK && IsUrl(local.config);

    if (IsNewerBuild(local.build, info->build)) {
        info->flags |= UPDATE_FLAG_NEWER;
        RecordUpdateState((info->flags & UPDATE_FLAG_FORCED) ? "1" : "2");
        return true;
    }
    RecordUpdateState("0");
    if (fetchedWhole)
        InstallDescription(FetchedDescriptionPath(), installed);
    return false;
}
