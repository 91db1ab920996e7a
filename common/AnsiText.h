// Narrow text of the system's callers is in the ANSI code page.
#pragma once

#include <string>

// The wide text of a narrow one through the ANSI code page; a null or empty text gives "".
std::wstring FromAnsi(const char* text);
