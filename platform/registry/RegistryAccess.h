// What every Reg*W function does first: find the key behind a handle, apply the view, check the
// access, all inside one transaction of this thread's connection.
#pragma once

#include "RegistryDatabase.h"
#include "RegistryHandles.h"
#include "RegistryPath.h"
#include "RegistryStore.h"

#include "platform/win/Errors.h"
#include "platform/win/Registry.h"

#include <new>

namespace platform::registry {

// Rights that change a key: a read-only key refuses a handle asking for any of them.
constexpr REGSAM kDeleteRight = 0x00010000u;
constexpr REGSAM kWriteRights = KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK | kDeleteRight |
                                0x00040000u /* WRITE_DAC */ | 0x00080000u /* WRITE_OWNER */;

struct OpenedKey {
    int64_t id = 0;
    KeyPath path;      // physical
    REGSAM granted = 0;
    bool view64 = false;

    bool Allows(REGSAM rights) const { return (granted & rights) == rights; }
};

struct KeyTarget {
    OpenedKey base;
    KeyPath path;
    bool view64 = false;
};

class RegistrySession {
public:
    // checkMachine: whether to look first that the machine root is still the connection's (see
    // Connection).
    RegistrySession(Transaction::Kind kind, bool checkMachine);

    RegistryStore& Store() { return store_; }

    // The key behind a handle: ERROR_INVALID_HANDLE for one that is not open, ERROR_KEY_DELETED
    // when its key was deleted. Predefined keys grant everything but writing to a read-only key.
    LONG Resolve(HKEY key, OpenedKey& opened);

    // The key behind a handle, and the physical path of subKey below it in the view the access
    // flags choose (else the handle's view).
    LONG Locate(HKEY key, const wchar_t* subKey, REGSAM access, KeyTarget& target);

    void Commit() { transaction_.Commit(); }

private:
    SessionConnection connection_;
    Transaction transaction_;
    RegistryStore store_;
};

// Runs a Reg*W body and returns its result, or the Windows error of a failure of the store.
template <class Body>
LSTATUS Guarded(Body body)
{
    try {
        return body();
    } catch (const RegistryError& failure) {
        return failure.code;
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

// Runs body(session) in a transaction of that kind, committing what a successful body did. A
// call that starts from an open handle (from) uses the machine that handle was opened in; any
// other looks first whether the machine changed.
template <class Body>
LSTATUS InSession(Transaction::Kind kind, Body body, HKEY from = nullptr)
{
    return Guarded([&]() -> LSTATUS {
        RegistrySession session(kind, !from || IsPredefinedKey(from));
        const LSTATUS status = body(session);
        if (status == ERROR_SUCCESS)
            session.Commit();
        return status;
    });
}

// Runs body(session, key) for the key behind a handle that grants all of rights.
template <class Body>
LSTATUS OnKey(HKEY handle, REGSAM rights, Transaction::Kind kind, Body body)
{
    return InSession(kind, [&](RegistrySession& session) -> LSTATUS {
        OpenedKey key;
        if (const LONG status = session.Resolve(handle, key); status != ERROR_SUCCESS)
            return status;
        if (!key.Allows(rights))
            return ERROR_ACCESS_DENIED;
        return body(session, key);
    }, handle);
}

// Runs body(session, target) for subKey below a handle, as RegistrySession::Locate finds it.
template <class Body>
LSTATUS OnTarget(HKEY handle, const wchar_t* subKey, REGSAM access, Transaction::Kind kind, Body body)
{
    return InSession(kind, [&](RegistrySession& session) -> LSTATUS {
        KeyTarget target;
        if (const LONG status = session.Locate(handle, subKey, access, target); status != ERROR_SUCCESS)
            return status;
        return body(session, target);
    }, handle);
}

// The subkey or value at index of the key behind a handle that grants rights, as a listing hands
// them out (see RegistryHandles.h), with its name put into the caller's buffer of chars
// characters (then the name's length); ERROR_MORE_DATA when the name does not fit,
// ERROR_NO_MORE_ITEMS past the last one.
LSTATUS ListedItemAt(HKEY handle, ListKind kind, REGSAM rights, DWORD index, LPWSTR name, LPDWORD chars,
                     ListedItem& item);

} // namespace platform::registry
