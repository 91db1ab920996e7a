#include "WaitButtonEx.h"

CWaitButtonEx::CWaitButtonEx(const QString& text, QWidget* parent) : CWaitButtonBase(text, parent, false)
{
}

void CWaitButtonEx::mouseReleaseEvent(QMouseEvent*)
{
    setEnabled(false);
    emit sigPressed();
}

void CWaitButtonEx::slotStartThread(bool start)
{
    if (!start) {
        setEnabled(true);
        return;
    }
    RunTask();
}
