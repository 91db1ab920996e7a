#include "ShowThread.h"

#include "AdminCheck.h"
#include "FixFrameBase.h"
#include "ShowEvents.h"

#include "platform/Windows.h"

namespace {

constexpr DWORD kStepMs = 500;

} // namespace

CShowThread::CShowThread(CFixFrameBase* frame) : QThread(nullptr), stop_(frame->StopFlag())
{
    connect(this, &CShowThread::sigShow, frame, &CFixFrameBase::slotShowAction, Qt::QueuedConnection);
    connect(this, &CShowThread::sigQuit, frame, &CFixFrameBase::slotQuitRequest, Qt::QueuedConnection);
}

void CShowThread::run()
{
    const bool admin = IsRunAsAdmin();
    const wchar_t* name = admin ? kShowAdminEvent : kShowNotAdminEvent;
    while (!stop_->load()) {
        // No Everyone access list can be built here, so the event keeps the default security.
        HANDLE event = CreateEventW(nullptr, TRUE, FALSE, name);
        if (!event)
            return;
        DWORD wait = WAIT_TIMEOUT;
        while (!stop_->load() && (wait = WaitForSingleObject(event, kStepMs)) == WAIT_TIMEOUT) {
        }
        if (stop_->load()) {
            CloseHandle(event);
            return;
        }
        if (wait != WAIT_OBJECT_0) {
            // A failed wait is no request: try again with a new handle after a step.
            CloseHandle(event);
            QThread::msleep(kStepMs);
            continue;
        }
        ResetEvent(event);
        CloseHandle(event);
        if (admin)
            emit sigShow();
        else
            emit sigQuit();
    }
}
