// The 64-bit status of plug-in, update-library and system-library operations. 0 is success;
// otherwise the low half is (failure step << 16) | ResultKind and the high half holds the Windows
// error of the failed call, or 0.
#pragma once

#include "platform/Windows.h"

#include <cstdint>

typedef uint64_t OpResult;

enum ResultKind : uint16_t {
    RESULT_SYSTEM_CALL = 1,     // a system call failed; the high half may hold its error
    RESULT_BAD_ARGUMENT = 2,    // null pointer, wrong kind of object, or a state that forbids the call
    RESULT_NOT_INITIALISED = 6, // needs a successful Init first, or Init itself failed
    RESULT_NO_CALLBACK = 8,     // no callback set, or out of memory
    RESULT_NOT_QUEUED = 9,
    RESULT_CANCELLED = 10,
};

constexpr OpResult RESULT_OK = 0;

// The step number is unique within a deliverable to the place that failed, so a logged value
// points at one failure site.
constexpr OpResult MakeResult(uint16_t step, ResultKind kind, DWORD windowsError = 0)
{
    return (static_cast<OpResult>(windowsError) << 32) | (static_cast<OpResult>(step) << 16) | kind;
}

// A failure has a non-zero kind: its low 14 bits are not all zero.
constexpr bool IsFailure(OpResult result) { return (result & 0x3FFF) != 0; }

// Log lines print a result as the 32-bit build did: "%x,%d" fed the low half, then the high half.
constexpr DWORD ResultLow(OpResult result) { return static_cast<DWORD>(result); }
constexpr LONG ResultHigh(OpResult result) { return static_cast<LONG>(static_cast<DWORD>(result >> 32)); }
