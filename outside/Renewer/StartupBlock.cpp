#include "StartupBlock.h"

#include "common/RunningProcesses.h"
#include "platform/Text.h"

#include <algorithm>

namespace {

const wchar_t kSection[] = L"block";
const wchar_t kMain[] = L"main";
const wchar_t kOwner[] = L"owner";
const wchar_t kStarted[] = L"started";
const wchar_t kRunning[] = L"running";
const wchar_t kMainProgram[] = L"Quarnel.exe";
constexpr size_t kMostCopies = 256;
// Room for kMostCopies ids and their commas.
constexpr DWORD kValueChars = 4096;
constexpr size_t kMostDigits = 20;

std::vector<DWORD> MainProgramIds()
{
    return running_processes::IdsOf({kMainProgram}, kMostCopies);
}

std::wstring ReadValue(const std::wstring& description, const wchar_t* key)
{
    std::vector<wchar_t> value(kValueChars);
    GetPrivateProfileStringW(kSection, key, L"", value.data(), kValueChars, description.c_str());
    return value.data();
}

bool WriteValue(const std::wstring& description, const wchar_t* key, const wchar_t* value)
{
    return WritePrivateProfileStringW(kSection, key, value, description.c_str()) != FALSE;
}

bool IsNumber(const std::wstring& text)
{
    return !text.empty() && text.size() <= kMostDigits &&
           std::all_of(text.begin(), text.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; });
}

// Named by the owner's process id and the time it set the block, so that a process that took the
// same id later never passes for the owner.
std::wstring OwnerMutexName(const std::wstring& owner, const std::wstring& started)
{
    return L"Global\\ORVANE Renewer install " + owner + L" " + started;
}

std::wstring IdsText(const std::vector<DWORD>& ids)
{
    std::wstring text;
    for (const DWORD id : ids)
        text += (text.empty() ? L"" : L",") + std::to_wstring(id);
    return text;
}

std::vector<DWORD> IdsIn(const std::wstring& text)
{
    std::vector<DWORD> ids;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find(L',', start);
        if (end == std::wstring::npos)
            end = text.size();
        const std::wstring id = text.substr(start, end - start);
        if (IsNumber(id) && id.size() <= 10)
            ids.push_back(static_cast<DWORD>(std::stoull(id)));
        start = end + 1;
    }
    return ids;
}

// Ends the copies of the main program among the ids that did not run before the block was set:
// they idle on it for good. How many were ended.
size_t EndIdleCopies(const std::vector<DWORD>& ids, const std::vector<DWORD>& runningBefore)
{
    size_t ended = 0;
    for (const DWORD id : ids) {
        if (std::find(runningBefore.begin(), runningBefore.end(), id) != runningBefore.end())
            continue;
        const HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, id);
        if (!process)
            continue;
        ended += TerminateProcess(process, 1) ? 1 : 0;
        CloseHandle(process);
    }
    return ended;
}

// "main" first, so that a block is never set without its owner, nor left set by the owner's keys
// going first.
bool TakeOff(const std::wstring& description)
{
    const bool off = WriteValue(description, kMain, L"0");
    for (const wchar_t* key : {kOwner, kStarted, kRunning})
        WriteValue(description, key, nullptr);
    return off;
}

} // namespace

CStartupBlock::State CStartupBlock::Inspect(const std::wstring& description)
{
    if (GetPrivateProfileIntW(kSection, kMain, 0, description.c_str()) == 0)
        return State::Off;
    const std::wstring owner = ReadValue(description, kOwner);
    const std::wstring started = ReadValue(description, kStarted);
    if (!IsNumber(owner) || !IsNumber(started))
        return State::Unowned;
    const HANDLE held = OpenMutexW(SYNCHRONIZE, FALSE, OwnerMutexName(owner, started).c_str());
    if (held) {
        CloseHandle(held);
        return State::Owned;
    }
    return GetLastError() == ERROR_FILE_NOT_FOUND ? State::Abandoned : State::Owned;
}

std::string CStartupBlock::ClearAbandoned(const std::wstring& description)
{
    const std::string owner = platform::ToUtf8(ReadValue(description, kOwner));
    const std::vector<DWORD> runningBefore = IdsIn(ReadValue(description, kRunning));
    // Listed before the block goes, so that no copy started after it is taken for an idle one.
    const std::vector<DWORD> copies = MainProgramIds();
    if (!TakeOff(description))
        return "the start-up block that Renewer " + owner +
               " left when it ended cannot be taken off (error " + std::to_string(GetLastError()) + ")";
    const size_t ended = EndIdleCopies(copies, runningBefore);
    return "the start-up block that Renewer " + owner +
           " left when it ended has been taken off; " + std::to_string(ended) +
           " idle copies of the main program ended";
}

CStartupBlock::CStartupBlock(std::wstring description) : description_(std::move(description))
{
    FILETIME now {};
    GetSystemTimeAsFileTime(&now);
    const std::wstring owner = std::to_wstring(GetCurrentProcessId());
    const std::wstring started =
        std::to_wstring((static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime);
    SetLastError(ERROR_SUCCESS);
    owner_ = CreateMutexW(nullptr, TRUE, OwnerMutexName(owner, started).c_str());
    // A name someone else made first is theirs to hold: the block would outlive this process.
    if (owner_ && GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(owner_);
        owner_ = nullptr;
        SetLastError(ERROR_ALREADY_EXISTS);
    }
    if (!owner_)
        return;
    runningBefore_ = MainProgramIds();
    set_ = WriteValue(description_, kOwner, owner.c_str()) && WriteValue(description_, kStarted, started.c_str()) &&
           WriteValue(description_, kRunning, IdsText(runningBefore_).c_str()) &&
           WriteValue(description_, kMain, L"1");
}

CStartupBlock::~CStartupBlock()
{
    if (set_ && !leave_) {
        // Listed before the block goes, so that no copy started after it is taken for an idle one.
        const std::vector<DWORD> copies = MainProgramIds();
        TakeOff(description_);
        EndIdleCopies(copies, runningBefore_);
    }
    if (owner_) {
        ReleaseMutex(owner_);
        CloseHandle(owner_);
    }
}
