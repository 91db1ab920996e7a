// Makes a file of a given size, for example to reserve room on a drive.
#pragma once

#include <cstdint>

// Creates or truncates the file and sets its end at size bytes. 0 on success; -2 when the file
// cannot be created, -3 when its pointer cannot be moved, -4 when its end cannot be set there (as
// when the drive lacks the room), -1 when the system hands back a null handle.
int CreateSizedFile(const wchar_t* path, int64_t size);
