// Placing an unpacked package into the program folder, each file by one rename that the install's
// journal has written down first:
// - a file of the program folder itself that exists already is staged beside it as "<name>.TMP",
//   which the main program moves in at its next start: the files of a running program are never
//   overwritten;
// - a new file, and a file of a sub-folder (pictures and texts, read when they are needed), takes
//   its name at once.
// A file that a placing replaces (the old file of a sub-folder, an earlier "<name>.TMP") is first
// copied into the staging folder's kept folder, and the rename then puts the new file in its place
// in one step: at no instant does the name lack a whole file. Undoing puts each kept copy back by
// one rename and deletes each placed file that replaced nothing, each only where its name still
// holds the very file placed, so that undoing twice, or after a kill half-way, does no harm.
#pragma once

#include "InstallJournal.h"

#include "common/HeldFolder.h"

#include <string>
#include <vector>

// Places every file below the unpacked folder and marks the journal complete. Empty on success,
// otherwise why not; what was placed is then written in the journal, for UndoPlacements.
std::string PlacePackage(const CHeldFolder& unpacked, const CHeldFolder& kept, const CHeldFolder& program,
                         CInstallJournal& journal);

// Undoes the placings, the last first. Empty on success, otherwise why one could not be undone.
std::string UndoPlacements(const std::vector<CInstallJournal::Step>& steps, const CHeldFolder& kept,
                           const CHeldFolder& program);
