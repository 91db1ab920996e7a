// The window manager's side of Windows: the display mode, and the messages a window receives in
// its native event handling (Qt hands them over with the event type "windows_generic_MSG").
#pragma once

#include "platform/win/Types.h"

#pragma GCC visibility push(default)

typedef UINT_PTR WPARAM;
typedef LONG_PTR LPARAM;
typedef LONG_PTR LRESULT;

typedef struct tagPOINT {
    LONG x;
    LONG y;
} POINT, *LPPOINT;

typedef struct tagRECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
} RECT, *PRECT, *LPRECT;

typedef struct tagMSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
} MSG, *LPMSG;

#define WM_PAINT 0x000Fu
#define WM_QUERYENDSESSION 0x0011u
#define WM_ENDSESSION 0x0016u
#define WM_COPYDATA 0x004Au
#define WM_DEVICECHANGE 0x0219u

// lParam of WM_COPYDATA: cbData bytes at lpData, valid while the receiver handles the message.
typedef struct tagCOPYDATASTRUCT {
    ULONG_PTR dwData;
    DWORD cbData;
    PVOID lpData;
} COPYDATASTRUCT, *PCOPYDATASTRUCT;

// ---- Windows of the machine
//
// A top-level window that has been shown is known to every process of the machine by its title
// (until it is destroyed, also while hidden), as the window's native event handling hears what
// other processes send it. A window of another process has a handle of its own here, never the
// handle that process's Qt gives it. Window classes are not kept: a class name finds no window.

// The first window with this title (case ignored), this process's own before others'; null when
// none has it. A window counts only while its process itself listens at its message port (for an
// elevated caller, a process of root's or the caller's own), whatever run/ says of it; the same
// holds for the calls below.
HWND FindWindowW(LPCWSTR className, LPCWSTR windowName);
// The id of the window's process, and of the thread that handles its messages; 0 with
// ERROR_INVALID_WINDOW_HANDLE for a handle that names no window.
DWORD GetWindowThreadProcessId(HWND window, LPDWORD processId);
BOOL IsWindowVisible(HWND window);
// Hands the message to the window's native event handling and returns its answer. Another
// process's window hears WM_COPYDATA (with a copy of the data, up to 16 MiB) and WM_PAINT; other
// messages reach only this process's windows (ERROR_INVALID_PARAMETER). 0 with
// ERROR_INVALID_WINDOW_HANDLE for a window that is gone, ERROR_ACCESS_DENIED for a window of a
// process with more rights (root's, to another user's sender), which hears nothing of it, and
// ERROR_TIMEOUT when the whole exchange with the other process takes more than 20 s.
LRESULT SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// The same without waiting: the message (its data copied now) is handled from the window's
// event loop. FALSE with the errors of SendMessageW.
BOOL PostMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// ---- Display mode

#define ENUM_CURRENT_SETTINGS (static_cast<DWORD>(-1))
#define ENUM_REGISTRY_SETTINGS (static_cast<DWORD>(-2))

#define DM_BITSPERPEL 0x00040000u
#define DM_PELSWIDTH 0x00080000u
#define DM_PELSHEIGHT 0x00100000u
#define DM_DISPLAYFREQUENCY 0x00400000u

#define CCHDEVICENAME 32
#define CCHFORMNAME 32

// A display's mode, in the field order of Windows' record; only the display fields are used.
typedef struct _devicemodeW {
    WCHAR dmDeviceName[CCHDEVICENAME];
    WORD dmSpecVersion;
    WORD dmDriverVersion;
    WORD dmSize;
    WORD dmDriverExtra;
    DWORD dmFields;
    POINT dmPosition;
    DWORD dmDisplayOrientation;
    DWORD dmDisplayFixedOutput;
    SHORT dmColor;
    SHORT dmDuplex;
    SHORT dmYResolution;
    SHORT dmTTOption;
    SHORT dmCollate;
    WCHAR dmFormName[CCHFORMNAME];
    WORD dmLogPixels;
    DWORD dmBitsPerPel;
    DWORD dmPelsWidth;
    DWORD dmPelsHeight;
    DWORD dmDisplayFlags;
    DWORD dmDisplayFrequency;
    DWORD dmICMMethod;
    DWORD dmICMIntent;
    DWORD dmMediaType;
    DWORD dmDitherType;
    DWORD dmReserved1;
    DWORD dmReserved2;
    DWORD dmPanningWidth;
    DWORD dmPanningHeight;
} DEVMODEW, *PDEVMODEW, *LPDEVMODEW;

// The machine has one display, whose mode machine.ini gives ([Machine] ScreenHeight, and
// ScreenWidth, which defaults to the width of a 16:9 screen of that height). A null device name
// is that display; mode ENUM_CURRENT_SETTINGS, ENUM_REGISTRY_SETTINGS or 0 is its only mode, and
// a higher mode number ends the list with FALSE. dmSize is the caller's and stays as it is.
BOOL EnumDisplaySettingsW(LPCWSTR deviceName, DWORD modeNum, DEVMODEW* devMode);

#pragma GCC visibility pop
