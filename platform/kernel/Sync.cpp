#include "platform/win/Sync.h"

#include "EventObject.h"
#include "Futex.h"
#include "MutexObject.h"
#include "Pulse.h"

#include "platform/win/Errors.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace {

// The handle of a new or existing object, with the last error telling which.
template <class Object>
HANDLE Created(LPSECURITY_ATTRIBUTES attributes, LPCWSTR name, platform::SyncSetup setup)
{
    const bool named = name && *name;
    if (named)
        setup.security = platform::SecurityOfNewObject(attributes, platform::FullAccess(setup.kind));
    bool existed = false;
    platform::SyncBlock* block = platform::SyncBlock::Create(name, setup, existed);
    if (!block)
        return nullptr;
    SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return platform::HandleOf(new Object(block, attributes && attributes->bInheritHandle));
}

template <class Object>
HANDLE Opened(LPCWSTR name, platform::SyncKind kind, DWORD access, BOOL inheritHandle)
{
    platform::SyncBlock* block = platform::SyncBlock::Open(name, kind, access);
    return block ? platform::HandleOf(new Object(block, inheritHandle != FALSE)) : nullptr;
}

template <class Object>
std::shared_ptr<Object> ObjectOfKind(HANDLE handle)
{
    auto object = std::dynamic_pointer_cast<Object>(platform::HoldObject(handle));
    if (!object)
        SetLastError(ERROR_INVALID_HANDLE);
    return object;
}

// A time-out slice for waits on several objects: a mutex whose owner dies and a process this one
// did not start end without a word, so such waits look again at least this often.
constexpr DWORD kLookAgainMs = 50;

} // namespace

HANDLE CreateMutexW(LPSECURITY_ATTRIBUTES attributes, BOOL initialOwner, LPCWSTR name)
{
    return Created<platform::MutexObject>(attributes, name,
                                          {platform::SyncKind::Mutex, initialOwner != FALSE, false, false, {}});
}

HANDLE OpenMutexW(DWORD desiredAccess, BOOL inheritHandle, LPCWSTR name)
{
    return Opened<platform::MutexObject>(name, platform::SyncKind::Mutex, desiredAccess, inheritHandle);
}

BOOL ReleaseMutex(HANDLE mutex)
{
    const auto object = ObjectOfKind<platform::MutexObject>(mutex);
    return object && object->Release() ? TRUE : FALSE;
}

HANDLE CreateEventW(LPSECURITY_ATTRIBUTES attributes, BOOL manualReset, BOOL initialState, LPCWSTR name)
{
    return Created<platform::EventObject>(
        attributes, name, {platform::SyncKind::Event, false, manualReset != FALSE, initialState != FALSE, {}});
}

HANDLE OpenEventW(DWORD desiredAccess, BOOL inheritHandle, LPCWSTR name)
{
    return Opened<platform::EventObject>(name, platform::SyncKind::Event, desiredAccess, inheritHandle);
}

BOOL SetEvent(HANDLE event)
{
    const auto object = ObjectOfKind<platform::EventObject>(event);
    if (object)
        object->Set();
    return object ? TRUE : FALSE;
}

BOOL ResetEvent(HANDLE event)
{
    const auto object = ObjectOfKind<platform::EventObject>(event);
    if (object)
        object->Reset();
    return object ? TRUE : FALSE;
}

DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds)
{
    using Take = platform::IWaitable::Take;
    if (count == 0 || count > MAXIMUM_WAIT_OBJECTS || !handles) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    std::vector<std::shared_ptr<platform::KernelObject>> held; // alive for the wait, whatever is closed meanwhile
    std::vector<platform::IWaitable*> objects;
    for (DWORD i = 0; i < count; ++i) {
        held.push_back(platform::HoldObject(handles[i]));
        auto* object = dynamic_cast<platform::IWaitable*>(held.back().get());
        if (!object) {
            SetLastError(ERROR_INVALID_HANDLE);
            return WAIT_FAILED;
        }
        if (waitAll && std::find(objects.begin(), objects.end(), object) != objects.end()) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return WAIT_FAILED;
        }
        objects.push_back(object);
    }
    if (count == 1)
        return held.front()->Wait(milliseconds);

    std::atomic<uint32_t>& pulse = platform::MachinePulse();
    const platform::Deadline deadline(milliseconds);
    for (;;) {
        const uint32_t seen = pulse.load();
        if (!waitAll) {
            for (DWORD i = 0; i < count; ++i) {
                const Take take = objects[i]->TryTake();
                if (take != Take::No)
                    return (take == Take::Abandoned ? WAIT_ABANDONED_0 : WAIT_OBJECT_0) + i;
            }
        } else {
            std::vector<Take> taken;
            for (auto* object : objects) {
                taken.push_back(object->TryTake());
                if (taken.back() == Take::No)
                    break;
            }
            if (taken.size() == count && taken.back() != Take::No) {
                const auto abandoned = std::find(taken.begin(), taken.end(), Take::Abandoned);
                return abandoned == taken.end() ? WAIT_OBJECT_0
                                                : WAIT_ABANDONED_0 + static_cast<DWORD>(abandoned - taken.begin());
            }
            for (size_t i = 0; i + 1 < taken.size(); ++i)
                objects[i]->GiveBack();
        }
        if (deadline.Passed())
            return WAIT_TIMEOUT;
        platform::FutexWait(pulse, seen, deadline.Remaining(kLookAgainMs));
    }
}
