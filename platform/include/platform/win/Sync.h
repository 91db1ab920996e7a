// Mutexes and events. Named ones ("Global\..." and "Local\..." or plain names) are shared by every
// process of the machine; a mutex whose owning thread ends is handed to the next waiter with
// WAIT_ABANDONED. WaitForSingleObject (Handles.h) waits on one object, WaitForMultipleObjects on
// several.
#pragma once

#include "platform/win/Handles.h"

#pragma GCC visibility push(default)

#define WAIT_ABANDONED_0 0x00000080u

#define MUTEX_MODIFY_STATE 0x00000001u
#define MUTEX_ALL_ACCESS 0x001F0001u
#define EVENT_MODIFY_STATE 0x00000002u
#define EVENT_ALL_ACCESS 0x001F0003u

// A name of up to MAX_PATH characters; one that is in use by an event (or a mutex, for
// CreateEventW) fails with ERROR_INVALID_HANDLE. When the object existed already the handle is to
// it and the last error is ERROR_ALREADY_EXISTS (the initial owner and state then do not apply).
HANDLE CreateMutexW(LPSECURITY_ATTRIBUTES attributes, BOOL initialOwner, LPCWSTR name);
HANDLE OpenMutexW(DWORD desiredAccess, BOOL inheritHandle, LPCWSTR name);
// Fails with ERROR_NOT_OWNER unless the calling thread owns the mutex; a thread that acquired it
// n times releases it n times.
BOOL ReleaseMutex(HANDLE mutex);

HANDLE CreateEventW(LPSECURITY_ATTRIBUTES attributes, BOOL manualReset, BOOL initialState, LPCWSTR name);
HANDLE OpenEventW(DWORD desiredAccess, BOOL inheritHandle, LPCWSTR name);
BOOL SetEvent(HANDLE event);
BOOL ResetEvent(HANDLE event);

// Up to MAXIMUM_WAIT_OBJECTS mutexes, events and processes. Returns WAIT_OBJECT_0 + i (or
// WAIT_ABANDONED_0 + i) for the first object that satisfied a wait for any, WAIT_OBJECT_0 (or
// WAIT_ABANDONED_0 + i when one was an abandoned mutex) when all were taken together.
DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds);

namespace platform {

// Objects that WaitForMultipleObjects can wait on together.
class IWaitable {
public:
    enum class Take { No, Yes, Abandoned };
    virtual ~IWaitable() = default;
    // Satisfies a wait now if the object allows it (owning a mutex, consuming an auto-reset
    // event's signal), without blocking.
    virtual Take TryTake() = 0;
    // Undoes a successful TryTake, for a wait on all objects that could not take every one.
    virtual void GiveBack() = 0;
};

// Wakes waits on several objects so that they look again; every change that can satisfy a wait
// calls it (for all processes of the machine).
void NotifyWaiters();

} // namespace platform

#pragma GCC visibility pop
