// The ground of frameless windows with rounded corners or a shadow margin. Where the desktop
// composites its windows the ground is translucent, and what lies behind shows at the corners and
// through the shadow; where it does not, translucent pixels show black, so the window is drawn
// without its shadow margin on a ground in the colour of what lies behind it.
#pragma once

#include "platform/Windows.h"

#include <QColor>
#include <QPalette>
#include <QWidget>

inline bool DesktopComposites()
{
    BOOL composited = FALSE;
    return DwmIsCompositionEnabled(&composited) == S_OK && composited;
}

// A window decides once, when it is built: the width of its shadow margin where the shadow shows,
// else none.
inline int ShadowMargin(int width)
{
    return DesktopComposites() ? width : 0;
}

// Translucent where the desktop composites, else filled with `behind`: the colour of what the
// window opens over, the panels of the program's windows unless said otherwise.
inline void SetWindowGround(QWidget* window, const QColor& behind = QColor(0x20, 0x24, 0x2f))
{
    if (DesktopComposites()) {
        window->setAttribute(Qt::WA_TranslucentBackground);
        return;
    }
    QPalette palette = window->palette();
    palette.setColor(QPalette::Window, behind);
    window->setPalette(palette);
    window->setAutoFillBackground(true);
}
