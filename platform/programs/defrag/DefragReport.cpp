#include "DefragReport.h"

#include "platform/Text.h"

#include <cstdio>

namespace defrag {

namespace {

constexpr uint64_t GIGABYTE = 1024ull * 1024 * 1024;

template <class... Values>
std::string Format(const char* format, Values... values)
{
    char line[512];
    std::snprintf(line, sizeof line, format, values...);
    return line;
}

std::string Gigabytes(uint64_t bytes) { return Format("%llu GB", static_cast<unsigned long long>(bytes / GIGABYTE)); }

int FreePercent(const VolumeFacts& volume)
{
    return volume.totalBytes ? static_cast<int>(volume.freeBytes * 100 / volume.totalBytes) : 0;
}

std::string VolumeTitle(const VolumeFacts& volume)
{
    return Format("%s (%c:)", platform::ToUtf8(volume.label).c_str(), static_cast<char>(volume.letter));
}

} // namespace

Style StyleOfVersion(uint32_t major, uint32_t minor)
{
    if (major < 6)
        return Style::BeforeVista;
    return major == 6 && minor == 0 ? Style::Vista : Style::SevenAndLater;
}

std::string Banner() { return "Windows Disk Defragmenter\r\n\r\n"; }

std::string StartLine(Style style, const VolumeFacts& volume, bool analyse)
{
    const char* work = analyse ? "analysis" : "defragmentation";
    if (style == Style::SevenAndLater)
        return Format("Invoking %s on %s...\r\n\r\n", work, VolumeTitle(volume).c_str());
    return Format("Starting %s of volume %c:\r\n\r\n", work, static_cast<char>(volume.letter));
}

std::string Report(Style style, const VolumeFacts& volume, bool afterDefragmentation)
{
    const std::string total = Gigabytes(volume.totalBytes);
    const std::string free = Gigabytes(volume.freeBytes);
    switch (style) {
    case Style::BeforeVista:
        return Format("%s\r\n    %s Total, %s (%d%%) Free, %d%% Fragmented (%d%% file fragmentation)\r\n\r\n",
                      afterDefragmentation ? "Defragmentation Report" : "Analysis Report", total.c_str(),
                      free.c_str(), FreePercent(volume), volume.fragmentation, volume.fragmentation);
    case Style::Vista:
        return Format("%s for volume %c: %s\r\n"
                      "    Volume size                = %s\r\n"
                      "    Free space                 = %s\r\n"
                      "    Percent file fragmentation = %d %%\r\n\r\n",
                      afterDefragmentation ? "Defragmentation report" : "Analysis report",
                      static_cast<char>(volume.letter), platform::ToUtf8(volume.label).c_str(), total.c_str(),
                      free.c_str(), volume.fragmentation);
    case Style::SevenAndLater:
        break;
    }
    return Format("%s:\r\n\r\n"
                  "    Volume Information:\r\n"
                  "        Volume size                 = %s\r\n"
                  "        Free space                  = %s\r\n"
                  "        Total fragmented space      = %d%%\r\n\r\n",
                  afterDefragmentation ? "Post Defragmentation Report" : "Post Analysis Report", total.c_str(),
                  free.c_str(), volume.fragmentation);
}

std::string Completed(Style style)
{
    return style == Style::SevenAndLater ? "The operation completed successfully.\r\n\r\n" : "";
}

std::string ErrorLine(Style style, const std::string& message, uint32_t code)
{
    if (style == Style::SevenAndLater)
        return Format("%s (0x%08X)\r\n", message.c_str(), code);
    return message + "\r\n";
}

std::string Cancelled(Style style)
{
    return style == Style::Vista ? "Defragmentation was cancelled by the user.\r\n"
                                 : "The operation was cancelled.\r\n";
}

} // namespace defrag
