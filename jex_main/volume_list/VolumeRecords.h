// Reading the machine's volumes into the lister's records.
#pragma once

#include "jex_main/volume_list/IDrivelist.h"

#include <vector>

// The removable and fixed volumes with a FAT, FAT32, NTFS or exFAT file system, sorted by drive
// letter (volumes without a letter first). 0x7C0001 when no volume can be enumerated.
OpResult ListVolumes(std::vector<_Volume_Info_>& volumes);
