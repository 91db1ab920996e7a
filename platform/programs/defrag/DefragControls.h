// What the stand-in defragmenter finds in the machine for a volume: its fragmentation and the
// controls that tests use to make a run slow, blocked or failing.
//
// machine.ini, per drive and with defaults for all drives in [Defrag]:
//   [Drive C]
//   Fragmentation=12      percent of the volume that is fragmented (0 when unset); a
//                         defragmentation sets it to 0
//   DefragDelayMs=500     a run takes this long
//   DefragBlocked=1       a run waits, after its first lines, until this is 0 again or it is cancelled
//   DefragTrailerLines=N  N lines of trace after everything else, so the report is far from the end
//   DefragFail=exit       exit: an error and exit code 3; code: a report holding an error code
//                         "(0x........)" and exit code 0; cancel: the cancel text of Windows Vista
//                         and exit code 0; noreport: no report line; silent: no output at all
#pragma once

#include <string>

namespace defrag {

struct Controls {
    int fragmentation = 0;
    unsigned delayMs = 0;
    unsigned trailerLines = 0;
    std::wstring fail;
};

Controls ReadControls(wchar_t letter);
// Read afresh each time, so a test can release a waiting run.
bool IsBlocked(wchar_t letter);
bool StoreFragmentation(wchar_t letter, int percent);

} // namespace defrag
