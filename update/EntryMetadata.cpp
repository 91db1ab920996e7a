#include "update/EntryMetadata.h"

namespace {

// Hosts whose external attributes are MS-DOS attribute bits.
bool HasDosAttributes(unsigned host) { return host == 0 || host == 7 || host == 11 || host == 14; }

constexpr uint32_t kUnixDirectory = 1u << 30;   // S_IFDIR in the high word
constexpr uint32_t kUnixOwnerWrite = 1u << 23;  // S_IWUSR in the high word

constexpr uint16_t ReadLe16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

int32_t ReadLe32(const uint8_t* p)
{
    return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                                (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24));
}

FILETIME UnixTimeToFileTime(int32_t seconds)
{
    const uint64_t value = static_cast<uint64_t>(static_cast<int64_t>(seconds) * 10000000 + 116444736000000000LL);
    return FILETIME{static_cast<DWORD>(value), static_cast<DWORD>(value >> 32)};
}

} // namespace

DWORD EntryAttributes(uint32_t externalAttributes, uint16_t versionMadeBy, bool nameEndsInSeparator)
{
    DWORD attributes = 0;
    if (HasDosAttributes(versionMadeBy >> 8)) {
        attributes = externalAttributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                           FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_ARCHIVE);
    } else {
        attributes = FILE_ATTRIBUTE_ARCHIVE;
        if (externalAttributes & kUnixDirectory)
            attributes |= FILE_ATTRIBUTE_DIRECTORY;
        if (!(externalAttributes & kUnixOwnerWrite))
            attributes |= FILE_ATTRIBUTE_READONLY;
    }
    if (nameEndsInSeparator)
        attributes |= FILE_ATTRIBUTE_DIRECTORY;
    return attributes;
}

FILETIME DosTimeToFileTime(uint32_t dosDateTime)
{
    const uint32_t date = dosDateTime >> 16;
    const uint32_t time = dosDateTime & 0xFFFF;
    SYSTEMTIME local = {};
    local.wYear = static_cast<WORD>(1980 + (date >> 9));
    local.wMonth = static_cast<WORD>((date >> 5) & 0x0F);
    local.wDay = static_cast<WORD>(date & 0x1F);
    local.wHour = static_cast<WORD>(time >> 11);
    local.wMinute = static_cast<WORD>((time >> 5) & 0x3F);
    local.wSecond = static_cast<WORD>(2 * (time & 0x1F));
    FILETIME localTime = {};
    FILETIME universal = {};
    if (!SystemTimeToFileTime(&local, &localTime) || !LocalFileTimeToFileTime(&localTime, &universal))
        return FILETIME{0, 0};
    return universal;
}

void ApplyExtendedTimes(const uint8_t* field, size_t size, EntryTimes& times)
{
    size_t pos = 0;
    while (field && pos + 4 <= size) {
        const size_t length = ReadLe16(field + pos + 2);
        const size_t dataEnd = pos + 4 + length;
        if (dataEnd > size)
            return;
        if (field[pos] == 'U' && field[pos + 1] == 'T') {
            if (length == 0)
                return;
            const uint8_t flags = field[pos + 4];
            size_t at = pos + 5;
            FILETIME* const targets[] = {&times.write, &times.access, &times.creation};
            for (int bit = 0; bit < 3; ++bit) {
                if (!(flags & (1u << bit)))
                    continue;
                if (at + 4 > dataEnd)
                    return;
                *targets[bit] = UnixTimeToFileTime(ReadLe32(field + at));
                at += 4;
            }
            return;
        }
        pos = dataEnd;
    }
}
