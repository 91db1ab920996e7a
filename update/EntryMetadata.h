// An entry's Windows attributes and times, from what the archive records.
#pragma once

#include "platform/Windows.h"

#include <cstddef>
#include <cstdint>

// From the external attributes word and the host system that made the entry (the high byte of
// "version made by"). A name ending in a separator is a folder whatever its attributes say, as
// some writers leave a folder's attributes at 0.
DWORD EntryAttributes(uint32_t externalAttributes, uint16_t versionMadeBy, bool nameEndsInSeparator);

// The entry's DOS date and time, taken as local time, in UTC; {0, 0} when they name no valid time.
FILETIME DosTimeToFileTime(uint32_t dosDateTime);

struct EntryTimes {
    FILETIME access;
    FILETIME creation;
    FILETIME write;
};

// Applies the first extended-timestamp ("UT") record of a local extra field: each time whose flag
// bit is set (0 write, 1 access, 2 creation) and whose four bytes lie inside the record replaces
// the one given. Records are read only as far as they lie inside the field.
void ApplyExtendedTimes(const uint8_t* field, size_t size, EntryTimes& times);
