#include "VolumeReport.h"

#include "FileWalk.h"

#include "platform/Windows.h"

namespace chkdsk {

namespace {

constexpr uint64_t ALLOCATION_UNIT = 4096;

// A figure right-aligned the way chkdsk lines up its columns.
std::string Column(uint64_t value)
{
    std::string text = std::to_string(value);
    return text.size() < 12 ? std::string(12 - text.size(), ' ') + text : text;
}

uint64_t Kilobytes(uint64_t bytes) { return (bytes + 1023) / 1024; }

// The space a file takes: whole allocation units.
uint64_t Allocated(uint64_t bytes) { return (bytes + ALLOCATION_UNIT - 1) / ALLOCATION_UNIT * ALLOCATION_UNIT; }

} // namespace

VolumeFigures ExamineVolume(wchar_t letter)
{
    VolumeFigures figures;
    const std::wstring root = {letter, L':', L'\\'};
    standin::WalkFolder(root, L"*", true, [&figures](const std::wstring&, const WIN32_FIND_DATAW& entry) {
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            ++figures.folders;
        } else {
            ++figures.files;
            figures.fileBytes += Allocated((uint64_t{entry.nFileSizeHigh} << 32) | entry.nFileSizeLow);
        }
    });
    ULARGE_INTEGER total {}, free {};
    if (GetDiskFreeSpaceExW(root.c_str(), nullptr, &total, &free)) {
        figures.totalBytes = total.QuadPart;
        figures.freeBytes = free.QuadPart;
    }
    return figures;
}

std::string Stages(const VolumeFigures& figures, bool badClusters)
{
    const uint64_t records = figures.files + figures.folders;
    std::string text = "\r\nStage 1: Examining basic file system structure ...\r\n" + Column(records) +
                       " file records processed.\r\nFile verification completed.\r\n"
                       "\r\nStage 2: Examining file name linkage ...\r\n" +
                       Column(records) + " index entries processed.\r\nIndex verification completed.\r\n"
                       "\r\nStage 3: Examining security descriptors ...\r\n"
                       "Security descriptor verification completed.\r\n";
    if (badClusters)
        text += "\r\nStage 4: Looking for bad clusters in user file data ...\r\n" + Column(figures.files) +
                " files processed.\r\nFile data verification completed.\r\n"
                "\r\nStage 5: Looking for bad, free clusters ...\r\nFree space verification is complete.\r\n";
    return text;
}

std::string Summary(const VolumeFigures& figures)
{
    const uint64_t folderBytes = figures.folders * ALLOCATION_UNIT;
    return "\r\n" + Column(Kilobytes(figures.totalBytes)) + " KB total disk space.\r\n" +
           Column(Kilobytes(figures.fileBytes)) + " KB in " + std::to_string(figures.files) + " files.\r\n" +
           Column(Kilobytes(folderBytes)) + " KB in " + std::to_string(figures.folders) + " indexes.\r\n" +
           Column(figures.freeBytes / 1024) + " KB available on disk.\r\n\r\n" + Column(ALLOCATION_UNIT) +
           " bytes in each allocation unit.\r\n" + Column(figures.totalBytes / ALLOCATION_UNIT) +
           " total allocation units on disk.\r\n" + Column(figures.freeBytes / ALLOCATION_UNIT) +
           " allocation units available on disk.\r\n";
}

} // namespace chkdsk
