// Windows Installer's answers about advertised shortcuts: the codes a shortcut carries, and where
// the machine's registry has the component installed.
#include "platform/Machine.h"
#include "platform/RegistrySeed.h"
#include "platform/Text.h"
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

// The descriptors as Windows Installer writes them: each code packed into 20 characters.
TEST_F(InstallerTest, CompressedDescriptorsGiveTheirCodesAndFeature)
{
    // kProduct and kComponent packed; and a descriptor of a word processor's real installation,
    // whose product code is published.
    const std::wstring product = L"9`Cq(O~O`p9`ObNOoAKv";
    const std::wstring component = L"jB!r'Z@CuIK*)(c8o^Kv";
    const struct {
        std::wstring text;
        UINT result;
        std::wstring product;
        std::wstring feature;
        std::wstring component;
    } cases[] = {
        {product + L"Complete>" + component, ERROR_SUCCESS, kProduct, L"Complete", kComponent},
        {L"']gAVn-}f(ZXfeAR6.jiWORDFiles>P`os,1@SW=P7v6GPl]Xh", ERROR_SUCCESS,
         L"{90110409-6000-11D3-8CFE-0150048383C9}", L"WORDFiles", L"{1EBDE4BC-9A51-4630-B541-2561FA45CCC5}"},
        // A spreadsheet's shortcut from a real installation: a character follows the component.
        {L"w_1^VX!!!!!!!!!MKKSkEXCELFiles>tW{~$4Q]c@II=l2xaTO5Z", ERROR_SUCCESS,
         L"{91120000-0030-0000-0000-0000000FF1CE}", L"EXCELFiles", L"{0638C49D-BB8B-4CD1-B191-052E8F325736}"},
        {kProduct + L"Complete>" + kComponent + L" /e", ERROR_SUCCESS, kProduct, L"Complete", kComponent},
        {product + L">" + component, ERROR_SUCCESS, kProduct, L"", kComponent},
        {product + L"Complete<", ERROR_SUCCESS, kProduct, L"Complete", L""},
        {kProduct + L"Complete>" + kComponent, ERROR_SUCCESS, kProduct, L"Complete", kComponent},
        {L"\"" + product.substr(1) + L"Complete>" + component, ERROR_FUNCTION_FAILED, L"", L"", L""},
        {L"~~~~~" + product.substr(5) + L"Complete>" + component, ERROR_FUNCTION_FAILED, L"", L"", L""},
        {product + L"Complete>" + component.substr(1), ERROR_FUNCTION_FAILED, L"", L"", L""},
        {product + L"Complete", ERROR_FUNCTION_FAILED, L"", L"", L""},
    };
    for (const auto& c : cases) {
        machine_.WriteFile("drive_c/Links/app.lnk", testing_support::AdvertisedShortcut(c.text));
        wchar_t productOut[39] = {}, featureOut[MAX_FEATURE_CHARS + 1] = {}, componentOut[39] = {};
        EXPECT_EQ(c.result, MsiGetShortcutTargetW(L"C:\\Links\\app.lnk", productOut, featureOut, componentOut))
            << platform::ToUtf8(c.text);
        EXPECT_EQ(c.product, productOut) << platform::ToUtf8(c.text);
        EXPECT_EQ(c.feature, featureOut) << platform::ToUtf8(c.text);
        EXPECT_EQ(c.component, componentOut) << platform::ToUtf8(c.text);
    }
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
