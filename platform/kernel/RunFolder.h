// Files of the machine's run/ folder, where the named kernel objects of all processes of the
// machine meet.
#pragma once

#include <cstddef>
#include <string>

namespace platform {

// The run/ folder of the machine this process uses now.
std::string RunFolder();

// A folder of run/ (made when missing, given to run/'s owner like OpenRunFile's files); "" when
// it cannot be made.
std::string RunSubfolder(const std::string& name);

// Opens (creating when missing) a file of run/ for reading and writing, close-on-exec; -1 with
// the last error set on failure. An elevated process gives the files it makes to the folder's
// owner, so that the user's own processes can open them too.
int OpenRunFile(const std::string& path);

// Whether the open file is still the one at path: the last user of a file of run/ removes it,
// and a new one may take its name.
bool IsFileAt(int fd, const std::string& path);

// Maps size bytes of the file shared, growing the file when shorter; null with the last error set
// on failure. Unmap only what no thread of this process owns a robust mutex in.
void* MapRunFile(int fd, size_t size);

} // namespace platform
