// What the desktop tells the program's windows, beyond the Windows calls that ask for it.
#pragma once

#pragma GCC visibility push(default)

namespace platform {

// The desktop's active window became (true) or stopped being (false) full-screen: every
// application bar (SHAppBarMessage) hears ABN_FULLSCREENAPP through its callback message, once per
// change. Under X11 the layer follows the desktop's active window itself and calls this; where no
// desktop tells of full-screen windows (the offscreen platform of tests, Wayland), nothing does
// but a caller such as a test. On the GUI thread only.
void AnnounceFullScreen(bool fullScreen);

// Whether the desktop composites its windows: DwmIsCompositionEnabled answers this from now on,
// whatever the desktop says. For a caller such as a test on the offscreen platform, which cannot
// be without composition otherwise.
void AnnounceComposition(bool composited);

} // namespace platform

#pragma GCC visibility pop
