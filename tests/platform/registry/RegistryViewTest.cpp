#include "RegistryTestSupport.h"

#include "platform/RegistrySeed.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

using namespace registry_test;
using testing_support::TempMachine;

TEST(RegistryView, ThirtyTwoBitProgramsWriteBelowWow6432NodeOnA64BitMachine)
{
    TempMachine machine;
    Key key;
    ASSERT_EQ(Create(key, HKEY_LOCAL_MACHINE, L"SOFTWARE\\Orvane\\Quarnel"), ERROR_SUCCESS);
    ASSERT_EQ(SetDword(key, L"Build", 32), ERROR_SUCCESS);

    Key physical;
    ASSERT_EQ(Open(physical, HKEY_LOCAL_MACHINE, L"SOFTWARE\\WOW6432Node\\Orvane\\Quarnel", KEY_READ | KEY_WOW64_64KEY),
              ERROR_SUCCESS);
    EXPECT_EQ(QueryDword(physical, L"Build"), 32u);
    EXPECT_FALSE(Exists(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Orvane", KEY_WOW64_64KEY));

    // The 64-bit view has a key of its own under the same name.
    Key native;
    ASSERT_EQ(Create(native, HKEY_LOCAL_MACHINE, L"SOFTWARE\\Orvane\\Quarnel", KEY_ALL_ACCESS | KEY_WOW64_64KEY), ERROR_SUCCESS);
    ASSERT_EQ(SetDword(native, L"Build", 64), ERROR_SUCCESS);
    Key reread;
    ASSERT_EQ(Open(reread, HKEY_LOCAL_MACHINE, L"SOFTWARE\\Orvane\\Quarnel", KEY_READ | KEY_WOW64_32KEY), ERROR_SUCCESS);
    EXPECT_EQ(QueryDword(reread, L"Build"), 32u);

    // Naming WOW6432Node from the 32-bit view does not redirect twice.
    EXPECT_TRUE(Exists(HKEY_LOCAL_MACHINE, L"SOFTWARE\\WOW6432Node\\Orvane\\Quarnel"));

    EXPECT_EQ(RegDeleteKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Orvane\\Quarnel", KEY_WOW64_64KEY, 0), ERROR_SUCCESS);
    EXPECT_FALSE(Exists(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Orvane\\Quarnel", KEY_WOW64_64KEY));
    EXPECT_TRUE(Exists(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Orvane\\Quarnel", KEY_WOW64_32KEY));
}

TEST(RegistryView, ClassesAreSharedAndAreTheClassesRoot)
{
    TempMachine machine;
    Key extension;
    ASSERT_EQ(Create(extension, HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\.iso"), ERROR_SUCCESS);
    ASSERT_EQ(SetString(extension, nullptr, L"Orvane.Image"), ERROR_SUCCESS);
    EXPECT_TRUE(Exists(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\.iso", KEY_WOW64_64KEY));
    Key viaRoot;
    ASSERT_EQ(Open(viaRoot, HKEY_CLASSES_ROOT, L".ISO"), ERROR_SUCCESS);
    EXPECT_EQ(QueryText(viaRoot, nullptr), std::wstring(L"Orvane.Image", 13));
}

TEST(RegistryView, PoliciesAreSharedByBothViews)
{
    TempMachine machine;
    Key policy;
    ASSERT_EQ(Create(policy, HKEY_LOCAL_MACHINE, L"SOFTWARE\\Policies\\Microsoft\\Windows\\WindowsUpdate\\AU"),
              ERROR_SUCCESS);
    EXPECT_TRUE(Exists(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Policies\\Microsoft\\Windows\\WindowsUpdate\\AU", KEY_WOW64_64KEY));
    EXPECT_FALSE(Exists(HKEY_LOCAL_MACHINE, L"SOFTWARE\\WOW6432Node\\Policies", KEY_WOW64_64KEY));
}

TEST(RegistryView, HandlesKeepTheirViewForKeysBelowThem)
{
    TempMachine machine;
    Key software64;
    ASSERT_EQ(Open(software64, HKEY_LOCAL_MACHINE, L"SOFTWARE", KEY_ALL_ACCESS | KEY_WOW64_64KEY), ERROR_SUCCESS);
    Key below;
    ASSERT_EQ(Create(below, software64, L"Native"), ERROR_SUCCESS);
    EXPECT_TRUE(Exists(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Native", KEY_WOW64_64KEY));
    EXPECT_FALSE(Exists(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Native", KEY_WOW64_32KEY));

    Key software32;
    ASSERT_EQ(Open(software32, HKEY_LOCAL_MACHINE, L"SOFTWARE", KEY_ALL_ACCESS), ERROR_SUCCESS);
    ASSERT_EQ(Create(below, software32, L"Wow"), ERROR_SUCCESS);
    EXPECT_TRUE(Exists(HKEY_LOCAL_MACHINE, L"SOFTWARE\\WOW6432Node\\Wow", KEY_WOW64_64KEY));
}

TEST(RegistryView, A64BitProgramWritesTheNativeViewByDefault)
{
    TempMachine machine;
    platform::SetDefaultRegistryView64(true);
    Key key;
    const LSTATUS status = Create(key, HKEY_LOCAL_MACHINE, L"SOFTWARE\\SixtyFour");
    platform::SetDefaultRegistryView64(false);
    ASSERT_EQ(status, ERROR_SUCCESS);
    EXPECT_TRUE(Exists(HKEY_LOCAL_MACHINE, L"SOFTWARE\\SixtyFour", KEY_WOW64_64KEY));
    EXPECT_FALSE(Exists(HKEY_LOCAL_MACHINE, L"SOFTWARE\\SixtyFour"));
}

TEST(RegistryView, A32BitMachineHasOneView)
{
    TempMachine machine;
    machine.WriteMachineIni("[Machine]\nIs64Bit=0\n");
    Key key;
    ASSERT_EQ(Create(key, HKEY_LOCAL_MACHINE, L"SOFTWARE\\Orvane", KEY_ALL_ACCESS | KEY_WOW64_32KEY), ERROR_SUCCESS);
    EXPECT_TRUE(Exists(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Orvane", KEY_WOW64_64KEY));
    EXPECT_TRUE(Exists(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Orvane"));
    EXPECT_FALSE(Exists(HKEY_LOCAL_MACHINE, L"SOFTWARE\\WOW6432Node"));
}
