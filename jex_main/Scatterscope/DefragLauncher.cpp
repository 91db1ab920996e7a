#include "jex_main/Scatterscope/DefragLauncher.h"

#include "jex_main/Scatterscope/BaseController.h"
#include "jex_main/Scatterscope/MiscFunc.h"
#include "jex_main/Scatterscope/RunRecord.h"

#include <atomic>
#include <new>

namespace {

constexpr size_t LAUNCHER_COMMAND_CHARS = 260;
constexpr DWORD CANCELLED_EXIT_CODE = static_cast<DWORD>(-2);

std::atomic<DWORD> g_serialRunPauseMs{2000};

OpResult BuildLauncherCommand(const CRunRecord& record, const std::wstring& command, std::wstring& launcher)
{
    std::wstring folder;
    const OpResult result = GetHostFolder(folder);
    if (IsFailure(result))
        return result;
    launcher = L"\"" + folder + L"\\spawn.exe\" \"" + command + L"\" " + std::to_wstring(record.CancelHandleValue()) +
               L" en_US";
    if (launcher.size() + 1 > LAUNCHER_COMMAND_CHARS)
        return MakeResult(0x1C6, RESULT_SYSTEM_CALL);
    return RESULT_OK;
}

OpResult StartLauncher(CRunRecord& record, std::wstring launcher)
{
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = record.PipeWriteEnd();
    startup.hStdError = record.PipeWriteEnd();
    if (!CreateProcessW(nullptr, launcher.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                        &record.Child()))
        return MakeResult(0x1D4, RESULT_SYSTEM_CALL);
    if (!record.StartReader()) {
        TerminateProcess(record.Child().hProcess, CANCELLED_EXIT_CODE);
        return MakeResult(0x1E4, RESULT_SYSTEM_CALL);
    }
    return RESULT_OK;
}

// Until the run record is attached to the slot it belongs to this function, which releases it on
// every early failure.
OpResult Launch(const std::wstring& command, CWorkerSlot* slot, CRunRecord*& attached)
{
    std::unique_ptr<CRunRecord> record(new (std::nothrow) CRunRecord());
    if (!record)
        return MakeResult(0x198, RESULT_NO_CALLBACK);
    std::wstring launcher;
    OpResult result = record->Create();
    if (!IsFailure(result))
        result = BuildLauncherCommand(*record, command, launcher);
    if (!IsFailure(result))
        result = StartLauncher(*record, launcher);
    if (IsFailure(result))
        return result;
    attached = record.get();
    slot->owner->SetRunRecord(slot, std::move(record));
    return RESULT_OK;
}

} // namespace

void SetSerialRunPauseMs(DWORD milliseconds) { g_serialRunPauseMs = milliseconds; }

OpResult RunLauncher(const std::wstring& command, CWorkerSlot* slot, std::string& output)
{
    CRunRecord* run = nullptr;
    const OpResult result = Launch(command, slot, run);
    if (IsFailure(result))
        return result;
    WaitForSingleObject(run->DoneEvent(), INFINITE);
    output = run->Output();
    DWORD exitCode = 0;
    if (!GetExitCodeProcess(run->Child().hProcess, &exitCode))
        return MakeResult(0x1EF, RESULT_SYSTEM_CALL);
    if (!slot->owner->IsParallel())
        Sleep(g_serialRunPauseMs);
    if (exitCode == CANCELLED_EXIT_CODE)
        return MakeResult(0x1F9, RESULT_CANCELLED);
    return exitCode != 0 ? MakeResult(0x1FF, RESULT_SYSTEM_CALL) : RESULT_OK;
}
