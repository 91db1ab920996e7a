#include "update/ZipStreams.h"

#include "platform/Windows.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Large enough to hold many entries' records of the central directory, or many small entries.
constexpr size_t kWindowBytes = 64 * 1024;

// The records at an archive's end: the end record, before it the ZIP64 locator, and before that
// the ZIP64 end record (their sizes without comment or extensible data).
constexpr uint32_t kEndSignature = 0x06054b50;
constexpr uint32_t kLocatorSignature = 0x07064b50;
constexpr uint32_t kZip64EndSignature = 0x06064b50;
constexpr size_t kEndRecordBytes = 22;
constexpr size_t kLocatorBytes = 20;
constexpr size_t kZip64EndBytes = 56;

uint32_t Le32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24); }
uint64_t Le64(const uint8_t* p) { return Le32(p) | (static_cast<uint64_t>(Le32(p + 4)) << 32); }

size_t CopyFromBlock(const std::vector<uint8_t>& block, uint64_t offset, void* buffer, size_t size)
{
    if (offset >= block.size())
        return 0;
    const size_t count = static_cast<size_t>(std::min<uint64_t>(size, block.size() - offset));
    std::copy_n(block.data() + offset, count, static_cast<uint8_t*>(buffer));
    return count;
}

// Up to size bytes at offset, fewer only at the end of the file; -1 on a read error.
ssize_t ReadFileAt(int fd, void* buffer, size_t size, uint64_t offset)
{
    size_t done = 0;
    while (done < size) {
        const ssize_t n = pread(fd, static_cast<uint8_t*>(buffer) + done, size - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        done += static_cast<size_t>(n);
    }
    return static_cast<ssize_t>(done);
}

// Where minizip is in the archive.
struct Stream {
    ZipSource* source;
    uint64_t position = 0;
    bool failed = false;
};

} // namespace

// The callbacks that open and close the archive fill the source in; nothing else may.
struct ZipStreamAccess {
    static voidpf FileOpen(voidpf opaque, const void* path, int mode)
    {
        if (!path || (mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER) != ZLIB_FILEFUNC_MODE_READ)
            return nullptr;
        auto* source = static_cast<ZipSource*>(opaque);
        FILE* file = _wfopen(static_cast<const wchar_t*>(path), L"rb");
        struct stat st {};
        if (!file || fstat(fileno(file), &st) != 0) {
            if (file)
                fclose(file);
            return nullptr;
        }
        auto* stream = new (std::nothrow) Stream {source};
        if (!stream) {
            fclose(file);
            return nullptr;
        }
        source->file_ = file;
        source->size_ = static_cast<uint64_t>(st.st_size);
        source->SkipShiftedStart();
        return stream;
    }

    static voidpf MemoryOpen(voidpf opaque, const void*, int mode)
    {
        if ((mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER) != ZLIB_FILEFUNC_MODE_READ)
            return nullptr;
        auto* source = static_cast<ZipSource*>(opaque);
        source->SkipShiftedStart();
        return new (std::nothrow) Stream {source};
    }

    static int Close(voidpf, voidpf opaque)
    {
        auto* stream = static_cast<Stream*>(opaque);
        ZipSource& source = *stream->source;
        const int closed = source.file_ ? fclose(source.file_) : 0;
        source.file_ = nullptr;
        for (ZipSource::Window& window : source.windows_)
            window = ZipSource::Window {};
        delete stream;
        return closed;
    }

    static void Fill(ZipSource& source, const std::vector<uint8_t>* block)
    {
        source = ZipSource {};
        source.block_ = block;
        source.size_ = block ? block->size() : 0;
    }
};

namespace {

uLong ZCALLBACK Read(voidpf, voidpf opaque, void* buffer, uLong size)
{
    Stream& stream = *static_cast<Stream*>(opaque);
    const size_t count = stream.source->ReadAt(stream.position, buffer, size);
    stream.position += count;
    stream.failed = stream.failed || (count < size && stream.position < stream.source->Size());
    return static_cast<uLong>(count);
}

uLong ZCALLBACK NoWrite(voidpf, voidpf, const void*, uLong) { return 0; }

ZPOS64_T ZCALLBACK Tell(voidpf, voidpf opaque) { return static_cast<Stream*>(opaque)->position; }

long ZCALLBACK Seek(voidpf, voidpf opaque, ZPOS64_T offset, int origin)
{
    Stream& stream = *static_cast<Stream*>(opaque);
    const uint64_t length = stream.source->Size();
    uint64_t base = 0;
    switch (origin) {
    case ZLIB_FILEFUNC_SEEK_CUR: base = stream.position; break;
    case ZLIB_FILEFUNC_SEEK_END: base = length; break;
    case ZLIB_FILEFUNC_SEEK_SET: base = 0; break;
    default: return -1;
    }
    if (offset > length || base > length - offset)
        return -1;
    stream.position = base + offset;
    return 0;
}

int ZCALLBACK Error(voidpf, voidpf opaque) { return static_cast<Stream*>(opaque)->failed ? 1 : 0; }

} // namespace

size_t ZipSource::ReadAt(uint64_t viewOffset, void* buffer, size_t size) const
{
    if (viewOffset > Size())
        return 0;
    const uint64_t offset = start_ + viewOffset;
    if (block_)
        return CopyFromBlock(*block_, offset, buffer, size);
    if (!file_)
        return 0;
    const int fd = fileno(file_);
    auto* out = static_cast<uint8_t*>(buffer);
    size_t done = 0;
    while (done < size) {
        const uint64_t at = offset + done;
        int used = -1;
        for (int i = 0; i < 2; ++i)
            if (at >= windows_[i].start && at - windows_[i].start < windows_[i].length)
                used = i;
        if (used < 0) {
            // A large read goes straight into the caller's buffer.
            if (size - done >= kWindowBytes) {
                const ssize_t n = ReadFileAt(fd, out + done, size - done, at);
                return done + (n > 0 ? static_cast<size_t>(n) : 0);
            }
            used = 1 - lastUsed_;
            Window& window = windows_[used];
            window.bytes.resize(kWindowBytes);
            const ssize_t n = ReadFileAt(fd, window.bytes.data(), kWindowBytes, at);
            window.start = at;
            window.length = n > 0 ? static_cast<size_t>(n) : 0;
            if (window.length == 0)
                return done;
        }
        lastUsed_ = used;
        const Window& window = windows_[used];
        const size_t count = static_cast<size_t>(std::min<uint64_t>(size - done, window.start + window.length - at));
        std::memcpy(out + done, window.bytes.data() + (at - window.start), count);
        done += count;
    }
    return done;
}

void ZipSource::SkipShiftedStart()
{
    start_ = 0;
    // The end record with the longest comment, and the ZIP64 locator before it.
    const size_t tailSize = static_cast<size_t>(std::min<uint64_t>(size_, kEndRecordBytes + 0xFFFF + kLocatorBytes));
    std::vector<uint8_t> tail(tailSize);
    if (tailSize < kEndRecordBytes + kLocatorBytes || ReadAt(size_ - tailSize, tail.data(), tailSize) != tailSize)
        return;
    size_t end = tailSize - kEndRecordBytes + 1;
    while (end-- > kLocatorBytes && Le32(&tail[end]) != kEndSignature) {
    }
    if (end < kLocatorBytes || Le32(&tail[end - kLocatorBytes]) != kLocatorSignature)
        return;
    const uint64_t locator = size_ - tailSize + end - kLocatorBytes;
    const uint64_t recorded = Le64(&tail[end - kLocatorBytes + 8]);
    uint8_t signature[4] = {};
    if (recorded < locator && ReadAt(recorded, signature, 4) == 4 && Le32(signature) == kZip64EndSignature)
        return;
    // The ZIP64 end record lies right before its locator; it is that long and its extensible
    // data rarely more than a few bytes.
    const uint64_t searched = std::min<uint64_t>(locator, kZip64EndBytes + 0xFFFF);
    std::vector<uint8_t> before(static_cast<size_t>(searched));
    if (searched < kZip64EndBytes || ReadAt(locator - searched, before.data(), before.size()) != before.size())
        return;
    for (size_t at = before.size() - kZip64EndBytes + 1; at-- > 0;) {
        const uint64_t record = locator - searched + at;
        if (Le32(&before[at]) == kZip64EndSignature && Le64(&before[at + 4]) + 12 == locator - record) {
            if (record > recorded)
                start_ = record - recorded;
            return;
        }
    }
}

unzFile OpenZipFile(const wchar_t* path, ZipSource& source)
{
    ZipStreamAccess::Fill(source, nullptr);
    zlib_filefunc64_def functions = {ZipStreamAccess::FileOpen, Read, NoWrite, Tell, Seek, ZipStreamAccess::Close,
                                     Error, &source};
    return unzOpen2_64(path, &functions);
}

unzFile OpenZipMemory(const std::vector<uint8_t>& block, ZipSource& source)
{
    ZipStreamAccess::Fill(source, &block);
    zlib_filefunc64_def functions = {ZipStreamAccess::MemoryOpen, Read, NoWrite, Tell, Seek, ZipStreamAccess::Close,
                                     Error, &source};
    return unzOpen2_64(&block, &functions);
}
