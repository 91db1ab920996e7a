#include "StartupBlock.h"

#include "common/RunningProcesses.h"

#include <algorithm>

namespace {

const wchar_t kSection[] = L"block";
const wchar_t kKey[] = L"main";
// A default no value of the key can be, to tell a missing key from an empty one.
const wchar_t kMissing[] = L"\x1";
const wchar_t kMainProgram[] = L"Quarnel.exe";
constexpr size_t kMostCopies = 256;

std::vector<DWORD> MainProgramIds()
{
    return running_processes::IdsOf({kMainProgram}, kMostCopies);
}

void End(DWORD processId)
{
    const HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, processId);
    if (!process)
        return;
    TerminateProcess(process, 1);
    CloseHandle(process);
}

} // namespace

CStartupBlock::CStartupBlock(std::wstring description) : description_(std::move(description))
{
    wchar_t value[64] = {};
    GetPrivateProfileStringW(kSection, kKey, kMissing, value, 64, description_.c_str());
    hadKey_ = std::wstring(value) != kMissing;
    if (hadKey_)
        previous_ = value;
    runningBefore_ = MainProgramIds();
    set_ = WritePrivateProfileStringW(kSection, kKey, L"1", description_.c_str()) != FALSE;
}

CStartupBlock::~CStartupBlock()
{
    if (!set_)
        return;
    // Listed before the block goes, so that no copy started after it is taken for an idle one.
    const std::vector<DWORD> idle = MainProgramIds();
    WritePrivateProfileStringW(kSection, kKey, hadKey_ ? previous_.c_str() : nullptr, description_.c_str());
    for (const DWORD id : idle)
        if (std::find(runningBefore_.begin(), runningBefore_.end(), id) == runningBefore_.end())
            End(id);
}
