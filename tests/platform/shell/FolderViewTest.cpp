// Item lists made from paths, and showing an item in the file manager through the desktop's opener.
#include "platform/Machine.h"
#include "platform/Windows.h"

#include "support/DesktopOpener.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

class FolderView : public testing::Test {
protected:
    void SetUp() override { machine_.WriteMachineIni("[Drive D]\nFolder=data\n"); }

    HRESULT Show(const wchar_t* path)
    {
        const PIDLIST_ABSOLUTE item = ILCreateFromPathW(path);
        EXPECT_NE(item, nullptr) << "no list for an existing item";
        const HRESULT shown = SHOpenFolderAndSelectItems(item, 0, nullptr, 0);
        ILFree(item);
        return shown;
    }

    testing_support::TempMachine machine_;
    testing_support::DesktopOpener opener_{machine_};
};

TEST_F(FolderView, AFileOrFolderIsShownInItsParentAndADriveShowsItself)
{
    const std::string file = machine_.WriteFile("data/Media/film.iso", "frames");
    wchar_t path[MAX_PATH] = {};
    const PIDLIST_ABSOLUTE item = ILCreateFromPathW(L"d:/Media/film.iso");
    ASSERT_NE(item, nullptr);
    ASSERT_TRUE(SHGetPathFromIDListW(item, path));
    EXPECT_STREQ(path, L"D:\\Media\\film.iso");
    ILFree(item);

    EXPECT_EQ(Show(L"D:\\Media\\film.iso"), S_OK);
    EXPECT_EQ(Show(L"D:\\Media"), S_OK);
    EXPECT_EQ(Show(L"D:\\"), S_OK);
    const std::string drive = platform::HostPath(L"D:\\");
    const std::string media = fs::path(file).parent_path().string();
    // Each opener runs on its own: they may end in any order.
    std::vector<std::string> opened = opener_.Opened(3);
    std::sort(opened.begin(), opened.end());
    EXPECT_EQ(opened, (std::vector<std::string> {drive, drive, media}));
}

TEST_F(FolderView, MissingItemsAndUnknownFormsAreRefused)
{
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(ILCreateFromPathW(L"D:\\gone.txt"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(ILCreateFromPathW(nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

    PIDLIST_ABSOLUTE computer = nullptr;
    ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computer), S_OK);
    EXPECT_EQ(SHOpenFolderAndSelectItems(computer, 0, nullptr, 0), E_INVALIDARG);
    PCUITEMID_CHILD child = computer;
    EXPECT_EQ(SHOpenFolderAndSelectItems(computer, 1, &child, 0), E_INVALIDARG);
    ILFree(computer);
    EXPECT_EQ(SHOpenFolderAndSelectItems(nullptr, 0, nullptr, 0), E_INVALIDARG);
}

TEST_F(FolderView, AFolderThatCannotBeOpenedIsAFailure)
{
    machine_.WriteFile("data/notes.txt", "text");
    opener_.Remove();
    EXPECT_EQ(Show(L"D:\\notes.txt"), HRESULT_FROM_WIN32(ERROR_NO_ASSOCIATION));
}

} // namespace
