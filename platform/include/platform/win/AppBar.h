// Application desktop toolbars: a window registered with ABM_NEW hears, through its callback
// message, when a full-screen application opens or closes (wParam ABN_FULLSCREENAPP, lParam 1 or
// 0). The desktop tells of full-screen windows where it can (see platform/Desktop.h); the bars
// take no screen space here, so the messages that place them are not answered.
#pragma once

#include "platform/win/Types.h"
#include "platform/win/WindowManager.h"

#pragma GCC visibility push(default)

#define ABM_NEW 0x00000000u
#define ABM_REMOVE 0x00000001u

// wParam of an application bar's callback message: a full-screen application opened (lParam 1) or
// closed (lParam 0).
#define ABN_FULLSCREENAPP 0x0000002u

typedef struct _AppBarData {
    DWORD cbSize;
    HWND hWnd;
    UINT uCallbackMessage;
    UINT uEdge;
    RECT rc;
    LPARAM lParam;
} APPBARDATA, *PAPPBARDATA;

// ABM_NEW registers hWnd with its callback message: TRUE, or FALSE when hWnd is null or already
// registered. ABM_REMOVE ends the registration and always answers TRUE. Every other message, a
// null record and a cbSize short of the record answer FALSE. A bar's registration also ends when
// its window is destroyed. The callback messages come on the GUI thread.
UINT_PTR SHAppBarMessage(DWORD message, PAPPBARDATA data);

#pragma GCC visibility pop
