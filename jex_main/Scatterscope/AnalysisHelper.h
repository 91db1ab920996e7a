// Reading the defragmenter's output, which differs by Windows version: its error signs and the
// line that carries the fragmentation percentage.
#pragma once

#include "common/OpResult.h"

#include <string>

// Windows Vista: kind 10 for its cancel text. Windows 7 and later: a failure for a non-zero code
// after "(0x". Earlier versions: nothing to check.
OpResult CheckOutput(const std::string& output);

// The percentage of the report line: before Vista the piece of the first line with "%" that holds
// "Fragmented"; from Vista on the value after the "=" of the first line with "%" and "=".
OpResult ParseFragmentation(const std::string& output, int& percent);
