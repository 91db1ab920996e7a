#include "ShutDownFilter.h"

#include "HomeFrame.h"

#include "platform/Windows.h"

#include <QByteArray>
#include <QMetaObject>
#include <QWidget>

bool CShutDownFilter::nativeEventFilter(const QByteArray& eventType, void* message, long* result)
{
    if (eventType != "windows_generic_MSG" || !message)
        return false;
    const UINT id = static_cast<const MSG*>(message)->message;
    if (id != WM_QUERYENDSESSION && id != WM_ENDSESSION)
        return false;
    if (QWidget* frame = GetHomeFrame())
        QMetaObject::invokeMethod(frame, "OnSessionEnd", Qt::DirectConnection);
    if (id == WM_QUERYENDSESSION && result)
        *result = TRUE;
    return true;
}
