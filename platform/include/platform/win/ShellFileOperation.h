// The shell's file operation, for deleting files and folders permanently. Only deletion without
// undo is done here: other operations, and FOF_ALLOWUNDO (the recycle bin), are refused with
// ERROR_INVALID_PARAMETER so that nothing is deleted by surprise.
#pragma once

#include "platform/win/Types.h"

#pragma GCC visibility push(default)

#define FO_MOVE 0x0001u
#define FO_COPY 0x0002u
#define FO_DELETE 0x0003u
#define FO_RENAME 0x0004u

#define FOF_SILENT 0x0004u
#define FOF_NOCONFIRMATION 0x0010u
#define FOF_ALLOWUNDO 0x0040u
#define FOF_NOCONFIRMMKDIR 0x0200u
#define FOF_NOERRORUI 0x0400u

typedef WORD FILEOP_FLAGS;

typedef struct _SHFILEOPSTRUCTW {
    HWND hwnd;
    UINT wFunc;
    LPCWSTR pFrom;  // names, each ended by a zero, the list ended by a second zero; any length
    LPCWSTR pTo;
    FILEOP_FLAGS fFlags;
    BOOL fAnyOperationsAborted;
    LPVOID hNameMappings;
    LPCWSTR lpszProgressTitle;
} SHFILEOPSTRUCTW, *LPSHFILEOPSTRUCTW;

// 0 when every name was deleted (a folder with its content; a read-only file too, with
// FOF_NOCONFIRMATION); ERROR_FILE_NOT_FOUND (2) for a name that does not exist; otherwise the
// Windows error of the first deletion that failed (5 access denied, 19 write-protected, 32 in use,
// ...), the names after it left alone.
int SHFileOperationW(LPSHFILEOPSTRUCTW operation);

#pragma GCC visibility pop
