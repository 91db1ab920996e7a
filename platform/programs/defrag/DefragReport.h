// The texts the stand-in defragmenter prints, in the style of the Windows version it runs on: the
// lines that programs reading its output look for (the report line with the fragmentation
// percentage, Windows Vista's cancel text, the error codes of Windows 7 and later).
#pragma once

#include <cstdint>
#include <string>

namespace defrag {

enum class Style { BeforeVista, Vista, SevenAndLater };

Style StyleOfVersion(uint32_t major, uint32_t minor);

struct VolumeFacts {
    wchar_t letter = L'C';
    std::wstring label;
    uint64_t totalBytes = 0;
    uint64_t freeBytes = 0;
    int fragmentation = 0;
};

std::string Banner();
// The line that opens the work on the volume.
std::string StartLine(Style style, const VolumeFacts& volume, bool analyse);
// The report whose line carries the fragmentation percentage.
std::string Report(Style style, const VolumeFacts& volume, bool afterDefragmentation);
std::string Completed(Style style);
// A failure; from Windows 7 on the message ends with its code as "(0x........)".
std::string ErrorLine(Style style, const std::string& message, uint32_t code);
std::string Cancelled(Style style);

} // namespace defrag
