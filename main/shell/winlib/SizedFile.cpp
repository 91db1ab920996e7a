#include "winlib/SizedFile.h"

#include "platform/Windows.h"

int CreateSizedFile(const wchar_t* path, int64_t size)
{
    HANDLE file = CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return -2;
    if (!file)
        return -1;
    int result = 0;
    LARGE_INTEGER distance = {};
    distance.QuadPart = size;
    if (!SetFilePointerEx(file, distance, nullptr, FILE_BEGIN))
        result = -3;
    else if (!SetEndOfFile(file))
        result = -4;
    CloseHandle(file);
    return result;
}
