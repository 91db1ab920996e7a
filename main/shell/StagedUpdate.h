// Finishing an update that the updater staged in the program folder: each new file stands beside
// the old one with ".TMP" appended. Every "X.TMP" whose "X" exists takes its place in one rename,
// so that a kill at any instant leaves "X" old or new, never missing. What an earlier way of
// updating left when killed half-way, "X.old" without "X", is mended first: the staged file, or
// else the backup, takes the name again. A ".old" file is deleted only where its "X" exists. A
// staged file without an existing target, and a file named just ".TMP", stay as they are;
// junctions are neither deleted nor followed.
#pragma once

#include <string>

void FinishStagedUpdate(const std::wstring& programFolder);
