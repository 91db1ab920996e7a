// The Windows Update page against the machine's registry and stand-in sc and net: disabling
// writes the medic service's start value and the policy values and stops the update service,
// enabling restores them; a service manager that fails is reported as a failure.
#include "DisableUpdateWidget.h"

#include "RepairPageSupport.h"

#include "MessageBox.h"

#include "platform/RegistrySeed.h"
#include "platform/Windows.h"

namespace {

using repair_test::RepairPageTest;

const wchar_t* const AU_KEY = L"Software\\Policies\\Microsoft\\Windows\\WindowsUpdate\\AU";

class WindowsUpdatePageTest : public RepairPageTest {
protected:
    void SetUp() override
    {
        RepairPageTest::SetUp();
        ASSERT_TRUE(platform::ImportRegistryText(
                        L"Windows Registry Editor Version 5.00\r\n\r\n"
                        L"[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\wuauserv]\r\n"
                        L"\"Start\"=dword:00000002\r\n\r\n"
                        L"[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\WaaSMedicSvc]\r\n"
                        L"\"DisplayName\"=\"Windows Update Medic Service\"\r\n\"Start\"=dword:00000002\r\n")
                        .ok);
    }

    // The DWORD value, or -1 when it cannot be read.
    static long long Dword(const wchar_t* key, const wchar_t* name)
    {
        DWORD value = 0;
        DWORD size = sizeof(value);
        if (RegGetValueW(HKEY_LOCAL_MACHINE, key, name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS)
            return -1;
        return value;
    }
    // Seeded through the program's own registry view, as another program of the machine would.
    static void SetDword(const wchar_t* key, const wchar_t* name, DWORD value)
    {
        HKEY handle = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle, nullptr), ERROR_SUCCESS);
        EXPECT_EQ(RegSetValueExW(handle, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value)), ERROR_SUCCESS);
        RegCloseKey(handle);
    }
    static long long ServiceValue(const wchar_t* service, const wchar_t* name)
    {
        return Dword((std::wstring(L"SYSTEM\\CurrentControlSet\\Services\\") + service).c_str(), name);
    }
};

TEST_F(WindowsUpdatePageTest, DisablingThenEnablingWritesAndRestoresEveryValue)
{
    CDisableUpdateWidget page(nullptr);
    EXPECT_EQ(ActionButtonText(&page), QStringLiteral("Disable")) << "the update service runs";

    PressActionButton(&page);
    EXPECT_EQ(ServiceValue(L"WaaSMedicSvc", L"Start"), 4);
    EXPECT_EQ(Dword(AU_KEY, L"NoAutoUpdate"), 1) << "the policy keys are made when missing";
    EXPECT_EQ(Dword(AU_KEY, L"AUOptions"), 1);
    EXPECT_EQ(ServiceValue(L"wuauserv", L"Start"), 4);
    EXPECT_FALSE(CDisableUpdateWidget::IsUpdateServiceRunning());
    ASSERT_EQ(ResultBoxes().size(), 1u);
    EXPECT_TRUE(BoxText(ResultBoxes()[0]).contains(QStringLiteral("Operation Completed")));
    EXPECT_TRUE(BoxText(ResultBoxes()[0]).contains(QStringLiteral("Automatic Updates have been disabled.")));
    EXPECT_EQ(ActionButtonText(&page), QStringLiteral("Enable"));

    PressActionButton(&page);
    EXPECT_EQ(ServiceValue(L"WaaSMedicSvc", L"Start"), 2);
    EXPECT_EQ(Dword(AU_KEY, L"NoAutoUpdate"), 0);
    EXPECT_EQ(Dword(AU_KEY, L"AUOptions"), 3);
    EXPECT_EQ(ServiceValue(L"wuauserv", L"Start"), 2);
    EXPECT_TRUE(CDisableUpdateWidget::IsUpdateServiceRunning());
    ASSERT_EQ(ResultBoxes().size(), 2u);
    EXPECT_TRUE(BoxText(ResultBoxes()[1]).contains(QStringLiteral("Automatic Updates have been enabled.")));
    EXPECT_EQ(ActionButtonText(&page), QStringLiteral("Disable"));

    EXPECT_EQ(Attributes("WindowsUpdate", "Result_Disable", 1), QStringList {QStringLiteral("{\"Disableresult\": \"Success\"}")});
    EXPECT_EQ(Attributes("WindowsUpdate", "Result_Enable", 1), QStringList {QStringLiteral("{\"Enableresult\": \"Success\"}")});
}

TEST_F(WindowsUpdatePageTest, ExistingPolicyKeysKeepTheirOtherValues)
{
    SetDword(L"Software\\Policies\\Microsoft\\Windows\\WindowsUpdate", L"ElevateNonAdmins", 1);
    SetDword(AU_KEY, L"ScheduledInstallDay", 3);
    ASSERT_TRUE(CDisableUpdateWidget::SetUpdatePolicy(1, 1));
    EXPECT_EQ(Dword(AU_KEY, L"ScheduledInstallDay"), 3);
    EXPECT_EQ(Dword(AU_KEY, L"NoAutoUpdate"), 1);
    EXPECT_EQ(Dword(L"Software\\Policies\\Microsoft\\Windows\\WindowsUpdate", L"ElevateNonAdmins"), 1);
}

TEST_F(WindowsUpdatePageTest, AFailingServiceManagerIsNoSuccessAndKeepsTheLabel)
{
    FailProgram(L"sc", L"exit");
    CDisableUpdateWidget page(nullptr);
    EXPECT_EQ(ActionButtonText(&page), QStringLiteral("Disable")) << "an unreadable service counts as running";

    PressActionButton(&page);
    ASSERT_EQ(ResultBoxes().size(), 1u);
    EXPECT_TRUE(BoxText(ResultBoxes()[0]).contains(QStringLiteral("Operation Failed")));
    EXPECT_TRUE(BoxText(ResultBoxes()[0]).contains(QStringLiteral("Automatic Updates could not be disabled.")));
    EXPECT_FALSE(BoxText(ResultBoxes()[0]).contains(QStringLiteral("have been disabled")));
    EXPECT_EQ(ActionButtonText(&page), QStringLiteral("Disable"));
    EXPECT_EQ(Attributes("WindowsUpdate", "Result_Disable", 1), QStringList {QStringLiteral("{\"Disableresult\": \"Null\"}")});
}

} // namespace
