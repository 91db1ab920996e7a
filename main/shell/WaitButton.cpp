#include "WaitButton.h"

CWaitButton::CWaitButton(const QString& text, QWidget* parent) : CWaitButtonBase(text, parent, true)
{
}

void CWaitButton::mouseReleaseEvent(QMouseEvent*)
{
    setEnabled(false);
    RunTask();
}
