// What every stand-in console program shares: its arguments by Windows' rules, output as a Windows
// console program writes it (lines ended by "\r\n", flushed at once so that a reader sees each
// line as it comes), yes/no questions answered on the standard input, and full 32-bit exit codes.
#pragma once

#include "platform/Windows.h"

#include <string>
#include <vector>

namespace standin {

// The arguments after the program name.
std::vector<std::wstring> Arguments();

void Print(const std::string& text);
void Print(const std::wstring& text);

// Prints the question as it stands (a prompt ends without a line break) and reads one answer line;
// yes when it starts with "Y" or "y". An ended input answers no.
bool AskYesNo(const std::string& question);

[[noreturn]] void Exit(DWORD code);

} // namespace standin
