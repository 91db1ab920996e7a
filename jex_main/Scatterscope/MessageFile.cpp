#include "jex_main/Scatterscope/MessageFile.h"

#include "jex_main/Scatterscope/MiscFunc.h"

namespace {

// The message files as the plug-in carries them.
const char MESSAGES_6_1[] = "MUI en-US defrag.exe 6.1\r\n";
const char MESSAGES_6_2[] = "MUI en-US defrag.exe 6.2\r\n";
const char MESSAGES_6_3[] = "MUI en-US defrag.exe 6.3\r\n";
const char MESSAGES_10_0[] = "MUI en-US defrag.exe 6.4 10.0\r\n";

} // namespace

std::string MessageFileFor(DWORD major, DWORD minor)
{
    if (major == 6 && minor == 1)
        return MESSAGES_6_1;
    if (major == 6 && minor == 2)
        return MESSAGES_6_2;
    if (major == 6 && minor == 3)
        return MESSAGES_6_3;
    if ((major == 6 && minor == 4) || (major == 10 && minor == 0))
        return MESSAGES_10_0;
    return std::string();
}

OpResult WriteMessageFile(const wchar_t* path)
{
    DWORD major = 0, minor = 0;
    const OpResult version = GetNtVersion(major, minor);
    if (IsFailure(version))
        return version;
    const std::string content = MessageFileFor(major, minor);
    if (content.empty())
        return MakeResult(0xAC, RESULT_SYSTEM_CALL);
    if (!path)
        return MakeResult(0x1C0, RESULT_SYSTEM_CALL);
    const HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return MakeResult(0x1CE, RESULT_SYSTEM_CALL);
    DWORD written = 0;
    const BOOL wrote = WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(file);
    if (!wrote || written != content.size())
        return MakeResult(0x1DA, RESULT_SYSTEM_CALL);
    return RESULT_OK;
}
