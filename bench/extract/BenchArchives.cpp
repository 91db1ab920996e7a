#include "BenchArchives.h"

#include <minizip/zip.h>

#include <cstdint>
#include <stdexcept>
#include <vector>

namespace {

constexpr int kSmallFolders = 50;
constexpr int kSmallFilesPerFolder = 100;
constexpr int kLargeFiles = 4;
constexpr size_t kLargeFileBytes = 64u << 20;
constexpr uint32_t kArchiveAttribute = 0x20;

// Text-like bytes: words from a small vocabulary, so that deflate works as it does on real files.
std::string Text(size_t size, uint32_t seed)
{
    static const char* const kWords[] = {"junk ", "scan ", "disk ", "file ", "clean ", "update ", "pack ",
                                         "day ",  "image ", "text ", "\r\n",  "0x1F ", "Quarnel ", "zip "};
    std::string text;
    text.reserve(size + 16);
    uint32_t state = seed;
    while (text.size() < size) {
        state = state * 1664525u + 1013904223u;
        text += kWords[(state >> 16) % (sizeof kWords / sizeof kWords[0])];
        if ((state & 0xFF) < 40)
            text += std::to_string(state >> 8);
    }
    text.resize(size);
    return text;
}

class ZipWriter {
public:
    explicit ZipWriter(const std::string& path) : zip_(zipOpen64(path.c_str(), APPEND_STATUS_CREATE))
    {
        if (!zip_)
            throw std::runtime_error("cannot write " + path);
    }
    ~ZipWriter() { zipClose(zip_, nullptr); }

    void Add(const std::string& name, const std::string& content)
    {
        zip_fileinfo info = {};
        info.dosDate = 0x50B1528F;
        info.external_fa = kArchiveAttribute;
        if (zipOpenNewFileInZip3_64(zip_, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                                    Z_DEFAULT_COMPRESSION, 0, -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, nullptr,
                                    0, content.size() >= 0xFFFFFFFFu) != ZIP_OK ||
            zipWriteInFileInZip(zip_, content.data(), static_cast<unsigned>(content.size())) != ZIP_OK ||
            zipCloseFileInZip(zip_) != ZIP_OK)
            throw std::runtime_error("cannot add " + name);
    }

private:
    zipFile zip_;
};

} // namespace

void WriteManySmallFiles(const std::string& zipPath)
{
    ZipWriter zip(zipPath);
    uint32_t seed = 1;
    for (int folder = 0; folder < kSmallFolders; ++folder) {
        for (int file = 0; file < kSmallFilesPerFolder; ++file) {
            const size_t size = 512 + (seed * 2654435761u) % 7680;
            zip.Add("res/set" + std::to_string(folder) + "/item" + std::to_string(file) + ".txt", Text(size, seed));
            ++seed;
        }
    }
}

void WriteFewLargeFiles(const std::string& zipPath)
{
    ZipWriter zip(zipPath);
    for (int file = 0; file < kLargeFiles; ++file)
        zip.Add("large" + std::to_string(file) + ".dat", Text(kLargeFileBytes, 100 + file));
}
