// Records that the maker's stand-in programs keep in files of the machine, so that tests and users
// can see what the programs were asked to do.
#pragma once

#include <string>

// The machine's local time as "YYYY-MM-DDTHH:MM:SS.mmm".
std::string LocalTimeText();

// Appends the line and a line feed to the file at a Windows path of the machine, making its
// folders. The line lands whole in one write even when several processes append at once, on a line
// of its own even after a line that a killed writer cut; a write that falls short (a full disk) is
// taken back. Never through a link at the name, nor into a file with another name as well. False
// (with the last error set) when the file cannot be written.
bool AppendMachineLine(const std::wstring& windowsPath, const std::string& line);
