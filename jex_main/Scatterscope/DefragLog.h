// The plug-in's own log, "Defrag.log" in the host program's folder: UTF-16LE without a byte-order
// mark, made afresh by the first message of the process and kept open until the process ends.
#pragma once

#include "common/OpResult.h"

#include <string>

// One message, written whole; a message ending in a line feed gets a carriage return before it.
// Dropped when the log cannot be opened (the next message tries again).
void DefragLog(std::wstring message);

// "<source file> <line> nRet=0x<result>", with the defragmenter's output appended when given.
void LogStepFailure(const char* sourceFile, int line, OpResult result);
void LogStepFailure(const char* sourceFile, int line, OpResult result, const std::string& output);

#define DEFRAG_LOG_FAILURE(...) LogStepFailure(__FILE__, __LINE__, __VA_ARGS__)
