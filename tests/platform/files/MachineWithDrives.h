// A machine with several drives and disks for the volume and device tests: C: on a system SSD with
// reported sizes, D: on an NVMe disk with its own volume Guid, E: a USB stick on a read-only disk,
// Z: a network drive.
#pragma once

#include "support/TempMachine.h"

namespace files_test {

inline void DescribeDrives(const testing_support::TempMachine& machine, bool stickReadOnly = true)
{
    machine.WriteMachineIni(std::string() +
                            "[Drive C]\nLabel=System\nSerial=0x1234ABCD\nTotalBytes=500000000000\n"
                            "FreeBytes=200000000000\n"
                            "[Drive D]\nFolder=data\nBus=17\nDisk=1\nLabel=Data\n"
                            "Guid={12345678-aaaa-bbbb-cccc-1234567890ab}\n"
                            "[Drive E]\nFolder=usb\nType=2\nBus=7\nDisk=2\nLabel=STICK\nFileSystem=FAT32\n"
                            "[Drive Z]\nFolder=net\nType=4\nDisk=-1\nLabel=Share\n"
                            "[Disk 0]\nBus=11\nVendor=QUARNEL\nProduct=System SSD\nSize=512110190592\n"
                            "[Disk 1]\nBus=17\nVendor=Nvmax\nProduct=Fast 1TB\nSize=1000204886016\n"
                            "[Disk 2]\nBus=7\nVendor=Kingmax\nProduct=Stick\nSize=8000000000\nReadOnly=" +
                            (stickReadOnly ? "1" : "0") + "\n");
}

} // namespace files_test
