// Whether an X11 screen has a compositing manager: by convention it owns the screen's selection
// _NET_WM_CM_Sn (n the screen's number) for as long as it runs.
#pragma once

struct xcb_connection_t;

namespace platform {

bool CompositingManagerRuns(xcb_connection_t* connection, int screen);

} // namespace platform
