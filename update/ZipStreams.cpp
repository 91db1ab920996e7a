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
        return stream;
    }

    static voidpf MemoryOpen(voidpf opaque, const void*, int mode)
    {
        if ((mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER) != ZLIB_FILEFUNC_MODE_READ)
            return nullptr;
        return new (std::nothrow) Stream {static_cast<ZipSource*>(opaque)};
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

size_t ZipSource::ReadAt(uint64_t offset, void* buffer, size_t size) const
{
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
