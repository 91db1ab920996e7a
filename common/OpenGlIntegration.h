// Qt's OpenGL integration, for programs that draw nothing with OpenGL.
#pragma once

#include <QByteArray>
#include <QtGlobal>

// Qt's X11 platform loads an OpenGL integration (the GL library, a software rasteriser and its
// compiler) when a program makes its first native window, whether or not the program draws with
// OpenGL, and that load is the largest part of a first window's time. A program that never does
// turns it off before it makes its application, unless the user chose an integration.
inline void TurnOffUnusedOpenGlIntegration()
{
    if (!qEnvironmentVariableIsSet("QT_XCB_GL_INTEGRATION"))
        qputenv("QT_XCB_GL_INTEGRATION", QByteArrayLiteral("none"));
}
