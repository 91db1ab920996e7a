#include "MountedVolumes.h"

#include "platform/Windows.h"

QList<MountedVolume_> MountedVolumes()
{
    QList<MountedVolume_> volumes;
    const DWORD drives = GetLogicalDrives();
    for (int index = 0; index < 26; ++index) {
        if (!(drives & (1u << index)))
            continue;
        const wchar_t root[] = {static_cast<wchar_t>(L'A' + index), L':', L'\\', L'\0'};
        wchar_t label[MAX_PATH + 1] = {};
        if (!GetVolumeInformationW(root, label, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0))
            label[0] = L'\0';
        MountedVolume_ volume;
        volume.rootPath = QString(QChar('A' + index)) + QStringLiteral(":/");
        volume.name = QString::fromWCharArray(label);
        volumes.append(volume);
    }
    return volumes;
}
