#include "platform/Windows.h"

#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <cstdlib>

using testing_support::TempMachine;

namespace {

// The variable's value, or "<unset>".
std::wstring Variable(const wchar_t* name)
{
    wchar_t buffer[512];
    SetLastError(0);
    const DWORD length = GetEnvironmentVariableW(name, buffer, 512);
    if (length == 0 && GetLastError() == ERROR_ENVVAR_NOT_FOUND)
        return L"<unset>";
    return std::wstring(buffer, length);
}

std::wstring Expanded(const wchar_t* text)
{
    wchar_t buffer[512];
    const DWORD size = ExpandEnvironmentStringsW(text, buffer, 512);
    return size > 0 && size <= 512 ? std::wstring(buffer, size - 1) : L"<failed>";
}

} // namespace

TEST(Environment, MachineVariablesOn64BitWindowsAreThoseOfAWow64Process)
{
    TempMachine machine;
    machine.WriteMachineIni("[Machine]\nUserName=Alex\nComputerName=STUDY-PC\n");
    EXPECT_EQ(Variable(L"USERPROFILE"), L"C:\\Users\\Alex");
    EXPECT_EQ(Variable(L"APPDATA"), L"C:\\Users\\Alex\\AppData\\Roaming");
    EXPECT_EQ(Variable(L"LOCALAPPDATA"), L"C:\\Users\\Alex\\AppData\\Local");
    EXPECT_EQ(Variable(L"TEMP"), L"C:\\Users\\Alex\\AppData\\Local\\Temp");
    EXPECT_EQ(Variable(L"TMP"), L"C:\\Users\\Alex\\AppData\\Local\\Temp");
    EXPECT_EQ(Variable(L"windir"), L"C:\\Windows");
    EXPECT_EQ(Variable(L"SystemRoot"), L"C:\\Windows");
    EXPECT_EQ(Variable(L"SystemDrive"), L"C:");
    EXPECT_EQ(Variable(L"ProgramFiles"), L"C:\\Program Files (x86)");
    EXPECT_EQ(Variable(L"ProgramFiles(x86)"), L"C:\\Program Files (x86)");
    EXPECT_EQ(Variable(L"ProgramW6432"), L"C:\\Program Files");
    EXPECT_EQ(Variable(L"CommonProgramFiles"), L"C:\\Program Files (x86)\\Common Files");
    EXPECT_EQ(Variable(L"CommonProgramFiles(x86)"), L"C:\\Program Files (x86)\\Common Files");
    EXPECT_EQ(Variable(L"CommonProgramW6432"), L"C:\\Program Files\\Common Files");
    EXPECT_EQ(Variable(L"ProgramData"), L"C:\\ProgramData");
    EXPECT_EQ(Variable(L"ALLUSERSPROFILE"), L"C:\\ProgramData");
    EXPECT_EQ(Variable(L"PUBLIC"), L"C:\\Users\\Public");
    EXPECT_EQ(Variable(L"COMPUTERNAME"), L"STUDY-PC");
    EXPECT_EQ(Variable(L"USERNAME"), L"Alex");
    EXPECT_EQ(Variable(L"PROCESSOR_ARCHITECTURE"), L"x86");
    EXPECT_EQ(Variable(L"PROCESSOR_ARCHITEW6432"), L"AMD64");
}

TEST(Environment, On32BitWindowsThe64BitVariablesAreMissing)
{
    TempMachine machine;
    machine.WriteMachineIni("[Machine]\nIs64Bit=0\n");
    EXPECT_EQ(Variable(L"ProgramFiles"), L"C:\\Program Files");
    EXPECT_EQ(Variable(L"CommonProgramFiles"), L"C:\\Program Files\\Common Files");
    for (const wchar_t* name : {L"ProgramFiles(x86)", L"ProgramW6432", L"CommonProgramFiles(x86)",
                                L"CommonProgramW6432", L"PROCESSOR_ARCHITEW6432"})
        EXPECT_EQ(Variable(name), L"<unset>") << name;
}

TEST(Environment, HostVariablesShowThroughUnlessTheMachineDefinesTheName)
{
    setenv("QUARNEL_ENV_PROBE", "from the host", 1);
    setenv("USERNAME", "hostuser", 1);
    TempMachine machine;
    EXPECT_EQ(Variable(L"quarnel_env_probe"), L"from the host");
    EXPECT_EQ(Variable(L"UserName"), L"Owner");
}

TEST(Environment, SizesFollowWindowsRules)
{
    TempMachine machine;
    wchar_t buffer[32] = L"untouched";
    EXPECT_EQ(GetEnvironmentVariableW(L"WINDIR", buffer, 10), 11u);
    EXPECT_STREQ(buffer, L"untouched");
    EXPECT_EQ(GetEnvironmentVariableW(L"WINDIR", nullptr, 0), 11u);
    EXPECT_EQ(GetEnvironmentVariableW(L"WINDIR", buffer, 11), 10u);
    EXPECT_STREQ(buffer, L"C:\\Windows");

    EXPECT_EQ(GetEnvironmentVariableW(L"QUARNEL_NOT_SET", buffer, 32), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ENVVAR_NOT_FOUND));
    ASSERT_TRUE(SetEnvironmentVariableW(L"QUARNEL_EMPTY", L""));
    EXPECT_EQ(GetEnvironmentVariableW(L"QUARNEL_EMPTY", buffer, 32), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
}

TEST(Environment, VariablesAreSetAndRemovedIgnoringCase)
{
    TempMachine machine;
    ASSERT_TRUE(SetEnvironmentVariableW(L"Quarnel_Mode", L"quiet"));
    EXPECT_EQ(Variable(L"QUARNEL_MODE"), L"quiet");
    ASSERT_TRUE(SetEnvironmentVariableW(L"QUARNEL_MODE", L"loud"));
    EXPECT_EQ(Variable(L"quarnel_mode"), L"loud");
    ASSERT_TRUE(SetEnvironmentVariableW(L"quarnel_MODE", nullptr));
    EXPECT_EQ(Variable(L"Quarnel_Mode"), L"<unset>");
    EXPECT_TRUE(SetEnvironmentVariableW(L"QUARNEL_NEVER_SET", nullptr));

    EXPECT_FALSE(SetEnvironmentVariableW(L"", L"x"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_FALSE(SetEnvironmentVariableW(L"A=B", L"x"));
    EXPECT_TRUE(SetEnvironmentVariableW(L"=C:", L"C:\\Work"));
    EXPECT_EQ(Variable(L"=c:"), L"C:\\Work");
}

TEST(Environment, ExpansionReplacesKnownNamesAndKeepsTheRest)
{
    TempMachine machine;
    EXPECT_EQ(Expanded(L"%windir%\\notepad.exe"), L"C:\\Windows\\notepad.exe");
    EXPECT_EQ(Expanded(L"%SYSTEMDRIVE%%Windir%"), L"C:C:\\Windows");
    EXPECT_EQ(Expanded(L"%QUARNEL_NOT_SET%\\x"), L"%QUARNEL_NOT_SET%\\x");
    EXPECT_EQ(Expanded(L"%QUARNEL_NOT_SET%windir%"), L"%QUARNEL_NOT_SET%windir%");
    EXPECT_EQ(Expanded(L"100% sure"), L"100% sure");
    EXPECT_EQ(Expanded(L"%%"), L"%%");
    EXPECT_EQ(Expanded(L"50%, then %windir%"), L"50%, then %windir%");

    EXPECT_EQ(ExpandEnvironmentStringsW(L"%windir%", nullptr, 0), 11u);
    wchar_t small[8] = L"same";
    EXPECT_EQ(ExpandEnvironmentStringsW(L"%windir%", small, 8), 11u);
    EXPECT_STREQ(small, L"same");
    wchar_t exact[11];
    EXPECT_EQ(ExpandEnvironmentStringsW(L"%windir%", exact, 11), 11u);
    EXPECT_STREQ(exact, L"C:\\Windows");
}
