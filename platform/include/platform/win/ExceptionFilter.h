// The unhandled exception filter: the program's last word on a crash before the process ends.
//
// A crash here is a fatal signal (SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT). The layer turns it
// into an exception record and calls the filter on the faulting thread, on a stack of its own so
// that a stack overflow still reaches it. The filter runs inside the signal handler: it should do
// little beyond starting a program and waiting for it. EXCEPTION_EXECUTE_HANDLER ends the process
// with the exception code; EXCEPTION_CONTINUE_SEARCH (or a second crash while a filter runs) lets
// the signal take its default course.
#pragma once

#include "platform/win/SystemInfo.h"
#include "platform/win/Types.h"

#pragma GCC visibility push(default)

#define EXCEPTION_EXECUTE_HANDLER 1
#define EXCEPTION_CONTINUE_SEARCH 0

#define EXCEPTION_NONCONTINUABLE 0x1u
#define EXCEPTION_MAXIMUM_PARAMETERS 15

#define EXCEPTION_ACCESS_VIOLATION 0xC0000005u
#define EXCEPTION_IN_PAGE_ERROR 0xC0000006u
#define EXCEPTION_ILLEGAL_INSTRUCTION 0xC000001Du
#define EXCEPTION_FLT_INVALID_OPERATION 0xC0000090u
#define EXCEPTION_INT_DIVIDE_BY_ZERO 0xC0000094u
#define EXCEPTION_INT_OVERFLOW 0xC0000095u
#define STATUS_FATAL_APP_EXIT 0x40000015u

typedef struct _EXCEPTION_RECORD {
    DWORD ExceptionCode;
    DWORD ExceptionFlags;
    struct _EXCEPTION_RECORD* ExceptionRecord;
    PVOID ExceptionAddress;          // the faulting instruction
    DWORD NumberParameters;
    // Access violations: [0] 1 for a write, 0 for a read; [1] the address that was touched.
    ULONG_PTR ExceptionInformation[EXCEPTION_MAXIMUM_PARAMETERS];
} EXCEPTION_RECORD, *PEXCEPTION_RECORD;

// The processor state at the fault: the host's signal context, opaque to Windows code.
typedef struct _CONTEXT CONTEXT, *PCONTEXT;

typedef struct _EXCEPTION_POINTERS {
    PEXCEPTION_RECORD ExceptionRecord;
    PCONTEXT ContextRecord;
} EXCEPTION_POINTERS, *PEXCEPTION_POINTERS;

typedef LONG (*PTOP_LEVEL_EXCEPTION_FILTER)(EXCEPTION_POINTERS* exceptionInfo);
typedef PTOP_LEVEL_EXCEPTION_FILTER LPTOP_LEVEL_EXCEPTION_FILTER;

// Installs the filter for the whole process (null removes it) and returns the previous one.
LPTOP_LEVEL_EXCEPTION_FILTER SetUnhandledExceptionFilter(LPTOP_LEVEL_EXCEPTION_FILTER filter);

#pragma GCC visibility pop
