#include "ContentSum.h"

#include "Crc64.h"

#include "platform/Windows.h"

#include <vector>

namespace {

// Large reads keep the calls per byte few; one buffer per thread serves every file it reads.
constexpr DWORD kReadBytes = 1 << 20;

unsigned char* ReadBuffer()
{
    thread_local std::vector<unsigned char> buffer(kReadBytes);
    return buffer.data();
}

} // namespace

void CContentSum::Read(const std::wstring& path, bool whole)
{
    state_ = State::Unreadable;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    unsigned char* buffer = ReadBuffer();
    uint64_t crc = 0;
    DWORD wanted = kFirstBlockBytes;
    bool first = true;
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file, buffer, wanted, &got, nullptr))
            break;
        crc = Crc64Update(crc, buffer, got);
        if (first) {
            firstBlock_ = crc;
            first = false;
            if (got == wanted && !whole) {
                state_ = State::FirstBlock;
                break;
            }
        }
        if (got < wanted) {
            whole_ = crc;
            state_ = State::Whole;
            break;
        }
        wanted = kReadBytes;
    }
    CloseHandle(file);
}
