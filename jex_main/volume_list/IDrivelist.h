// The volume lister's interface: the local volumes that can be analysed and defragmented, ordered
// by drive letter.
#pragma once

#include "common/KyObject.h"
#include "common/OpResult.h"

enum VolumeFileSystem : int32_t {
    VOLUME_FS_FAT = 1,
    VOLUME_FS_FAT32 = 2,
    VOLUME_FS_NTFS = 3,
    VOLUME_FS_EXFAT = 4,
};

// One volume, copied out by value.
struct _Volume_Info_ {
    wchar_t volumeName[64];  // "\\?\Volume{GUID}\"
    wchar_t label[64];       // empty when the volume has none
    int32_t letterIndex;     // 0 for A ... 25 for Z; -1 when no drive letter leads to the volume
    int32_t fileSystem;      // a VolumeFileSystem
};

class IDrivelist : public IKyObject {
public:
    // Lists the volumes once; a refresh takes Uninit then Init.
    virtual OpResult Init() = 0;
    virtual OpResult Uninit() = 0;
    // With a null array, count receives the number of volumes; otherwise count says how many
    // records the array holds and receives the number copied.
    virtual OpResult GetVolumes(_Volume_Info_* volumes, uint32_t* count) = 0;
};
