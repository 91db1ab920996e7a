// Which physical disk holds a drive's volume, on which bus that disk hangs (USB, SATA, ...) and
// what the disk reports of itself, asked through device I/O controls afresh on every call.
#pragma once

#include "platform/Windows.h"

#include <cstdint>
#include <string>

// The number n of the disk "\\.\PhysicalDriveN" holding the volume of the drive letter (the first
// disk of a volume spanning several), or -1.
int GetDiskNoOfVolume(char driveLetter);

// The disk's STORAGE_BUS_TYPE (7 USB, 11 SATA, ...), or -1.
int GetDiskBusTypeByID(int diskNo);

class CDiskHelper {
public:
    // The bus type of the disk holding the drive's volume, or -1.
    static int GetDiskBusTypeOfVolume(char driveLetter);

    // The disk's size in bytes and its vendor, product and revision texts joined (at most 1023
    // characters). -1 when the disk could not be opened or a query failed, and then the outputs
    // keep what the caller put in them; a positive value when both were written.
    static int GetDiskInfoByID(int diskNo, uint64_t& size, std::string& text);

    // The disk opened for reading (sharing read and write), or INVALID_HANDLE_VALUE.
    static HANDLE OpenPhysicalDrive(int diskNo);
};
