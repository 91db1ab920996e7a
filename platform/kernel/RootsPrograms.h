// What an elevated process starts: programs of root's alone. The machine's folders belong to its
// user, who could put a program of their own where a Windows program is looked for; so root runs
// the stand-in Windows programs from system32/ beside the layer's own library (the program folder's
// own), and any program only once it and every folder above it are root's and writable by no one
// else, started by the descriptor that was checked.
#pragma once

#include <string>

namespace platform {

// Whether this process starts only root's programs: it runs as root.
bool StartsOnlyRootsPrograms();

// The host path of a stand-in Windows program (named with or without ".exe", in any case) in
// system32/ beside the layer's library; "" when there is none.
std::string RootsSystemProgram(const std::wstring& name);

// The Windows path a stand-in that RootsSystemProgram gave has in the machine's process list (as if
// started from the machine's system folder); "" for any other host path.
std::wstring SystemProgramImage(const std::string& hostPath);

// The program, opened for reading without following a link (close-on-exec unless it is a script,
// whose interpreter reads it by the descriptor's name), once it is a plain file of root's that no
// one else may write, in a folder that only root can change (see HoldRootsFolder);
// -1 with the last error set: ERROR_FILE_NOT_FOUND when it is missing, ERROR_ACCESS_DENIED when it
// is not root's alone.
int OpenRootsProgram(const std::string& path);

} // namespace platform
