// Windows sends its messages to windows; here they reach a window where Qt's platform integration
// would hand them over on Windows: the application's native event filters first, then the
// window's own native event handling, with the event type "windows_generic_MSG" and a MSG record.
#pragma once

#include "platform/win/WindowManager.h"

#include <optional>
#include <vector>

class QWindow;

namespace platform {

// The program's window with this native handle, or null. On the GUI thread only.
QWindow* WindowOfHandle(HWND handle);

// The message's answer; none when no window of the program has this handle (then nobody hears
// it). A message that nobody handles gets Windows' default answer: TRUE to WM_QUERYENDSESSION,
// else 0. On the GUI thread only.
std::optional<LRESULT> DeliverWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The handles of the program's top-level windows that have a native window.
std::vector<HWND> TopLevelWindows();

} // namespace platform
