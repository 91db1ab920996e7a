#include "ShellLinkObject.h"

#include "ShellLinkFile.h"

#include "platform/RefCounted.h"
#include "platform/win/Errors.h"

#include <algorithm>
#include <cstring>
#include <new>

const CLSID CLSID_ShellLink = {0x00021401, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID IID_IShellLinkW = {0x000214F9, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID IID_IPersistFile = {0x0000010B, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

namespace {

// The text cut to the caller's buffer and terminated.
HRESULT CopyOut(const std::wstring& text, LPWSTR buffer, int cch)
{
    if (!buffer || cch <= 0)
        return E_INVALIDARG;
    const size_t count = std::min(text.size(), static_cast<size_t>(cch) - 1);
    std::wmemcpy(buffer, text.data(), count);
    buffer[count] = L'\0';
    return S_OK;
}

// The target as GetShortPathNameW gives it; the stored form when that fails or is longer.
std::wstring ShortForm(const std::wstring& path)
{
    wchar_t buffer[MAX_PATH] = {};
    const DWORD length = GetShortPathNameW(path.c_str(), buffer, MAX_PATH);
    return length == 0 || length >= MAX_PATH ? path : std::wstring(buffer, length);
}

class CShellLinkObject final : public platform::RefCounted<IShellLinkW>, public IPersistFile {
public:
    HRESULT QueryInterface(REFIID riid, void** object) override
    {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IShellLinkW))
            *object = static_cast<IShellLinkW*>(this);
        else if (IsEqualIID(riid, IID_IPersistFile))
            *object = static_cast<IPersistFile*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override { return platform::RefCounted<IShellLinkW>::AddRef(); }
    ULONG Release() override { return platform::RefCounted<IShellLinkW>::Release(); }

    HRESULT GetPath(LPWSTR file, int cch, WIN32_FIND_DATAW* findData, DWORD flags) override
    {
        if (findData)
            *findData = WIN32_FIND_DATAW {};
        std::wstring path = link_.GetPath();
        if (!path.empty() && (flags & SLGP_SHORTPATH))
            path = ShortForm(path);
        const HRESULT copied = CopyOut(path, file, cch);
        if (FAILED(copied))
            return copied;
        if (findData && !path.empty()) {
            const HANDLE find = FindFirstFileW(path.c_str(), findData);
            if (find != INVALID_HANDLE_VALUE)
                FindClose(find);
            else
                *findData = WIN32_FIND_DATAW {};
        }
        return path.empty() ? S_FALSE : S_OK;
    }
    HRESULT GetDescription(LPWSTR name, int cch) override { return CopyOut(link_.GetDescription(), name, cch); }
    HRESULT SetDescription(LPCWSTR name) override { return Set(name, &platform::CShellLinkFile::SetDescription); }
    HRESULT GetWorkingDirectory(LPWSTR folder, int cch) override
    {
        return CopyOut(link_.GetWorkingDirectory(), folder, cch);
    }
    HRESULT SetWorkingDirectory(LPCWSTR folder) override
    {
        return Set(folder, &platform::CShellLinkFile::SetWorkingDirectory);
    }
    HRESULT GetArguments(LPWSTR arguments, int cch) override { return CopyOut(link_.GetArguments(), arguments, cch); }
    HRESULT SetArguments(LPCWSTR arguments) override { return Set(arguments, &platform::CShellLinkFile::SetArguments); }
    HRESULT GetHotkey(WORD* hotKey) override
    {
        if (!hotKey)
            return E_INVALIDARG;
        *hotKey = link_.GetHotkey();
        return S_OK;
    }
    HRESULT SetHotkey(WORD hotKey) override
    {
        link_.SetHotkey(hotKey);
        return S_OK;
    }
    HRESULT GetShowCmd(int* showCommand) override
    {
        if (!showCommand)
            return E_INVALIDARG;
        *showCommand = link_.GetShowCmd();
        return S_OK;
    }
    HRESULT SetShowCmd(int showCommand) override
    {
        link_.SetShowCmd(showCommand);
        return S_OK;
    }
    HRESULT GetIconLocation(LPWSTR iconPath, int cch, int* index) override
    {
        if (!index)
            return E_INVALIDARG;
        return CopyOut(link_.GetIconLocation(index), iconPath, cch);
    }
    HRESULT SetIconLocation(LPCWSTR iconPath, int index) override
    {
        if (!iconPath)
            return E_INVALIDARG;
        link_.SetIconLocation(iconPath, index);
        return S_OK;
    }
    HRESULT SetPath(LPCWSTR file) override { return Set(file, &platform::CShellLinkFile::SetPath); }

    HRESULT Load(LPCOLESTR fileName, DWORD mode) override
    {
        if (!fileName || !*fileName || (mode & 0x3) > STGM_READWRITE)
            return E_INVALIDARG;
        const DWORD result = link_.Load(fileName);
        if (result == ERROR_BAD_FORMAT)
            return E_FAIL;
        if (result != ERROR_SUCCESS)
            return HRESULT_FROM_WIN32(result);
        current_ = fileName;
        return S_OK;
    }
    HRESULT Save(LPCOLESTR fileName, BOOL remember) override
    {
        const std::wstring path = fileName ? std::wstring(fileName) : current_;
        if (path.empty())
            return E_INVALIDARG;
        if (!link_.Save(path)) {
            const DWORD error = GetLastError();
            return error == ERROR_SUCCESS ? E_FAIL : HRESULT_FROM_WIN32(error);
        }
        if (fileName && remember)
            current_ = path;
        return S_OK;
    }

private:
    HRESULT Set(LPCWSTR text, void (platform::CShellLinkFile::*setter)(const std::wstring&))
    {
        if (!text)
            return E_INVALIDARG;
        (link_.*setter)(text);
        return S_OK;
    }

    platform::CShellLinkFile link_;
    std::wstring current_;
};

} // namespace

namespace platform {

HRESULT CreateShellLinkObject(REFIID riid, void** object)
{
    return HandOut(new (std::nothrow) CShellLinkObject, riid, object);
}

} // namespace platform
