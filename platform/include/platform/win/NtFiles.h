// The native open of a name relative to an open folder, which the Win32 calls lack: a caller that
// verified a folder by its handle reaches the folder's entries without a second path lookup.
#pragma once

#include "platform/win/Security.h"
#include "platform/win/Types.h"

#pragma GCC visibility push(default)

typedef LONG NTSTATUS;
#define NT_SUCCESS(status) (static_cast<NTSTATUS>(status) >= 0)

#define STATUS_SUCCESS static_cast<NTSTATUS>(0x00000000L)
#define STATUS_INVALID_HANDLE static_cast<NTSTATUS>(0xC0000008L)
#define STATUS_INVALID_PARAMETER static_cast<NTSTATUS>(0xC000000DL)
#define STATUS_ACCESS_DENIED static_cast<NTSTATUS>(0xC0000022L)
#define STATUS_OBJECT_NAME_INVALID static_cast<NTSTATUS>(0xC0000033L)
#define STATUS_OBJECT_NAME_NOT_FOUND static_cast<NTSTATUS>(0xC0000034L)
#define STATUS_OBJECT_NAME_COLLISION static_cast<NTSTATUS>(0xC0000035L)
#define STATUS_OBJECT_PATH_NOT_FOUND static_cast<NTSTATUS>(0xC000003AL)
#define STATUS_SHARING_VIOLATION static_cast<NTSTATUS>(0xC0000043L)
#define STATUS_MEDIA_WRITE_PROTECTED static_cast<NTSTATUS>(0xC00000A2L)
#define STATUS_FILE_IS_A_DIRECTORY static_cast<NTSTATUS>(0xC00000BAL)
#define STATUS_NOT_A_DIRECTORY static_cast<NTSTATUS>(0xC0000103L)
#define STATUS_UNSUCCESSFUL static_cast<NTSTATUS>(0xC0000001L)

// OpenOptions.
#define FILE_DIRECTORY_FILE 0x00000001u
#define FILE_SYNCHRONOUS_IO_NONALERT 0x00000020u
#define FILE_NON_DIRECTORY_FILE 0x00000040u
#define FILE_OPEN_FOR_BACKUP_INTENT 0x00004000u
#define FILE_OPEN_REPARSE_POINT 0x00200000u

// CreateDisposition, and what IO_STATUS_BLOCK.Information tells of it.
#define FILE_OPEN 0x00000001u
#define FILE_CREATE 0x00000002u
#define FILE_OPEN_IF 0x00000003u
#define FILE_OVERWRITE_IF 0x00000005u
#define FILE_OPENED 0x00000001u
#define FILE_CREATED 0x00000002u
#define FILE_OVERWRITTEN 0x00000003u

#define OBJ_CASE_INSENSITIVE 0x00000040u

// Length and MaximumLength count bytes (of host wide characters).
typedef struct _UNICODE_STRING {
    USHORT Length;
    USHORT MaximumLength;
    WCHAR* Buffer;
} UNICODE_STRING, *PUNICODE_STRING;

typedef struct _OBJECT_ATTRIBUTES {
    ULONG Length;
    HANDLE RootDirectory;
    PUNICODE_STRING ObjectName;
    ULONG Attributes;
    PVOID SecurityDescriptor;
    PVOID SecurityQualityOfService;
} OBJECT_ATTRIBUTES, *POBJECT_ATTRIBUTES;

typedef struct _IO_STATUS_BLOCK {
    union {
        NTSTATUS Status;
        PVOID Pointer;
    };
    ULONG_PTR Information;
} IO_STATUS_BLOCK, *PIO_STATUS_BLOCK;

// Opens one name of the folder RootDirectory (a folder handle from CreateFileW or NtOpenFile); only
// a single name is taken, no path. The name is matched as it is, and ignoring case with
// OBJ_CASE_INSENSITIVE where no name of that case exists. FILE_OPEN_REPARSE_POINT opens a link
// itself; without it a link is followed while it stays inside the machine. Share modes as
// CreateFileW keeps them.
NTSTATUS NtOpenFile(PHANDLE fileHandle, ACCESS_MASK desiredAccess, POBJECT_ATTRIBUTES objectAttributes,
                    PIO_STATUS_BLOCK ioStatusBlock, ULONG shareAccess, ULONG openOptions);
// Opens or makes one name of the folder RootDirectory, the way NtOpenFile opens it, but never
// through a link: FILE_CREATE makes a new file (or, with FILE_DIRECTORY_FILE, folder) and fails with
// STATUS_OBJECT_NAME_COLLISION where the name exists, a link included; FILE_OPEN_IF opens a folder
// or makes it; FILE_OVERWRITE_IF makes a file or empties the existing one; FILE_OPEN is NtOpenFile.
// A link at the name is refused with STATUS_ACCESS_DENIED, and so is anything but a file or folder.
// FileAttributes go to a file made or emptied; AllocationSize and the EA buffer are not taken.
NTSTATUS NtCreateFile(PHANDLE fileHandle, ACCESS_MASK desiredAccess, POBJECT_ATTRIBUTES objectAttributes,
                      PIO_STATUS_BLOCK ioStatusBlock, PLARGE_INTEGER allocationSize, ULONG fileAttributes,
                      ULONG shareAccess, ULONG createDisposition, ULONG createOptions, PVOID eaBuffer, ULONG eaLength);
ULONG RtlNtStatusToDosError(NTSTATUS status);

#pragma GCC visibility pop
