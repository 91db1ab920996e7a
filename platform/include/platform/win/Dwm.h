// The desktop window manager: whether the desktop composites its windows, so that a window's
// translucent pixels show what lies behind it. Where it does not, they show black.
#pragma once

#include "platform/win/Types.h"

// S_OK with *enabled TRUE or FALSE; E_INVALIDARG for a null pointer. Under X11 the answer is
// whether a compositing manager runs on the program's screen (it owns the screen's _NET_WM_CM_Sn
// selection), asked anew at each call; other platforms compose the windows they show themselves,
// and the answer is TRUE there, unless the desktop's word was announced (see platform/Desktop.h).
HRESULT DwmIsCompositionEnabled(BOOL* enabled);
