#include "BenchArchives.h"

#include <minizip/zip.h>

#include <cstdint>
#include <stdexcept>
#include <vector>

namespace {

constexpr int kSmallFolders = 50;
constexpr int kSmallFilesPerFolder = 100;
constexpr int kTinyFolders = 500;
constexpr int kTinyFilesPerFolder = 200;
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

// Folders of text files whose sizes spread evenly from a smallest size on.
struct Tree {
    int folders;
    int filesPerFolder;
    const char* folderPrefix;  // "res/set": folders res/set0, res/set1, ...
    const char* filePrefix;
    const char* extension;
    size_t smallest;
    size_t spread;
};

void WriteTree(const std::string& zipPath, const Tree& tree)
{
    ZipWriter zip(zipPath);
    uint32_t seed = 1;
    for (int folder = 0; folder < tree.folders; ++folder) {
        for (int file = 0; file < tree.filesPerFolder; ++file) {
            const size_t size = tree.smallest + (seed * 2654435761u) % tree.spread;
            zip.Add(tree.folderPrefix + std::to_string(folder) + "/" + tree.filePrefix + std::to_string(file) +
                        tree.extension,
                    Text(size, seed));
            ++seed;
        }
    }
}

} // namespace

void WriteManySmallFiles(const std::string& zipPath)
{
    WriteTree(zipPath, {kSmallFolders, kSmallFilesPerFolder, "res/set", "item", ".txt", 512, 7680});
}

void WriteManyTinyFiles(const std::string& zipPath)
{
    WriteTree(zipPath, {kTinyFolders, kTinyFilesPerFolder, "lib/pkg", "Item", ".class", 64, 448});
}

void WriteFewLargeFiles(const std::string& zipPath)
{
    ZipWriter zip(zipPath);
    for (int file = 0; file < kLargeFiles; ++file)
        zip.Add("large" + std::to_string(file) + ".dat", Text(kLargeFileBytes, 100 + file));
}
