// Small helpers for the file tests: files written and read through the layer's own calls.
#pragma once

#include "platform/Windows.h"

#include <string>

namespace files_test {

// Writes (replacing) a file through CreateFileW/WriteFile; false when any step fails.
bool WriteText(const std::wstring& path, const std::string& text);
// The file's content read through CreateFileW/ReadFile ("" when it cannot be opened).
std::string ReadText(const std::wstring& path);
// The machine root of the running test (host path).
std::string Root();

// Closes a handle at the end of a scope.
class HandleGuard {
public:
    explicit HandleGuard(HANDLE handle) : handle_(handle) {}
    ~HandleGuard() { Close(); }
    void Close()
    {
        if (handle_ && handle_ != INVALID_HANDLE_VALUE)
            CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }
    HandleGuard(const HandleGuard&) = delete;
    HandleGuard& operator=(const HandleGuard&) = delete;
    HANDLE get() const { return handle_; }
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle_;
};

} // namespace files_test
