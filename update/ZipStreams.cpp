#include "update/ZipStreams.h"

#include "platform/Windows.h"

#include <algorithm>
#include <cstdio>
#include <new>

namespace {

// --- a file through _wfopen -------------------------------------------------------------------

voidpf ZCALLBACK FileOpen(voidpf source, const void* path, int mode)
{
    if (!path || (mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER) != ZLIB_FILEFUNC_MODE_READ)
        return nullptr;
    FILE* file = _wfopen(static_cast<const wchar_t*>(path), L"rb");
    static_cast<ZipSource*>(source)->file = file;
    return file;
}

uLong ZCALLBACK FileRead(voidpf, voidpf stream, void* buffer, uLong size)
{
    return static_cast<uLong>(fread(buffer, 1, size, static_cast<FILE*>(stream)));
}

uLong ZCALLBACK NoWrite(voidpf, voidpf, const void*, uLong) { return 0; }

ZPOS64_T ZCALLBACK FileTell(voidpf, voidpf stream)
{
    const off_t at = ftello(static_cast<FILE*>(stream));
    return at < 0 ? static_cast<ZPOS64_T>(-1) : static_cast<ZPOS64_T>(at);
}

int SeekOrigin(int origin)
{
    switch (origin) {
    case ZLIB_FILEFUNC_SEEK_CUR: return SEEK_CUR;
    case ZLIB_FILEFUNC_SEEK_END: return SEEK_END;
    case ZLIB_FILEFUNC_SEEK_SET: return SEEK_SET;
    default: return -1;
    }
}

long ZCALLBACK FileSeek(voidpf, voidpf stream, ZPOS64_T offset, int origin)
{
    const int whence = SeekOrigin(origin);
    if (whence < 0 || offset > static_cast<ZPOS64_T>(INT64_MAX))
        return -1;
    return fseeko(static_cast<FILE*>(stream), static_cast<off_t>(offset), whence) == 0 ? 0 : -1;
}

int ZCALLBACK FileClose(voidpf source, voidpf stream)
{
    static_cast<ZipSource*>(source)->file = nullptr;
    return fclose(static_cast<FILE*>(stream));
}

int ZCALLBACK FileError(voidpf, voidpf stream) { return ferror(static_cast<FILE*>(stream)); }

// --- a block of memory ------------------------------------------------------------------------

struct MemoryStream {
    const std::vector<uint8_t>* block;
    uint64_t position;
};

voidpf ZCALLBACK MemoryOpen(voidpf source, const void*, int mode)
{
    if ((mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER) != ZLIB_FILEFUNC_MODE_READ)
        return nullptr;
    return new (std::nothrow) MemoryStream{static_cast<ZipSource*>(source)->block, 0};
}

size_t CopyFromBlock(const std::vector<uint8_t>& block, uint64_t offset, void* buffer, size_t size)
{
    if (offset >= block.size())
        return 0;
    const size_t count = static_cast<size_t>(std::min<uint64_t>(size, block.size() - offset));
    std::copy_n(block.data() + offset, count, static_cast<uint8_t*>(buffer));
    return count;
}

uLong ZCALLBACK MemoryRead(voidpf, voidpf stream, void* buffer, uLong size)
{
    MemoryStream& memory = *static_cast<MemoryStream*>(stream);
    const size_t count = CopyFromBlock(*memory.block, memory.position, buffer, size);
    memory.position += count;
    return static_cast<uLong>(count);
}

ZPOS64_T ZCALLBACK MemoryTell(voidpf, voidpf stream) { return static_cast<MemoryStream*>(stream)->position; }

long ZCALLBACK MemorySeek(voidpf, voidpf stream, ZPOS64_T offset, int origin)
{
    MemoryStream& memory = *static_cast<MemoryStream*>(stream);
    const uint64_t length = memory.block->size();
    uint64_t base = 0;
    switch (origin) {
    case ZLIB_FILEFUNC_SEEK_CUR: base = memory.position; break;
    case ZLIB_FILEFUNC_SEEK_END: base = length; break;
    case ZLIB_FILEFUNC_SEEK_SET: base = 0; break;
    default: return -1;
    }
    if (offset > length || base > length - offset)
        return -1;
    memory.position = base + offset;
    return 0;
}

int ZCALLBACK MemoryClose(voidpf, voidpf stream)
{
    delete static_cast<MemoryStream*>(stream);
    return 0;
}

int ZCALLBACK NoError(voidpf, voidpf) { return 0; }

} // namespace

unzFile OpenZipFile(const wchar_t* path, ZipSource& source)
{
    source = ZipSource{};
    zlib_filefunc64_def functions = {FileOpen, FileRead, NoWrite, FileTell, FileSeek, FileClose, FileError, &source};
    return unzOpen2_64(path, &functions);
}

unzFile OpenZipMemory(const std::vector<uint8_t>& block, ZipSource& source)
{
    source = ZipSource{nullptr, &block};
    zlib_filefunc64_def functions = {MemoryOpen, MemoryRead, NoWrite, MemoryTell, MemorySeek, MemoryClose, NoError, &source};
    return unzOpen2_64(&block, &functions);
}

size_t ReadZipSource(const ZipSource& source, uint64_t offset, void* buffer, size_t size)
{
    if (source.block)
        return CopyFromBlock(*source.block, offset, buffer, size);
    if (!source.file || offset > static_cast<uint64_t>(INT64_MAX) ||
        fseeko(source.file, static_cast<off_t>(offset), SEEK_SET) != 0)
        return 0;
    return fread(buffer, 1, size, source.file);
}
