// Where the defragmenter runs from, and its command line. From Windows 7 on the defragmenter
// prints English only with its English message file, so on a system without one the plug-in runs
// a copy of it beside the message file it carries.
#pragma once

#include "common/OpResult.h"

constexpr size_t DEFRAG_FOLDER_CHARS = 260;
constexpr size_t DEFRAG_COMMAND_CHARS = 520;

// The system folder, or on Windows 7 and later without "\en-US\defrag.exe.mui" there, a new folder
// (named by a UUID) in the temporary folder holding "defrag.exe" and "en-US\defrag.exe.mui".
OpResult PrepareDefragFolder(wchar_t* folder, size_t folderChars);

// "\"<folder>\defrag.exe\" <volume>", with " -a" for an analysis.
OpResult BuildDefragCommand(const wchar_t* volume, wchar_t* command, size_t commandChars, bool analyse);
