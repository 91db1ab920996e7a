#include "jex_main/Scatterscope/RunRecord.h"

#include <algorithm>
#include <system_error>

namespace {

constexpr DWORD PEEK_BYTES = 1024;
constexpr DWORD POLL_MS = 10;

void CloseIfOpen(HANDLE& handle)
{
    if (handle)
        CloseHandle(handle);
    handle = nullptr;
}

} // namespace

CRunRecord::~CRunRecord()
{
    if (reader_.joinable())
        reader_.join();
    for (HANDLE* handle : {&doneEvent_, &pipeRead_, &pipeWrite_, &cancelEvent_, &child_.hProcess, &child_.hThread})
        CloseIfOpen(*handle);
}

OpResult CRunRecord::Create()
{
    doneEvent_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (!doneEvent_)
        return MakeResult(0x1A1, RESULT_SYSTEM_CALL);
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    if (!CreatePipe(&pipeRead_, &pipeWrite_, &inheritable, 0))
        return MakeResult(0x1AB, RESULT_SYSTEM_CALL);
    cancelEvent_ = CreateEventW(&inheritable, TRUE, FALSE, nullptr);
    if (!cancelEvent_)
        return MakeResult(0x1B3, RESULT_SYSTEM_CALL);
    return RESULT_OK;
}

bool CRunRecord::StartReader()
{
    try {
        reader_ = std::thread(&CRunRecord::ReadOutput, this);
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void CRunRecord::SignalCancel() { SetEvent(cancelEvent_); }

// The launcher's end is looked at before the pipe, so that what it wrote before it ended is still
// read; a peek never asks for more than the buffer holds.
void CRunRecord::ReadOutput()
{
    char buffer[PEEK_BYTES];
    for (;;) {
        const bool ended = WaitForSingleObject(child_.hProcess, 0) == WAIT_OBJECT_0;
        DWORD peeked = 0, waiting = 0;
        if (!PeekNamedPipe(pipeRead_, buffer, PEEK_BYTES, &peeked, &waiting, nullptr))
            break;
        if (waiting) {
            DWORD read = 0;
            if (!ReadFile(pipeRead_, buffer, std::min(waiting, PEEK_BYTES), &read, nullptr))
                break;
            Keep(buffer, read);
            continue;
        }
        if (ended)
            break;
        Sleep(POLL_MS);
    }
    SetEvent(doneEvent_);
}

void CRunRecord::Keep(const char* bytes, DWORD count)
{
    output_.append(bytes, count);
    if (output_.size() > OUTPUT_LIMIT)
        output_.erase(0, output_.size() - OUTPUT_LIMIT);
}
