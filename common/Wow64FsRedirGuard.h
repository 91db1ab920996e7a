// Switches off the file-system redirection of a 32-bit process on 64-bit Windows for its own
// lifetime, so that the calls made meanwhile see the real System32. Where Windows lacks the switch
// both steps do nothing.
#pragma once

class CWow64FsRedirGuard {
public:
    CWow64FsRedirGuard();
    ~CWow64FsRedirGuard();
    CWow64FsRedirGuard(const CWow64FsRedirGuard&) = delete;
    CWow64FsRedirGuard& operator=(const CWow64FsRedirGuard&) = delete;

private:
    void* oldValue_ = nullptr;
    bool disabled_ = false;
};

// Runs the call inside a guard when redirectionOff is true, otherwise as it stands.
template <typename Call>
auto WithRedirection(bool redirectionOff, Call call)
{
    if (!redirectionOff)
        return call();
    const CWow64FsRedirGuard guard;
    return call();
}
