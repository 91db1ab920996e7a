#include "platform/Windows.h"

#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using testing_support::TempMachine;

namespace {

// C: the system, D: a fixed disk with a label, E: a USB stick, F: an optical drive, G: a fixed
// disk without a label, Z: a network drive.
void DescribeDrives(const TempMachine& machine)
{
    machine.WriteMachineIni("[Drive C]\nLabel=System\n"
                            "[Drive D]\nFolder=data\nLabel=Data\nDisk=1\n"
                            "[Drive E]\nFolder=usb\nType=2\nBus=7\nLabel=STICK\n"
                            "[Drive F]\nFolder=dvd\nType=5\nLabel=\n"
                            "[Drive G]\nFolder=spare\nLabel=\n"
                            "[Drive Z]\nFolder=net\nType=4\nDisk=-1\nLabel=Share\n");
}

struct ListFree {
    void operator()(ITEMIDLIST* list) const { CoTaskMemFree(list); }
};
using IdList = std::unique_ptr<ITEMIDLIST, ListFree>;

template <class Interface>
struct Releaser {
    void operator()(Interface* object) const { object->Release(); }
};
template <class Interface>
using ComPtr = std::unique_ptr<Interface, Releaser<Interface>>;

ComPtr<IShellFolder> Desktop()
{
    IShellFolder* desktop = nullptr;
    EXPECT_EQ(SHGetDesktopFolder(&desktop), S_OK);
    return ComPtr<IShellFolder>(desktop);
}

ComPtr<IShellFolder2> Bind(IShellFolder* parent, LPCITEMIDLIST list, HRESULT expected = S_OK)
{
    void* folder = nullptr;
    EXPECT_EQ(parent->BindToObject(list, nullptr, IID_IShellFolder2, &folder), expected);
    return ComPtr<IShellFolder2>(static_cast<IShellFolder2*>(folder));
}

std::vector<IdList> Children(IShellFolder* folder, DWORD flags)
{
    IEnumIDList* enumerator = nullptr;
    EXPECT_EQ(folder->EnumObjects(nullptr, flags, &enumerator), S_OK);
    std::vector<IdList> children;
    if (!enumerator)
        return children;
    PITEMID_CHILD child = nullptr;
    ULONG fetched = 0;
    while (enumerator->Next(1, &child, &fetched) == S_OK && fetched == 1)
        children.emplace_back(child);
    enumerator->Release();
    return children;
}

std::wstring PathOf(LPCITEMIDLIST list)
{
    WCHAR path[MAX_PATH] = L"junk";
    return SHGetPathFromIDListW(list, path) ? path : L"(none:" + std::wstring(path) + L")";
}

IdList Parse(const std::wstring& name, HRESULT expected = S_OK)
{
    std::wstring text = name;
    PIDLIST_RELATIVE list = nullptr;
    EXPECT_EQ(Desktop()->ParseDisplayName(nullptr, nullptr, text.data(), nullptr, &list, nullptr), expected) << name;
    return IdList(list);
}

} // namespace

TEST(ShellDrives, TheComputerListsEveryDriveWithTheShellsNamesIconsAndAttributes)
{
    TempMachine machine;
    DescribeDrives(machine);
    PIDLIST_ABSOLUTE raw = nullptr;
    ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &raw), S_OK);
    IdList computer(raw);
    EXPECT_EQ(PathOf(computer.get()), L"(none:)");

    auto drives = Bind(Desktop().get(), computer.get());
    ASSERT_TRUE(drives);
    EXPECT_TRUE(Children(drives.get(), SHCONTF_NONFOLDERS).empty());
    const auto children = Children(drives.get(), SHCONTF_FOLDERS);
    std::vector<std::wstring> names, paths, types;
    std::vector<int> icons;
    for (const auto& child : children) {
        IdList absolute(ILCombine(computer.get(), child.get()));
        SHFILEINFOW info{};
        ASSERT_NE(SHGetFileInfoW(reinterpret_cast<LPCWSTR>(absolute.get()), 0, &info, sizeof(info),
                                 SHGFI_PIDL | SHGFI_ATTRIBUTES | SHGFI_DISPLAYNAME | SHGFI_TYPENAME | SHGFI_SYSICONINDEX),
                  0u);
        constexpr DWORD kDriveBits = SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR | SFGAO_DROPTARGET | SFGAO_CANRENAME;
        EXPECT_EQ(info.dwAttributes & kDriveBits, kDriveBits);
        names.push_back(info.szDisplayName);
        types.push_back(info.szTypeName);
        icons.push_back(info.iIcon);
        paths.push_back(PathOf(absolute.get()));
    }
    EXPECT_EQ(names, (std::vector<std::wstring>{L"System (C:)", L"Data (D:)", L"STICK (E:)", L"CD Drive (F:)",
                                                 L"Local Disk (G:)", L"Share (Z:)"}));
    EXPECT_EQ(paths, (std::vector<std::wstring>{L"C:\\", L"D:\\", L"E:\\", L"F:\\", L"G:\\", L"Z:\\"}));
    EXPECT_EQ(types, (std::vector<std::wstring>{L"Local Disk", L"Local Disk", L"Removable Disk", L"CD Drive",
                                                 L"Local Disk", L"Network Drive"}));
    EXPECT_EQ(icons[0], icons[1]);
    EXPECT_NE(icons[1], icons[2]);
    EXPECT_NE(icons[1], icons[5]);
}

TEST(ShellDrives, FoldersAndFilesBelowADriveAreNamedParsedAndListed)
{
    TempMachine machine;
    DescribeDrives(machine);
    machine.WriteFile("data/Media/film.iso", "x");
    machine.WriteFile("data/Media/secret.bin", "y");
    machine.WriteFile("data/Media/Clips/a.mp4", "z");
    ASSERT_TRUE(SetFileAttributesW(L"D:\\Media\\secret.bin", FILE_ATTRIBUTE_HIDDEN));

    IdList media = Parse(L"d:/Media/");
    EXPECT_EQ(PathOf(media.get()), L"D:\\Media");
    SHFILEINFOW info{};
    ASSERT_NE(SHGetFileInfoW(L"D:\\Media\\film.iso", 0, &info, sizeof(info), SHGFI_DISPLAYNAME | SHGFI_TYPENAME |
                                                                                SHGFI_ATTRIBUTES),
              0u);
    EXPECT_STREQ(info.szDisplayName, L"film.iso");
    EXPECT_STREQ(info.szTypeName, L"ISO File");
    EXPECT_EQ(info.dwAttributes & (SFGAO_FOLDER | SFGAO_FILESYSTEM), static_cast<DWORD>(SFGAO_FILESYSTEM));
    EXPECT_EQ(SHGetFileInfoW(L"D:\\Media\\gone.iso", 0, &info, sizeof(info), SHGFI_DISPLAYNAME), 0u);

    auto folder = Bind(Desktop().get(), media.get());
    ASSERT_TRUE(folder);
    const auto names = [&](DWORD flags) {
        std::vector<std::wstring> found;
        for (const auto& child : Children(folder.get(), flags)) {
            IdList absolute(ILCombine(media.get(), child.get()));
            found.push_back(PathOf(absolute.get()));
        }
        std::sort(found.begin(), found.end());
        return found;
    };
    EXPECT_EQ(names(SHCONTF_FOLDERS), (std::vector<std::wstring>{L"D:\\Media\\Clips"}));
    EXPECT_EQ(names(SHCONTF_NONFOLDERS), (std::vector<std::wstring>{L"D:\\Media\\film.iso"}));
    EXPECT_EQ(names(SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN),
              (std::vector<std::wstring>{L"D:\\Media\\Clips", L"D:\\Media\\film.iso", L"D:\\Media\\secret.bin"}));

    // Names relative to a folder, and binding: a file is no folder, a vanished folder is gone.
    std::wstring relative = L"Clips";
    PIDLIST_RELATIVE clips = nullptr;
    ASSERT_EQ(folder->ParseDisplayName(nullptr, nullptr, relative.data(), nullptr, &clips, nullptr), S_OK);
    IdList clipsList(clips);
    EXPECT_TRUE(Bind(folder.get(), clipsList.get()));
    IdList film = Parse(L"D:\\Media\\film.iso");
    EXPECT_FALSE(Bind(Desktop().get(), film.get(), E_INVALIDARG));
    ASSERT_TRUE(DeleteFileW(L"D:\\Media\\Clips\\a.mp4"));
    ASSERT_TRUE(RemoveDirectoryW(L"D:\\Media\\Clips"));
    EXPECT_FALSE(Bind(folder.get(), clipsList.get(), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)));
}

TEST(ShellDrives, BadNamesAndListsAreRefusedWithoutHarm)
{
    TempMachine machine;
    DescribeDrives(machine);
    Parse(L"D:\\nothing\\here.txt", HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND));
    Parse(L"D:\\missing.txt", HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    Parse(L"Q:\\", HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND));
    Parse(L"relative\\name", E_INVALIDARG);
    IdList computer = Parse(L"::{20d04fe0-3aea-1069-a2d8-08002b30309d}");
    EXPECT_EQ(PathOf(computer.get()), L"(none:)");

    // An item of unknown bytes names nothing.
    const unsigned char junk[] = {5, 0, 'X', 'Y', 'Z', 0, 0};
    EXPECT_EQ(PathOf(reinterpret_cast<LPCITEMIDLIST>(junk)), L"(none:)");
    SHFILEINFOW info{};
    EXPECT_EQ(SHGetFileInfoW(reinterpret_cast<LPCWSTR>(junk), 0, &info, sizeof(info), SHGFI_PIDL | SHGFI_DISPLAYNAME),
              0u);
    EXPECT_FALSE(Bind(Desktop().get(), reinterpret_cast<LPCITEMIDLIST>(junk), E_INVALIDARG));
    EXPECT_EQ(ILCombine(nullptr, nullptr), nullptr);

    // A path longer than MAX_PATH has no place in the caller's buffer.
    std::string deep = "data";
    for (int i = 0; i < 30; ++i)
        deep += "/folder-number-" + std::to_string(i);
    machine.WriteFile(deep + "/f.bin", "x");
    std::wstring windows = L"D:";
    for (int i = 0; i < 30; ++i)
        windows += L"\\folder-number-" + std::to_wstring(i);
    IdList long_ = Parse(windows + L"\\f.bin");
    ASSERT_TRUE(long_);
    EXPECT_EQ(PathOf(long_.get()), L"(none:)");
}
