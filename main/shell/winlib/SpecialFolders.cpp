#include "winlib/SpecialFolders.h"

#include "winlib/SystemQueries.h"
#include "common/Wow64FsRedirGuard.h"

#include "platform/Text.h"
#include "platform/Windows.h"

#include <utility>

namespace {

// The folders asked for at start-up, in this order (0x05 twice).
constexpr int kStartupCsidls[] = {
    0x30, 0x1D, 0x1A, 0x0A, 0x3B, 0x2F, 0x1E, 0x23, 0x2E, 0x1F, 0x35, 0x3A, 0x36, 0x17, 0x16, 0x18, 0x2D,
    0x37, 0x3D, 0x31, 0x03, 0x21, 0x00, 0x19, 0x10, 0x11, 0x06, 0x14, 0x22, 0x01, 0x20, 0x1C, 0x05, 0x0D,
    0x27, 0x0E, 0x13, 0x12, 0x05, 0x04, 0x1B, 0x28, 0x02, 0x08, 0x38, 0x39, 0x09, 0x0B, 0x07, 0x15, 0x24,
};

constexpr DWORD kEnvironmentChars = 520;

std::optional<std::wstring> ShellFolder(int csidl)
{
    wchar_t path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)))
        return std::nullopt;
    return std::wstring(path);
}

std::optional<std::wstring> EnvironmentFolder(const wchar_t* variable)
{
    wchar_t value[kEnvironmentChars] = {};
    const DWORD length = GetEnvironmentVariableW(variable, value, kEnvironmentChars);
    if (length == 0 || length >= kEnvironmentChars)
        return std::nullopt;
    return std::wstring(value, length);
}

} // namespace

bool CSpecialFolders::LessIgnoringCase::operator()(const std::wstring& a, const std::wstring& b) const
{
    return platform::CompareIgnoringCase(a, b) < 0;
}

CSpecialFolders::CSpecialFolders()
{
    for (const int csidl : kStartupCsidls) {
        if (const auto path = ShellFolder(csidl))
            Store(csidl, *path);
    }

    if (IsNativeAmd64()) {
        for (const int csidl : {CSIDL_SYSTEMX86, CSIDL_PROGRAM_FILESX86, CSIDL_PROGRAM_FILES_COMMONX86}) {
            if (const auto path = ShellFolder(csidl))
                Store(csidl, *path);
        }
        std::optional<std::wstring> system;
        {
            const CWow64FsRedirGuard guard;
            system = ShellFolder(CSIDL_SYSTEM);
        }
        if (system)
            Store(CSIDL_SYSTEM, *system);
        // The shell answers a 32-bit process with the 32-bit program folders; the environment
        // still names the 64-bit ones.
        if (const auto programs = EnvironmentFolder(L"ProgramW6432"))
            Store(CSIDL_PROGRAM_FILES, *programs);
        if (const auto common = EnvironmentFolder(L"CommonProgramW6432"))
            Store(CSIDL_PROGRAM_FILES_COMMON, *common);
        return;
    }

    // A 32-bit Windows has one folder of each kind; the 32-bit name is stored last, so that it
    // is the one a path leads back to.
    const std::pair<int, int> sameFolders[] = {{CSIDL_SYSTEM, CSIDL_SYSTEMX86},
                                               {CSIDL_PROGRAM_FILES, CSIDL_PROGRAM_FILESX86},
                                               {CSIDL_PROGRAM_FILES_COMMON, CSIDL_PROGRAM_FILES_COMMONX86}};
    for (const auto& [native, x86] : sameFolders) {
        if (const auto path = ShellFolder(native)) {
            Store(native, *path);
            Store(x86, *path);
        }
    }
}

void CSpecialFolders::Store(int csidl, const std::wstring& path)
{
    paths_.emplace(csidl, path);
    csidls_[path] = csidl;
}

const wchar_t* CSpecialFolders::Path(int csidl) const
{
    const auto found = paths_.find(csidl);
    return found == paths_.end() ? nullptr : found->second.c_str();
}

std::optional<int> CSpecialFolders::CsidlOf(const std::wstring& folder) const
{
    const auto found = csidls_.find(folder);
    if (found == csidls_.end())
        return std::nullopt;
    return found->second;
}

int CSpecialFolders::FolderOf(const std::wstring& path, size_t* prefixLength) const
{
    // From the end towards the start, so the longest known folder wins.
    for (size_t end = path.find_last_of(L"\\/"); end != std::wstring::npos;
         end = end == 0 ? std::wstring::npos : path.find_last_of(L"\\/", end - 1)) {
        if (const auto csidl = CsidlOf(path.substr(0, end))) {
            if (prefixLength)
                *prefixLength = end;
            return *csidl;
        }
    }
    if (prefixLength)
        *prefixLength = 0;
    return 0;
}

const CSpecialFolders& SpecialFolders()
{
    static const CSpecialFolders table;
    return table;
}
