#include "SyntheticTree.h"

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr uint64_t kKiB = 1024;
constexpr uint64_t kMiB = 1024 * kKiB;
constexpr uint64_t kGiB = 1024 * kMiB;
constexpr size_t kPoolBytes = 64 * kMiB;
constexpr size_t kPage = 4096;

// Random bytes to copy file contents from; every page of every file is stamped with the file's
// seed and the page number, so that no two files and no two pages are alike unless wanted.
const std::vector<unsigned char>& Pool()
{
    static const std::vector<unsigned char> pool = [] {
        std::vector<unsigned char> bytes(kPoolBytes);
        std::mt19937_64 random(20240601);
        for (size_t i = 0; i < bytes.size(); i += 8) {
            const uint64_t value = random();
            std::memcpy(&bytes[i], &value, 8);
        }
        return bytes;
    }();
    return pool;
}

void Fill(unsigned char* data, size_t length, uint64_t seed, uint64_t offset)
{
    const auto& pool = Pool();
    const size_t start = (seed * 7919 + offset / kPage * 131) % (kPoolBytes / 2) / kPage * kPage;
    std::memcpy(data, pool.data() + start, length);
    for (size_t page = 0; page < length; page += kPage) {
        const uint64_t stamp[2] = {seed, (offset + page) / kPage};
        std::memcpy(data + page, stamp, std::min(sizeof(stamp), length - page));
    }
}

int Create(const std::string& path)
{
    fs::create_directories(fs::path(path).parent_path());
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        throw std::runtime_error("cannot create " + path);
    return fd;
}

void WriteAt(int fd, const unsigned char* data, size_t length, uint64_t offset)
{
    while (length > 0) {
        const ssize_t written = ::pwrite(fd, data, length, static_cast<off_t>(offset));
        if (written <= 0)
            throw std::runtime_error("cannot write");
        data += written;
        length -= static_cast<size_t>(written);
        offset += static_cast<uint64_t>(written);
    }
}

// A file of size bytes with the content of seed; a differing seed for the last page makes a file
// that equals another one everywhere but at its end.
void WriteFile(const std::string& path, uint64_t size, uint64_t seed, uint64_t lastPageSeed = 0)
{
    const int fd = Create(path);
    std::vector<unsigned char> chunk(4 * kMiB);
    for (uint64_t offset = 0; offset < size; offset += chunk.size()) {
        const size_t length = static_cast<size_t>(std::min<uint64_t>(chunk.size(), size - offset));
        Fill(chunk.data(), length, seed, offset);
        if (lastPageSeed && offset + length == size) {
            const size_t tail = std::min<size_t>(kPage, length);
            Fill(chunk.data() + length - tail, tail, lastPageSeed, offset + length - tail);
        }
        WriteAt(fd, chunk.data(), length, offset);
    }
    ::close(fd);
}

// A file of apparentSize bytes that holds data of seed only in one stretch; the rest is a hole.
void WriteSparse(const std::string& path, uint64_t apparentSize, uint64_t dataOffset, uint64_t dataSize, uint64_t seed)
{
    const int fd = Create(path);
    if (::ftruncate(fd, static_cast<off_t>(apparentSize)) != 0)
        throw std::runtime_error("cannot size " + path);
    std::vector<unsigned char> data(dataSize);
    Fill(data.data(), data.size(), seed, 0);
    WriteAt(fd, data.data(), data.size(), dataOffset);
    ::close(fd);
}

std::string Numbered(const std::string& folder, const char* prefix, size_t i, const char* suffix)
{
    return folder + "/" + prefix + std::to_string(i) + suffix;
}

void ManySmallFiles(const std::string& folder)
{
    std::mt19937_64 random(1);
    constexpr size_t kFolders = 500;
    constexpr size_t kPerFolder = 200;
    std::vector<std::pair<uint64_t, uint64_t>> made;  // size and seed of each file so far
    for (size_t i = 0; i < kFolders * kPerFolder; ++i) {
        const std::string path = Numbered(folder + "/d" + std::to_string(i / kPerFolder), "f", i, ".dat");
        // One file in twenty copies an earlier one.
        if (!made.empty() && random() % 20 == 0) {
            const auto& original = made[random() % made.size()];
            WriteFile(path, original.first, original.second);
            continue;
        }
        const uint64_t size = 1 + random() % (16 * kKiB);
        WriteFile(path, size, i + 1);
        made.emplace_back(size, i + 1);
    }
}

void LargeFiles(const std::string& folder)
{
    std::mt19937_64 random(2);
    for (size_t i = 0; i < 8; ++i)
        WriteFile(Numbered(folder, "movie", i, ".mkv"), 64 * kMiB + random() % (448 * kMiB), 100 + i);
    for (size_t pair = 0; pair < 2; ++pair)
        for (size_t copy = 0; copy < 2; ++copy)
            WriteFile(folder + "/backup" + std::to_string(pair) + "/disk" + std::to_string(copy) + ".img",
                      (256 + 128 * pair) * kMiB, 200 + pair);
    WriteFile(folder + "/build/a.iso", 320 * kMiB, 300);
    WriteFile(folder + "/build/b.iso", 320 * kMiB, 300, 301);
}

void EqualSizeDifferentContent(const std::string& folder)
{
    for (size_t i = 0; i < 2048; ++i)
        WriteFile(Numbered(folder + "/set" + std::to_string(i % 32), "part", i, ".bin"), 512 * kKiB, 400 + i);
}

void EqualSizeDifferentEnds(const std::string& folder)
{
    for (size_t i = 0; i < 2048; ++i)
        WriteFile(Numbered(folder + "/set" + std::to_string(i % 32), "log", i, ".bin"), 512 * kKiB, 700, 701 + i);
}

void TrueDuplicates(const std::string& folder)
{
    for (size_t group = 0; group < 64; ++group)
        for (size_t copy = 0; copy < 3; ++copy)
            WriteFile(folder + "/copy" + std::to_string(copy) + "/photo" + std::to_string(group) + ".raw",
                      2 * kMiB + group * 64 * kKiB, 500 + group);
}

void SparseFiles(const std::string& folder)
{
    // Pairs of equal apparent size: the first two pairs equal, the other two differing only in
    // where their data lies.
    for (size_t pair = 0; pair < 4; ++pair)
        for (size_t member = 0; member < 2; ++member) {
            const uint64_t offset = pair < 2 ? 300 * kMiB : (300 + 100 * member) * kMiB;
            WriteSparse(Numbered(folder, "vm", pair * 2 + member, ".vhd"), kGiB + pair * kMiB, offset, kMiB,
                        600 + pair);
        }
}

} // namespace

std::vector<TreeShape> TreeShapes()
{
    return {
        {"many small files", "100000 files of 1 B to 16 KiB in 500 folders, one in twenty a copy", ManySmallFiles},
        {"large files", "8 files of 64-512 MiB, 2 pairs of equal copies, 1 pair differing at the end", LargeFiles},
        {"equal size, different content", "2048 files of 512 KiB, each different from its first page",
         EqualSizeDifferentContent},
        {"equal size, different ends", "2048 files of 512 KiB alike but for their last page", EqualSizeDifferentEnds},
        {"true duplicates", "64 groups of 3 equal files of 2-6 MiB", TrueDuplicates},
        {"sparse files", "8 files of 1 GiB holding 1 MiB of data each, 4 pairs of equal size", SparseFiles},
    };
}

TreeSize MeasureTree(const std::string& folder)
{
    TreeSize size;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file()) {
            ++size.files;
            size.apparentBytes += entry.file_size();
        }
    return size;
}
