// Where the updater Renewer leaves a downloaded update package, for it and for the main program,
// which looks there to learn whether a download succeeded: "Draviels.zip" in a folder of the
// program folder. The program folder is root's in an installed product, so only root writes
// there: a user's Temp folder would let that user hand an elevated install a package of their own.
#pragma once

#include <string>

// The folder's name in the program folder.
extern const wchar_t kPackageFolderName[];
// The package's name in that folder.
extern const wchar_t kPackageName[];

// The package's Windows path beside the running program; empty when the program's folder is unknown.
std::wstring DownloadedPackagePath();
