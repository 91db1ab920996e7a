// Finishing an update that the updater staged in the program folder: each new file stands beside
// the old one with ".TMP" appended. Every "X.TMP" whose "X" exists replaces it, the old file
// passing through "X.old"; leftover ".old" files of an earlier run are deleted first. The program
// file is never lost: the backup is deleted only once the new file is in place, and when the new
// file cannot be moved in, the backup goes back to its name. A staged file without an existing
// target, and a file named just ".TMP", stay as they are; junctions are neither deleted nor
// followed.
#pragma once

#include <string>

void FinishStagedUpdate(const std::wstring& programFolder);
