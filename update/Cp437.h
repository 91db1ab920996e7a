// Code page 437, the original IBM PC character set, which the ZIP format names for entry names
// written without the UTF-8 flag.
#pragma once

#include <string>

// Each byte as one character: 0x00-0x7F as ASCII, 0x80-0xFF as the printable characters the
// code page shows for them.
std::wstring Cp437ToWide(const std::string& bytes);
