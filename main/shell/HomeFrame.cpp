#include "HomeFrame.h"

#include <QPointer>
#include <QWidget>

namespace {

QPointer<QWidget> g_homeFrame;

} // namespace

QWidget* GetHomeFrame()
{
    return g_homeFrame;
}

void SetHomeFrame(QWidget* frame)
{
    g_homeFrame = frame;
}
