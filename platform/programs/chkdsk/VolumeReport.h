// What the stand-in chkdsk prints of a volume it has examined: its stages and the closing figures.
#pragma once

#include <cstdint>
#include <string>

namespace chkdsk {

struct VolumeFigures {
    uint64_t files = 0;
    uint64_t folders = 0;
    uint64_t fileBytes = 0;     // in whole allocation units
    uint64_t totalBytes = 0;
    uint64_t freeBytes = 0;
};

// Counts the files and folders of the drive and reads its sizes.
VolumeFigures ExamineVolume(wchar_t letter);

// The stages of the check (with the bad-cluster stages when asked) up to the verdict.
std::string Stages(const VolumeFigures& figures, bool badClusters);

// The closing figures: disk space, files, indexes and allocation units.
std::string Summary(const VolumeFigures& figures);

} // namespace chkdsk
