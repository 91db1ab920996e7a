#include "platform/Windows.h"

#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include <vector>

using testing_support::TempMachine;

namespace {

const HANDLE kCurrentProcess = reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1));

// The check a Windows program makes: is the Administrators group in the token?
bool InAdministrators(HANDLE token)
{
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    if (!AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                  &administrators))
        return false;
    BOOL member = FALSE;
    const BOOL checked = CheckTokenMembership(token, administrators, &member);
    EXPECT_EQ(FreeSid(administrators), nullptr);
    return checked && member;
}

DWORD Elevation(HANDLE token)
{
    TOKEN_ELEVATION elevation{};
    DWORD length = 0;
    EXPECT_TRUE(GetTokenInformation(token, TokenElevation, &elevation, sizeof(elevation), &length));
    EXPECT_EQ(length, sizeof(elevation));
    return elevation.TokenIsElevated;
}

} // namespace

TEST(Administrators, AreTheMachinesToSay)
{
    TempMachine machine;
    HANDLE token = nullptr;
    machine.WriteMachineIni("[Machine]\nAdministrator=1\n");
    ASSERT_TRUE(OpenProcessToken(kCurrentProcess, TOKEN_QUERY, &token));
    EXPECT_TRUE(IsUserAnAdmin());
    EXPECT_TRUE(InAdministrators(nullptr));
    EXPECT_TRUE(InAdministrators(token));
    EXPECT_EQ(Elevation(token), 1u);

    machine.WriteMachineIni("[Machine]\nAdministrator=0\n");
    EXPECT_FALSE(IsUserAnAdmin());
    EXPECT_FALSE(InAdministrators(token));
    EXPECT_EQ(Elevation(token), 0u);

    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID users = nullptr;
    ASSERT_TRUE(AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_USERS, 0, 0, 0, 0, 0, 0,
                                         &users));
    BOOL member = FALSE;
    ASSERT_TRUE(CheckTokenMembership(token, users, &member));
    EXPECT_TRUE(member);
    FreeSid(users);
    EXPECT_TRUE(CloseHandle(token));
}

TEST(Administrators, UnsetMeansTheEffectiveUserIsRoot)
{
    TempMachine machine;
    EXPECT_EQ(IsUserAnAdmin() != FALSE, geteuid() == 0);
    EXPECT_EQ(InAdministrators(nullptr), geteuid() == 0);
}

TEST(Tokens, GroupsFollowWindowsSizeRulesAndClosedTokensAreRefused)
{
    TempMachine machine;
    machine.WriteMachineIni("[Machine]\nAdministrator=1\n");
    HANDLE token = nullptr;
    ASSERT_TRUE(OpenProcessToken(kCurrentProcess, TOKEN_QUERY, &token));

    DWORD needed = 0;
    EXPECT_FALSE(GetTokenInformation(token, TokenGroups, nullptr, 0, &needed));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    ASSERT_GT(needed, sizeof(TOKEN_GROUPS));
    std::vector<unsigned char> buffer(needed);
    DWORD length = 0;
    ASSERT_TRUE(GetTokenInformation(token, TokenGroups, buffer.data(), needed, &length));
    EXPECT_EQ(length, needed);
    const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(buffer.data());
    ASSERT_EQ(groups->GroupCount, 5u);
    bool administrators = false;
    for (DWORD i = 0; i < groups->GroupCount; ++i) {
        const auto* sid = static_cast<const unsigned char*>(groups->Groups[i].Sid);
        ASSERT_GE(sid, buffer.data());
        ASSERT_LT(sid, buffer.data() + needed);
        EXPECT_TRUE(groups->Groups[i].Attributes & SE_GROUP_ENABLED);
        // Revision 1, two sub-authorities, NT authority, 32 and 544.
        const DWORD* sub = reinterpret_cast<const DWORD*>(sid + 8);
        administrators |= sid[0] == 1 && sid[1] == 2 && sid[7] == 5 && sub[0] == 32 && sub[1] == 544;
    }
    EXPECT_TRUE(administrators);

    EXPECT_FALSE(GetTokenInformation(token, static_cast<TOKEN_INFORMATION_CLASS>(1), buffer.data(), needed, &length));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    ASSERT_TRUE(CloseHandle(token));
    EXPECT_FALSE(GetTokenInformation(token, TokenGroups, buffer.data(), needed, &length));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}
