// Installing a downloaded update while the main program may be running.
//
// The package is first unpacked whole, with the Update library's extractor, into a staging folder
// of the program folder, so that a damaged or hostile package is refused before anything changes.
// The staging folder is made anew and held by its handle, and everything is unpacked and placed
// relative to folders held by handle, never through a link: whatever takes a name on the way
// meanwhile, the files go only from the folder made to the program folder held.
// Then each file goes to its place:
// - a file of the program folder itself that exists already is staged beside it as "<name>.TMP",
//   which the main program moves in at its next start: the files of a running program are never
//   overwritten;
// - a new file, and a file of a sub-folder (pictures and texts, read when they are needed), takes
//   its name at once, the file it replaces kept aside until the install succeeded.
// When a file cannot be placed, every file placed so far goes back. The start-up block of the
// installed "kyphtupdate.ini" is set while this works, so that a main program started meanwhile
// cannot finish half an update.
#pragma once

#include <functional>
#include <string>

// Installs the package (a Windows path) into the program folder (a Windows path with its trailing
// backslash); once it is installed and the block is off again, the package is removed. Empty on
// success, otherwise why nothing changed.
std::string InstallUpdatePackage(const std::wstring& package, const std::wstring& programFolder);

// Test seam: where an install stands, between the removal of an earlier staging folder and the
// making of its own, and once its own is made and held, before the package is unpacked into it.
enum class InstallStep { StagingRemoved, StagingMade };
void SetInstallStepHook(std::function<void(InstallStep)> hook);
