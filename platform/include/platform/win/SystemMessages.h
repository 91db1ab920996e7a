// The system's message texts for Windows error numbers, in English (the machine's only language),
// each ended by "\r\n" as Windows ends them.
#pragma once

#include "platform/win/Types.h"

#include <cstdarg>

#pragma GCC visibility push(default)

#define FORMAT_MESSAGE_ALLOCATE_BUFFER 0x00000100u
#define FORMAT_MESSAGE_IGNORE_INSERTS 0x00000200u
#define FORMAT_MESSAGE_FROM_STRING 0x00000400u
#define FORMAT_MESSAGE_FROM_HMODULE 0x00000800u
#define FORMAT_MESSAGE_FROM_SYSTEM 0x00001000u
#define FORMAT_MESSAGE_ARGUMENT_ARRAY 0x00002000u

#define LANG_NEUTRAL 0x00
#define LANG_ENGLISH 0x09
#define SUBLANG_DEFAULT 0x01
#define SUBLANG_SYS_DEFAULT 0x02
#define MAKELANGID(primary, sub) ((static_cast<WORD>(sub) << 10) | static_cast<WORD>(primary))

#ifndef ERROR_MR_MID_NOT_FOUND
#define ERROR_MR_MID_NOT_FOUND 317L
#endif
#ifndef ERROR_RESOURCE_LANG_NOT_FOUND
#define ERROR_RESOURCE_LANG_NOT_FOUND 1815L
#endif

// Only FORMAT_MESSAGE_FROM_SYSTEM is known (others: ERROR_INVALID_PARAMETER). Language 0, the
// user's or the system's default, or English; others fail with ERROR_RESOURCE_LANG_NOT_FOUND. A
// number without a text fails with ERROR_MR_MID_NOT_FOUND. With FORMAT_MESSAGE_ALLOCATE_BUFFER,
// buffer is in fact an LPWSTR* that receives a text to free with LocalFree, and size is the least
// number of characters to allocate. Returns the characters stored, without the terminator.
DWORD FormatMessageW(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, LPWSTR buffer, DWORD size,
                     va_list* arguments);

// Frees what FormatMessageW allocated; returns null.
HLOCAL LocalFree(HLOCAL memory);

#pragma GCC visibility pop
