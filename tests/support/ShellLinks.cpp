#include "support/ShellLinks.h"

namespace testing_support {

CShellLinkHandle::CShellLinkHandle()
{
    CoInitialize(nullptr);
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&link))) &&
        FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        link->Release();
        link = nullptr;
    }
}

CShellLinkHandle::~CShellLinkHandle()
{
    if (file)
        file->Release();
    if (link)
        link->Release();
    CoUninitialize();
}

bool WriteShellLink(const std::wstring& path, const std::wstring& target, const std::wstring& description,
                    const std::wstring& iconPath, int iconIndex)
{
    const CShellLinkHandle made;
    return made.file && SUCCEEDED(made.link->SetPath(target.c_str())) &&
           SUCCEEDED(made.link->SetDescription(description.c_str())) &&
           SUCCEEDED(made.link->SetIconLocation(iconPath.c_str(), iconIndex)) &&
           SUCCEEDED(made.file->Save(path.c_str(), TRUE));
}

std::wstring ShellLinkIcon(const std::wstring& path, int* index)
{
    const CShellLinkHandle read;
    wchar_t icon[MAX_PATH] = {};
    if (!read.file || FAILED(read.file->Load(path.c_str(), STGM_READ)) ||
        FAILED(read.link->GetIconLocation(icon, MAX_PATH, index)))
        return std::wstring();
    return icon;
}

} // namespace testing_support
