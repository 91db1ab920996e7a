// Starting the maker's helper programs that lie beside the running program.
#pragma once

#include <string>

// Starts the program without a window. Waits for it when asked and answers its exit code; 0 when
// it was not awaited, -1 when it could not be started.
int RunProcess(const std::wstring& applicationPath, const std::wstring& commandLine, bool wait);
