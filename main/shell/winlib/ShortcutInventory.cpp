#include "winlib/ShortcutInventory.h"

#include "winlib/FolderQueries.h"
#include "winlib/SpecialFolders.h"
#include "winlib/SystemQueries.h"
#include "common/Wow64FsRedirGuard.h"

#include <new>
#include <vector>

namespace {

// The path buffers of the shortcut records.
constexpr size_t kPathChars = 520;
constexpr size_t kDescriptionChars = 1024;

// The shortcut folders in scan order, each with whether its subfolders are scanned too.
const std::pair<int, bool> kShortcutFolders[] = {
    {CSIDL_STARTMENU, true},         {CSIDL_COMMON_STARTMENU, true}, {CSIDL_COMMON_PROGRAMS, true},
    {CSIDL_PROGRAMS, true},          {CSIDL_COMMON_STARTUP, true},   {CSIDL_STARTUP, true},
    {CSIDL_COMMON_DESKTOPDIRECTORY, false}, {CSIDL_DESKTOPDIRECTORY, false},
};
const wchar_t kPinnedItems[] = L"\\Microsoft\\Internet Explorer\\Quick Launch\\User Pinned\\TaskBar";

bool Exists(const std::wstring& path)
{
    return !path.empty() && GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The path in its long-name form, or as given (cut to the buffer) when that cannot be had.
std::wstring LongName(const std::wstring& path)
{
    if (path.empty())
        return path;
    wchar_t buffer[kPathChars] = {};
    const DWORD length = GetLongPathNameW(path.c_str(), buffer, kPathChars);
    if (length == 0 || length >= kPathChars)
        return path.substr(0, kPathChars - 1);
    return std::wstring(buffer, length);
}

bool EndsWithIgnoringCase(const std::wstring& text, const std::wstring& end)
{
    return text.size() >= end.size() && _wcsicmp(text.c_str() + text.size() - end.size(), end.c_str()) == 0;
}

// The existing target of a link's path: the path itself, or on 64-bit Windows the same path below
// the 64-bit program folder that it names through the 32-bit one.
std::wstring ExistingTarget(const std::wstring& path)
{
    if (path.empty())
        return path;
    if (Exists(path))
        return LongName(path);
    if (!IsNativeAmd64())
        return std::wstring();
    size_t prefix = 0;
    const int native = MapX86ToNative(SpecialFolders().FolderOf(path, &prefix));
    const wchar_t* folder = native < 0 ? nullptr : SpecialFolders().Path(native);
    if (!folder)
        return std::wstring();
    const std::wstring moved = folder + path.substr(prefix);
    return Exists(moved) ? LongName(moved) : std::wstring();
}

// The target of an advertised shortcut: where Windows Installer has the component that provides
// it; empty for another shortcut, or when that component's file is not there.
std::wstring AdvertisedTarget(const std::wstring& linkPath)
{
    wchar_t product[39] = {};
    wchar_t feature[MAX_FEATURE_CHARS + 1] = {};
    wchar_t component[39] = {};
    if (MsiGetShortcutTargetW(linkPath.c_str(), product, feature, component) != ERROR_SUCCESS)
        return std::wstring();
    wchar_t path[kPathChars] = {};
    DWORD chars = kPathChars;
    MsiGetComponentPathW(product, component, path, &chars);
    return Exists(path) ? LongName(path) : std::wstring();
}

// Windows' shell link object lives in a COM apartment, which each read joins for its own time.
class CComApartment {
public:
    CComApartment() : joined_(SUCCEEDED(CoInitialize(nullptr))) {}
    ~CComApartment()
    {
        if (joined_)
            CoUninitialize();
    }
    CComApartment(const CComApartment&) = delete;
    CComApartment& operator=(const CComApartment&) = delete;

private:
    const bool joined_;
};

// The shell's link object with its ".lnk" file loaded; both interfaces are released at the end.
class CLoadedLink {
public:
    CLoadedLink(const std::wstring& linkPath, DWORD mode)
    {
        if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                    reinterpret_cast<void**>(&link_))))
            return;
        if (FAILED(link_->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file_))))
            return;
        loaded_ = SUCCEEDED(file_->Load(linkPath.c_str(), mode));
    }
    ~CLoadedLink()
    {
        if (file_)
            file_->Release();
        if (link_)
            link_->Release();
    }
    CLoadedLink(const CLoadedLink&) = delete;
    CLoadedLink& operator=(const CLoadedLink&) = delete;

    bool Loaded() const { return loaded_; }
    IShellLinkW* operator->() const { return link_; }
    IPersistFile* File() const { return file_; }

private:
    IShellLinkW* link_ = nullptr;
    IPersistFile* file_ = nullptr;
    bool loaded_ = false;
};

// A text the link gives into a buffer of the given size; empty when it gives none.
template <class Getter>
std::wstring LinkText(size_t chars, Getter get)
{
    std::vector<wchar_t> buffer(chars, L'\0');
    if (FAILED(get(buffer.data(), static_cast<int>(chars))))
        return std::wstring();
    return std::wstring(buffer.data());
}

} // namespace

bool CShortcutInventory::LessIgnoringCase::operator()(const std::wstring& a, const std::wstring& b) const
{
    return CStringLess()(a.c_str(), b.c_str());
}

void CShortcutInventory::ScanAll()
{
    for (const auto& [csidl, recursive] : kShortcutFolders) {
        const wchar_t* folder = SpecialFolders().Path(csidl);
        if (!folder)
            break;
        ScanFolder(folder, recursive);
    }
    if (const wchar_t* appData = SpecialFolders().Path(CSIDL_APPDATA))
        ScanFolder(std::wstring(appData) + kPinnedItems, false);
}

void CShortcutInventory::ScanFolder(const std::wstring& folder, bool recursive)
{
    const std::wstring pattern = folder + L"\\*";
    if (folder.empty() || pattern.size() >= kPathChars)
        return;
    WIN32_FIND_DATAW entry {};
    HANDLE find = FindFirstFileW(pattern.c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::wstring name = entry.cFileName;
        const DWORD attributes = entry.dwFileAttributes;
        if (name == L"." || name == L"..")
            continue;
        const bool isFolder = attributes & FILE_ATTRIBUTE_DIRECTORY;
        if (isFolder && (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
            continue;
        const std::wstring path = LongName(folder + L"\\" + name);
        if (isFolder) {
            if (recursive)
                ScanFolder(path, true);
            continue;
        }
        if (!EndsWithIgnoringCase(name, L".lnk") || byFile_.count(path))
            continue;
        auto record = std::make_unique<S_SHORTCUT_INFO>();
        if (!ReadShortcut(path, *record))
            continue;
        byTarget_.emplace(record->target_, record.get());
        byFile_.emplace(path, std::move(record));
    } while (FindNextFileW(find, &entry));
    FindClose(find);
}

bool CShortcutInventory::ReadShortcut(const std::wstring& linkPath, S_SHORTCUT_INFO& record) const
{
    const std::wstring advertised = AdvertisedTarget(linkPath);
    const CComApartment apartment;
    const CLoadedLink link(linkPath, STGM_READ);
    if (!link.Loaded())
        return false;
    const CWow64FsRedirGuard guard;
    std::wstring target = advertised;
    if (target.empty()) {
        const std::wstring shortPath = LinkText(kPathChars, [&](wchar_t* buffer, int chars) {
            return link->GetPath(buffer, chars, nullptr, SLGP_SHORTPATH);
        });
        target = ExistingTarget(shortPath);
    }
    if (target.empty())
        return false;
    const size_t dot = linkPath.rfind(L'.');
    const size_t slash = dot == std::wstring::npos ? std::wstring::npos : linkPath.rfind(L'\\', dot);
    if (slash == std::wstring::npos)
        return false;
    record.target_ = target;
    record.folder_ = linkPath.substr(0, slash);
    record.title_ = linkPath.substr(slash + 1, dot - slash - 1);
    record.workingDir_ = LongName(LinkText(kPathChars, [&](wchar_t* buffer, int chars) {
        return link->GetWorkingDirectory(buffer, chars);
    }));
    record.description_ = LinkText(kDescriptionChars, [&](wchar_t* buffer, int chars) {
        return link->GetDescription(buffer, chars);
    });
    record.arguments_ = LinkText(kPathChars, [&](wchar_t* buffer, int chars) {
        return link->GetArguments(buffer, chars);
    });
    link->GetHotkey(&record.hotKey_);
    link->GetShowCmd(&record.showCmd_);
    record.iconPath_ = LongName(LinkText(kPathChars, [&](wchar_t* buffer, int chars) {
        return link->GetIconLocation(buffer, chars, &record.iconIndex_);
    }));
    record.linkPath_ = linkPath;
    return true;
}

bool CShortcutInventory::FindByTarget(const std::wstring& target, std::vector<S_SHORTCUT_INFO*>& records) const
{
    const auto [first, last] = byTarget_.equal_range(target);
    for (auto it = first; it != last; ++it)
        records.push_back(it->second);
    return !records.empty();
}

void CShortcutInventory::CollectTargets()
{
    if (byTarget_.empty() || !targets_.empty())
        return;
    for (const auto& entry : byTarget_)
        targets_.Add(entry.first.c_str());
}

bool CShortcutInventory::SetShortcutIcon(const S_SHORTCUT_INFO& record, const std::wstring& iconPath) const
{
    if (record.linkPath_.empty() || iconPath.empty())
        return false;
    const CComApartment apartment;
    const CLoadedLink link(record.linkPath_, STGM_READWRITE);
    return link.Loaded() && SUCCEEDED(link->SetIconLocation(iconPath.c_str(), record.iconIndex_)) &&
           SUCCEEDED(link.File()->Save(record.linkPath_.c_str(), TRUE));
}

void CShortcutInventory::FindByFileName(const std::wstring& fileName, std::vector<S_SHORTCUT_INFO*>& records) const
{
    const std::wstring end = L"\\" + fileName;
    const wchar_t* match = nullptr;
    for (const wchar_t* target : targets_) {
        if (!target || !EndsWithIgnoringCase(target, end))
            continue;
        if (match)
            return;
        match = target;
    }
    if (match)
        FindByTarget(match, records);
}

void CShortcutInventory::RenameTarget(const std::wstring& oldTarget, const std::wstring& newTarget)
{
    if (newTarget.empty())
        return;
    for (auto& entry : byTarget_) {
        if (entry.second->target_ == oldTarget)
            entry.second->target_ = newTarget;
    }
}

bool CShortcutInventory::SetIconForTarget(const std::wstring& target, const std::wstring& iconPath) const
{
    if (target.empty() || iconPath.empty())
        return true;
    std::vector<S_SHORTCUT_INFO*> records;
    FindByTarget(target, records);
    for (const S_SHORTCUT_INFO* record : records) {
        if (!SetShortcutIcon(*record, iconPath))
            return false;
    }
    return true;
}

std::unique_ptr<CShortcutInventory> CreateShortcutInventory()
{
    return std::unique_ptr<CShortcutInventory>(new (std::nothrow) CShortcutInventory());
}
