#include "ShowThread.h"

#include "AdminCheck.h"
#include "FixFrameBase.h"
#include "ShowEvents.h"

#include "platform/Windows.h"

#include <vector>

namespace {

constexpr DWORD kStepMs = 500;

// A security descriptor whose DACL grants Everyone all access, so that a copy of the program
// started by another user, or without administrator rights, may signal the event. When the DACL
// cannot be built the descriptor stays as initialised (no DACL: the default security).
class CEveryoneAccess {
public:
    CEveryoneAccess()
    {
        InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION);
        SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
        PSID everyone = nullptr;
        if (!AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone))
            return;
        const DWORD aclBytes = GetLengthSid(everyone) + 16;
        acl_.resize((aclBytes + sizeof(DWORD) - 1) / sizeof(DWORD));
        auto* acl = reinterpret_cast<PACL>(acl_.data());
        if (InitializeAcl(acl, aclBytes, ACL_REVISION) &&
            AddAccessAllowedAce(acl, ACL_REVISION, GENERIC_ALL, everyone))
            SetSecurityDescriptorDacl(&descriptor_, TRUE, acl, FALSE);
        FreeSid(everyone);
    }
    CEveryoneAccess(const CEveryoneAccess&) = delete;
    CEveryoneAccess& operator=(const CEveryoneAccess&) = delete;

    LPSECURITY_ATTRIBUTES Attributes() { return &attributes_; }

private:
    SECURITY_DESCRIPTOR descriptor_{};
    std::vector<DWORD> acl_;    // DWORD-aligned, as an ACL must be
    SECURITY_ATTRIBUTES attributes_{sizeof(SECURITY_ATTRIBUTES), &descriptor_, FALSE};
};

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
    CEveryoneAccess access;
    while (!stop_->load()) {
        HANDLE event = CreateEventW(access.Attributes(), TRUE, FALSE, name);
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
