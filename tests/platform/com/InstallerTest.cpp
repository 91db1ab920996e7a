// Windows Installer's answers about advertised shortcuts: the codes a shortcut carries, and where
// the machine's registry has the component installed.
#include "platform/Machine.h"
#include "platform/RegistrySeed.h"
#include "platform/Windows.h"

#include "support/AdvertisedShortcut.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <cwchar>

namespace {

const std::wstring kProduct = L"{12345678-9ABC-DEF0-1234-56789ABCDEF0}";
const std::wstring kComponent = L"{0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0}";
// the same codes as the installer's keys write them
const wchar_t kPackedProduct[] = L"87654321CBA90FED21436587A9CBED0F";
const wchar_t kPackedComponent[] = L"C3D2E1F0A5B4879678695A4B3C2D1E0F";

class InstallerTest : public testing::Test {
protected:
    testing_support::TempMachine machine_;
};

TEST_F(InstallerTest, AnAdvertisedShortcutGivesItsCodesAndOtherFilesGiveNone)
{
    machine_.WriteFile("drive_c/Links/app.lnk", testing_support::AdvertisedShortcut(kProduct + L"Complete>" + kComponent));
    machine_.WriteFile("drive_c/Links/bad.lnk", testing_support::AdvertisedShortcut(kProduct + L"Complete" + kComponent));
    machine_.WriteFile("drive_c/Links/short.lnk", std::string(0x4C, '\0'));
    machine_.WriteFile("drive_c/Links/cut.lnk", testing_support::AdvertisedShortcut(kProduct + L">" + kComponent).substr(0, 300));

    wchar_t product[39] = {}, feature[MAX_FEATURE_CHARS + 1] = {}, component[39] = {};
    ASSERT_EQ(MsiGetShortcutTargetW(L"C:\\Links\\app.lnk", product, feature, component), static_cast<UINT>(ERROR_SUCCESS));
    EXPECT_EQ(product, kProduct);
    EXPECT_STREQ(feature, L"Complete");
    EXPECT_EQ(component, kComponent);
    EXPECT_EQ(MsiGetShortcutTargetW(L"C:\\Links\\app.lnk", nullptr, nullptr, component), static_cast<UINT>(ERROR_SUCCESS));

    for (const wchar_t* other : {L"C:\\Links\\bad.lnk", L"C:\\Links\\short.lnk", L"C:\\Links\\cut.lnk",
                                 L"C:\\Links\\missing.lnk", L"/etc/passwd"})
        EXPECT_EQ(MsiGetShortcutTargetW(other, product, feature, component), static_cast<UINT>(ERROR_FUNCTION_FAILED))
            << other;
}

TEST_F(InstallerTest, AComponentsPathComesFromTheRegistryAndItsFileDecidesTheState)
{
    const std::wstring key = std::wstring(L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\"
                                          L"UserData\\S-1-5-18\\Components\\") + kPackedComponent + L"]\n";
    ASSERT_TRUE(platform::ImportRegistryText(L"Windows Registry Editor Version 5.00\n" + key + L"\"" + kPackedProduct +
                                             L"\"=\"C:\\\\Program Files\\\\App\\\\app.exe\"\n")
                    .ok);
    const std::wstring expected = L"C:\\Program Files\\App\\app.exe";
    wchar_t path[MAX_PATH] = {};
    DWORD chars = MAX_PATH;
    EXPECT_EQ(MsiGetComponentPathW(kProduct.c_str(), kComponent.c_str(), path, &chars), INSTALLSTATE_ABSENT);
    EXPECT_EQ(path, expected);
    EXPECT_EQ(chars, expected.size());

    machine_.WriteFile("drive_c/Program Files/App/app.exe", "");
    chars = MAX_PATH;
    EXPECT_EQ(MsiGetComponentPathW(kProduct.c_str(), kComponent.c_str(), path, &chars), INSTALLSTATE_LOCAL);
    chars = 5;
    EXPECT_EQ(MsiGetComponentPathW(kProduct.c_str(), kComponent.c_str(), path, &chars), INSTALLSTATE_MOREDATA);
    EXPECT_EQ(chars, expected.size());

    chars = MAX_PATH;
    EXPECT_EQ(MsiGetComponentPathW(kComponent.c_str(), kProduct.c_str(), path, &chars), INSTALLSTATE_UNKNOWN);
    EXPECT_EQ(MsiGetComponentPathW(L"not a code", kComponent.c_str(), path, &chars), INSTALLSTATE_INVALIDARG);
}

} // namespace
