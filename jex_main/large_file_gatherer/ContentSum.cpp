#include "ContentSum.h"

#include "Crc64.h"

#include "common/FolderChain.h"
#include "platform/Windows.h"

#include <algorithm>
#include <memory>

namespace {

// Large reads keep the calls per byte few; one buffer per thread serves every file it reads.
constexpr DWORD kReadBytes = 1 << 20;

// Left uninitialised: a thread that reads only small files touches only the buffer's first pages.
unsigned char* ReadBuffer()
{
    thread_local const std::unique_ptr<unsigned char[]> buffer(new unsigned char[kReadBytes]);
    return buffer.get();
}

// Reads up to length bytes; fewer only at the end of the file. False when the read fails.
bool ReadBlock(HANDLE file, unsigned char* buffer, DWORD length, DWORD& got)
{
    got = 0;
    return ReadFile(file, buffer, length, &got, nullptr) != FALSE;
}

} // namespace

void CContentSum::Read(const std::wstring& path, DWORD volume, uint64_t fileIndex, uint64_t size, bool whole)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        state_ = State::Unreadable;
        return;
    }
    BY_HANDLE_FILE_INFORMATION opened{};
    const bool listed = GetFileInformationByHandle(file, &opened) && folder_chain::IsListedFile(opened, volume, fileIndex);
    const bool read = listed && (whole || size <= kWholeAtOnce ? ReadWhole(file, size) : ReadEnds(file, size));
    CloseHandle(file);
    if (!read)
        state_ = State::Unreadable;
}

bool CContentSum::ReadEnds(HANDLE file, uint64_t size)
{
    unsigned char* buffer = ReadBuffer();
    DWORD got = 0;
    if (!ReadBlock(file, buffer, kBlockBytes, got))
        return false;
    first_ = Crc64Update(0, buffer, got);
    LARGE_INTEGER lastBlock{};
    lastBlock.QuadPart = static_cast<LONGLONG>(size - kBlockBytes);
    if (!SetFilePointerEx(file, lastBlock, nullptr, FILE_BEGIN) || !ReadBlock(file, buffer, kBlockBytes, got))
        return false;
    last_ = Crc64Update(0, buffer, got);
    state_ = State::Ends;
    return true;
}

// Reads to the end of the file, whatever its size now; the ends are taken where the size known
// beforehand puts them, so that they match those read on their own.
bool CContentSum::ReadWhole(HANDLE file, uint64_t size)
{
    unsigned char* buffer = ReadBuffer();
    const uint64_t lastStart = size > kBlockBytes ? size - kBlockBytes : 0;
    uint64_t offset = 0;
    uint64_t crc = 0;
    uint64_t first = 0;
    uint64_t last = 0;
    for (;;) {
        DWORD got = 0;
        if (!ReadBlock(file, buffer, kReadBytes, got))
            return false;
        // The first block lies in the first read; its CRC is where the whole one stands after it.
        const size_t head = offset == 0 ? std::min<size_t>(got, kBlockBytes) : 0;
        crc = Crc64Update(crc, buffer, head);
        if (offset == 0)
            first = crc;
        crc = Crc64Update(crc, buffer + head, got - head);
        const uint64_t from = std::max(offset, lastStart);
        const uint64_t to = std::min(offset + got, size);
        if (from < to)
            last = Crc64Update(last, buffer + (from - offset), static_cast<size_t>(to - from));
        offset += got;
        if (got < kReadBytes)
            break;
    }
    first_ = first;
    last_ = last;
    whole_ = crc;
    state_ = State::Whole;
    return true;
}
