#include "platform/win/Process.h"

#include "PipeEnd.h"
#include "SyncObject.h"

#include "platform/win/Errors.h"

#include <fcntl.h>
#include <unistd.h>

BOOL CreatePipe(PHANDLE readPipe, PHANDLE writePipe, LPSECURITY_ATTRIBUTES attributes, DWORD)
{
    if (!readPipe || !writePipe) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) {
        platform::SetLastErrorFromErrno();
        return FALSE;
    }
    const bool inheritable = attributes && attributes->bInheritHandle;
    *readPipe = platform::HandleOf(new platform::PipeEnd(ends[0], inheritable));
    *writePipe = platform::HandleOf(new platform::PipeEnd(ends[1], inheritable));
    return TRUE;
}

BOOL PeekNamedPipe(HANDLE pipe, LPVOID buffer, DWORD bufferSize, LPDWORD bytesRead, LPDWORD totalBytesAvail,
                   LPDWORD bytesLeftThisMessage)
{
    auto* end = dynamic_cast<platform::PipeEnd*>(platform::ObjectOf(pipe));
    if (!end) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    DWORD copied = 0, available = 0;
    if (!end->Peek(buffer, bufferSize, copied, available))
        return FALSE;
    if (bytesRead)
        *bytesRead = copied;
    if (totalBytesAvail)
        *totalBytesAvail = available;
    if (bytesLeftThisMessage)
        *bytesLeftThisMessage = 0;
    return TRUE;
}

BOOL SetHandleInformation(HANDLE object, DWORD mask, DWORD flags)
{
    platform::KernelObject* kernelObject = platform::ObjectOf(object);
    if (!kernelObject) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!(mask & HANDLE_FLAG_INHERIT))
        return TRUE;
    const bool inheritable = (flags & HANDLE_FLAG_INHERIT) != 0;
    if (auto* host = dynamic_cast<platform::IHostDescriptor*>(kernelObject))
        host->SetInheritable(inheritable);
    else if (auto* sync = dynamic_cast<platform::SyncObject*>(kernelObject))
        sync->SetInheritable(inheritable);
    return TRUE;
}

BOOL GetHandleInformation(HANDLE object, LPDWORD flags)
{
    platform::KernelObject* kernelObject = platform::ObjectOf(object);
    if (!kernelObject || !flags) {
        SetLastError(kernelObject ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
        return FALSE;
    }
    bool inheritable = false;
    if (const auto* host = dynamic_cast<const platform::IHostDescriptor*>(kernelObject))
        inheritable = host->Inheritable();
    else if (const auto* sync = dynamic_cast<const platform::SyncObject*>(kernelObject))
        inheritable = sync->Inheritable();
    *flags = inheritable ? HANDLE_FLAG_INHERIT : 0;
    return TRUE;
}
