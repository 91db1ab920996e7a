// The object behind a handle of a volume ("\\.\C:", "\\?\Volume{...}") or a physical disk
// ("\\.\PhysicalDrive0"), answering the device controls from the machine's description.
#pragma once

#include "platform/Machine.h"
#include "platform/win/Handles.h"

#include <optional>
#include <string>

namespace platform::files {

class DeviceObject final : public KernelObject {
public:
    // The handle for a device name; nothing when the name is no device name (a file path); the
    // invalid handle value, with the last error set, for a device the machine lacks.
    static std::optional<HANDLE> Open(const std::wstring& name);

    // Answers one control; false with the last error set when it fails.
    bool Control(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize, DWORD& returned) const;

private:
    DeviceObject(wchar_t volume, int disk) : volume_(volume), disk_(disk) {}

    const DriveInfo* Volume() const;
    const DiskInfo* Disk() const;
    bool DiskExtents(void* out, DWORD outSize, DWORD& returned) const;
    bool Geometry(void* out, DWORD outSize, DWORD& returned) const;
    bool Length(void* out, DWORD outSize, DWORD& returned) const;
    bool IsWritable() const;
    bool QueryProperty(const void* in, DWORD inSize, void* out, DWORD outSize, DWORD& returned) const;

    wchar_t volume_;  // the drive letter of a volume handle, 0 for a disk handle
    int disk_;        // the disk of a disk handle, or the disk the volume lies on
};

} // namespace platform::files
