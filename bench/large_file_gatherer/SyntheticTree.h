// The shapes of file trees the benchmark measures, made on the host in a folder of their own.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct TreeShape {
    std::string name;
    std::string description;
    std::function<void(const std::string& folder)> make;
};

// Many small files, large files, equal-size files of different content (differing at once, and
// only at the end), true duplicates, and sparse files.
std::vector<TreeShape> TreeShapes();

// Bytes the files of a folder hold on the disk and their apparent size, and how many there are.
struct TreeSize {
    uint64_t files = 0;
    uint64_t apparentBytes = 0;
};
TreeSize MeasureTree(const std::string& folder);
