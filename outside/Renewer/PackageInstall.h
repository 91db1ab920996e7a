// Installing a downloaded update while the main program may be running.
//
// Only the package of the program folder's download folder is installed, and only with the digest
// recorded at its download (PackageFolder.h). It is first unpacked whole, with the Update library's
// extractor, into a staging folder of the program folder, so that a damaged or hostile package is
// refused before anything changes. The staging folder is made anew and held by its handle, and
// everything is unpacked and placed relative to folders held by handle, never through a link:
// whatever takes a name on the way meanwhile, the files go only from the folder made to the
// program folder held. The files are then placed under the install's journal (PackagePlacement.h);
// when one cannot be placed, the journal's placings are undone. The start-up block of the
// installed "kyphtupdate.ini" is set while this works (StartupBlock.h), so that a main program
// started meanwhile cannot finish half an update.
//
// A kill leaves the block set and the journal in the staging folder. The next install and the next
// launch find the block's owner gone and, before anything else, undo the placings the journal
// lists, remove the staging folder and take the block off, and say so in Renewer's log. Where that
// undoing fails, the block stays, so that the main program never runs half an update.
#pragma once

#include "InstallSteps.h"

#include <string>

// Installs the downloaded package into the program folder (a Windows path with its trailing
// backslash); once it is installed and the block is off again, the package is removed. Empty on
// success, otherwise why nothing changed.
std::string InstallUpdatePackage(const std::wstring& programFolder);

// What a launch does first: where an install was cut short, it is undone and its block taken off.
void RecoverInterruptedInstall(const std::wstring& programFolder);
