#include "common/Wow64FsRedirGuard.h"

#include "common/ProcAddress.h"

#include "platform/Windows.h"

namespace {

typedef BOOL (*DisableFn)(void** oldValue);
typedef BOOL (*RevertFn)(void* oldValue);

// Looked up by name, as older Windows lacks them; kept for the rest of the process.
struct RedirectionSwitch {
    HMODULE kernel32 = nullptr;
    DisableFn disable = nullptr;
    RevertFn revert = nullptr;

    RedirectionSwitch()
    {
        kernel32 = LoadLibraryW(L"Kernel32.dll");
        if (!kernel32)
            return;
        disable = ProcAddress<DisableFn>(kernel32, "Wow64DisableWow64FsRedirection");
        revert = ProcAddress<RevertFn>(kernel32, "Wow64RevertWow64FsRedirection");
    }
};

const RedirectionSwitch& Switch()
{
    static const RedirectionSwitch instance;
    return instance;
}

} // namespace

CWow64FsRedirGuard::CWow64FsRedirGuard()
{
    if (const DisableFn disable = Switch().disable)
        disabled_ = disable(&oldValue_) != FALSE;
}

CWow64FsRedirGuard::~CWow64FsRedirGuard()
{
    if (disabled_ && Switch().revert)
        Switch().revert(oldValue_);
}
