// A program of the suite in small: started as root over a machine of another user, it makes one
// kind of write the suite makes, at a Windows path of the machine (or, for "hostfile", through the C
// library at a host path, as Qt and SQLite write; for "log", a line of the file logger, which never
// reports a failure), and prints "ok" or "failed <Windows error>".
#include "common/LogFile.h"
#include "platform/Text.h"
#include "platform/Windows.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

bool Write(HANDLE file)
{
    const char text[] = "written by the probe";
    DWORD done = 0;
    const bool written = file != INVALID_HANDLE_VALUE && WriteFile(file, text, sizeof(text) - 1, &done, nullptr);
    const DWORD error = GetLastError();
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    SetLastError(error);
    return written;
}

bool Act(const std::string& kind, const std::wstring& path, const std::wstring& other)
{
    if (kind == "create")
        return Write(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (kind == "overwrite")
        return Write(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (kind == "append") {
        FILE* stream = _wfopen(path.c_str(), L"ab");
        if (!stream) {
            SetLastError(errno == EACCES ? ERROR_ACCESS_DENIED : ERROR_FILE_NOT_FOUND);
            return false;
        }
        const bool written = std::fputs("appended by the probe\n", stream) >= 0;
        return std::fclose(stream) == 0 && written;
    }
    if (kind == "profile")
        return WritePrivateProfileStringW(L"Probe", L"Key", L"Value", path.c_str());
    if (kind == "folder")
        return CreateDirectoryW(path.c_str(), nullptr);
    if (kind == "copy")
        return CopyFileW(other.c_str(), path.c_str(), FALSE);
    if (kind == "move")
        return MoveFileExW(other.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED);
    if (kind == "registry") {
        HKEY key = nullptr;
        LONG status = RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Probe", 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                                      nullptr);
        if (status == ERROR_SUCCESS) {
            const DWORD value = 1;
            status = RegSetValueExW(key, L"Value", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
            RegCloseKey(key);
        }
        SetLastError(static_cast<DWORD>(status));
        return status == ERROR_SUCCESS;
    }
    if (kind == "log") {
        CLogFile().Open(false, L"Quarnel").Write(L"a line of the probe");
        return true;
    }
    if (kind == "hostfile") {
        FILE* stream = std::fopen(platform::ToUtf8(path).c_str(), "ab");
        SetLastError(stream ? ERROR_SUCCESS : platform::ErrorFromErrno(errno));
        return stream && std::fclose(stream) == 0;
    }
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return 2;
    const bool ok = Act(argv[1], platform::FromUtf8(argv[2]), argc > 3 ? platform::FromUtf8(argv[3]) : std::wstring());
    if (ok)
        std::printf("ok\n");
    else
        std::printf("failed %lu\n", static_cast<unsigned long>(GetLastError()));
    return 0;
}
