#include "ZipBuilder.h"

#include <zlib.h>

#include <stdexcept>

namespace update_test {

namespace {

void Put16(std::string& out, uint32_t value)
{
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

void Put32(std::string& out, uint32_t value)
{
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

void Put64(std::string& out, uint64_t value)
{
    Put32(out, static_cast<uint32_t>(value));
    Put32(out, static_cast<uint32_t>(value >> 32));
}

struct Written {
    uint32_t offset;
    uint32_t crc;
    uint32_t compressedSize;
    uint32_t uncompressedSize;
};

} // namespace

std::string Deflate(const std::string& data)
{
    z_stream stream = {};
    if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("deflateInit2");
    std::string out(deflateBound(&stream, data.size()), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    const int result = deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    if (result != Z_STREAM_END)
        throw std::runtime_error("deflate");
    return out;
}

std::string BuildZip(const std::vector<ZipEntrySpec>& entries, const ZipEnd& end)
{
    std::string archive;
    std::vector<Written> written;
    for (const ZipEntrySpec& entry : entries) {
        if (entry.sharesDataOf) {
            written.push_back(written.at(*entry.sharesDataOf));
            continue;
        }
        const std::string data = entry.deflate ? Deflate(entry.content) : entry.content;
        const uint32_t crc = entry.crc.value_or(static_cast<uint32_t>(
            crc32(0, reinterpret_cast<const Bytef*>(entry.content.data()), static_cast<uInt>(entry.content.size()))));
        const Written record = {static_cast<uint32_t>(archive.size()), crc,
                                entry.declaredCompressedSize.value_or(static_cast<uint32_t>(data.size())),
                                entry.declaredSize.value_or(static_cast<uint32_t>(entry.content.size()))};
        Put32(archive, 0x04034b50);
        Put16(archive, 20);
        Put16(archive, entry.flags);
        Put16(archive, entry.deflate ? 8 : 0);
        Put32(archive, entry.dosDateTime);
        Put32(archive, record.crc);
        Put32(archive, record.compressedSize);
        Put32(archive, record.uncompressedSize);
        Put16(archive, static_cast<uint32_t>(entry.name.size()));
        Put16(archive, static_cast<uint32_t>(entry.localExtra.size()));
        archive += entry.name;
        archive += entry.localExtra;
        archive += data;
        written.push_back(record);
    }
    const uint32_t directoryStart = static_cast<uint32_t>(archive.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        const ZipEntrySpec& entry = entries[i];
        const ZipEntrySpec& source = entry.sharesDataOf ? entries[*entry.sharesDataOf] : entry;
        Put32(archive, 0x02014b50);
        Put16(archive, entry.versionMadeBy);
        Put16(archive, 20);
        Put16(archive, source.flags);
        Put16(archive, source.deflate ? 8 : 0);
        Put32(archive, source.dosDateTime);
        Put32(archive, written[i].crc);
        Put32(archive, written[i].compressedSize);
        Put32(archive, written[i].uncompressedSize);
        Put16(archive, static_cast<uint32_t>(entry.name.size()));
        Put16(archive, 0);
        Put16(archive, 0);
        Put16(archive, 0);
        Put16(archive, 0);
        Put32(archive, entry.externalAttributes);
        Put32(archive, written[i].offset);
        archive += entry.name;
    }
    const uint32_t directorySize = static_cast<uint32_t>(archive.size()) - directoryStart;
    const uint64_t count = end.declaredCount.value_or(entries.size());
    if (end.zip64) {
        const uint32_t recordStart = static_cast<uint32_t>(archive.size());
        Put32(archive, 0x06064b50);
        Put64(archive, 44);  // the record's size after this field
        Put16(archive, 45);
        Put16(archive, 45);
        Put32(archive, 0);
        Put32(archive, 0);
        Put64(archive, count);
        Put64(archive, count);
        Put64(archive, directorySize);
        Put64(archive, directoryStart);
        Put32(archive, 0x07064b50);
        Put32(archive, 0);
        Put64(archive, recordStart);
        Put32(archive, 1);
    }
    const uint32_t count16 = end.zip64 ? 0xFFFF : static_cast<uint16_t>(count);
    Put32(archive, 0x06054b50);
    Put16(archive, 0);
    Put16(archive, 0);
    Put16(archive, count16);
    Put16(archive, count16);
    Put32(archive, end.zip64 ? 0xFFFFFFFF : directorySize);
    Put32(archive, end.zip64 ? 0xFFFFFFFF : directoryStart);
    Put16(archive, 0);
    return archive;
}

std::string TimestampRecord(uint8_t flags, const std::vector<int32_t>& times)
{
    std::string record = "UT";
    Put16(record, static_cast<uint32_t>(1 + 4 * times.size()));
    record += static_cast<char>(flags);
    for (int32_t time : times)
        Put32(record, static_cast<uint32_t>(time));
    return record;
}

std::string Incompressible(size_t size, uint32_t seed)
{
    std::string data(size, '\0');
    uint32_t state = seed;
    for (char& c : data) {
        state = state * 1664525u + 1013904223u;
        c = static_cast<char>(state >> 24);
    }
    return data;
}

std::string Compressible(size_t size, uint32_t seed)
{
    std::string data = Incompressible(size, seed);
    for (char& c : data)
        c = static_cast<char>('a' + (c & 0x0F));
    return data;
}

} // namespace update_test
