// One run of the defragmenter through the launcher: its events, the pipe of its output, the
// launcher process and the thread that reads the pipe. Destroying the record joins the reader and
// closes every handle, whatever step the run reached.
#pragma once

#include "common/OpResult.h"

#include <string>
#include <thread>

class CRunRecord {
public:
    // Whole output up to this size is kept; beyond it the most recent part.
    static constexpr size_t OUTPUT_LIMIT = 1024 * 1024;

    CRunRecord() = default;
    ~CRunRecord();
    CRunRecord(const CRunRecord&) = delete;
    CRunRecord& operator=(const CRunRecord&) = delete;

    // The done event, the pipe with inheritable ends and the cancel event.
    OpResult Create();
    // Reads the pipe until the launcher has ended and nothing is left, then signals the done event.
    bool StartReader();
    void SignalCancel();

    HANDLE DoneEvent() const { return doneEvent_; }
    HANDLE PipeWriteEnd() const { return pipeWrite_; }
    // The value the launcher is given on its command line.
    unsigned long long CancelHandleValue() const { return reinterpret_cast<UINT_PTR>(cancelEvent_); }
    PROCESS_INFORMATION& Child() { return child_; }
    // Read by the worker only after the done event.
    const std::string& Output() const { return output_; }

private:
    void ReadOutput();
    void Keep(const char* bytes, DWORD count);

    HANDLE doneEvent_ = nullptr;
    HANDLE pipeRead_ = nullptr;
    HANDLE pipeWrite_ = nullptr;
    HANDLE cancelEvent_ = nullptr;
    std::thread reader_;
    PROCESS_INFORMATION child_ = {};
    std::string output_;
};
