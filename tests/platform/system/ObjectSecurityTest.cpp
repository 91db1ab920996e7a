// Who may open a named object, as its security descriptor says, and the token of a thread that
// acts as the logged-on user.
#include "platform/Windows.h"

#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <vector>

using testing_support::TempMachine;

namespace {

const wchar_t kName[] = L"Global\\object security test";

// A descriptor with a DACL of one access-allowed entry for the SID, in an ACL of aclBytes.
class CDescriptor {
public:
    CDescriptor(SID_IDENTIFIER_AUTHORITY authority, BYTE count, DWORD first, DWORD second, DWORD aclBytes)
        : acl_(aclBytes / sizeof(DWORD) + 1)
    {
        EXPECT_TRUE(InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION));
        PSID sid = nullptr;
        EXPECT_TRUE(AllocateAndInitializeSid(&authority, count, first, second, 0, 0, 0, 0, 0, 0, &sid));
        auto* acl = reinterpret_cast<PACL>(acl_.data());
        EXPECT_TRUE(InitializeAcl(acl, aclBytes, ACL_REVISION));
        added_ = AddAccessAllowedAce(acl, ACL_REVISION, GENERIC_ALL, sid) != FALSE;
        addError_ = added_ ? 0 : GetLastError();
        EXPECT_TRUE(SetSecurityDescriptorDacl(&descriptor_, TRUE, acl, FALSE));
        FreeSid(sid);
    }

    // the descriptor points into the object itself
    CDescriptor(const CDescriptor&) = delete;
    CDescriptor& operator=(const CDescriptor&) = delete;

    static DWORD SidBytes(BYTE count) { return 8 + 4u * count; }
    LPSECURITY_ATTRIBUTES Attributes() { return &attributes_; }
    bool added_ = false;
    DWORD addError_ = 0;

private:
    SECURITY_DESCRIPTOR descriptor_{};
    std::vector<DWORD> acl_;
    SECURITY_ATTRIBUTES attributes_{sizeof(SECURITY_ATTRIBUTES), &descriptor_, FALSE};
};

CDescriptor Everyone() { return CDescriptor(SECURITY_WORLD_SID_AUTHORITY, 1, SECURITY_WORLD_RID, 0, CDescriptor::SidBytes(1) + 16); }

void UseUser(const TempMachine& machine, const char* user, bool elevated)
{
    machine.WriteMachineIni(std::string("[Machine]\nUserName=") + user + "\nAdministrator=" + (elevated ? "1" : "0") +
                            "\n");
}

// Opens the object for signalling as the machine's user now is; the last error on failure.
DWORD OpenError()
{
    HANDLE event = OpenEventW(EVENT_MODIFY_STATE, FALSE, kName);
    const DWORD error = event ? ERROR_SUCCESS : GetLastError();
    if (event)
        CloseHandle(event);
    return error;
}

} // namespace

TEST(ObjectSecurity, AnElevatedCreatorsDefaultSecurityRefusesOthersAndEveryoneAdmitsThem)
{
    TempMachine machine;
    UseUser(machine, "Owner", true);
    HANDLE owned = CreateEventW(nullptr, TRUE, FALSE, kName);
    ASSERT_NE(owned, nullptr);
    EXPECT_EQ(OpenError(), static_cast<DWORD>(ERROR_SUCCESS));

    UseUser(machine, "Owner", false);
    EXPECT_EQ(OpenError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(CreateEventW(nullptr, TRUE, FALSE, kName), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(CreateMutexW(nullptr, FALSE, kName), nullptr) << "a name of another kind stays refused";
    CloseHandle(owned);

    UseUser(machine, "Owner", true);
    CDescriptor everyone = Everyone();
    ASSERT_TRUE(everyone.added_);
    owned = CreateEventW(everyone.Attributes(), TRUE, FALSE, kName);
    ASSERT_NE(owned, nullptr);
    UseUser(machine, "Guest", false);
    EXPECT_EQ(OpenError(), static_cast<DWORD>(ERROR_SUCCESS));
    HANDLE again = CreateEventW(nullptr, TRUE, FALSE, kName);
    EXPECT_NE(again, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    CloseHandle(again);
    CloseHandle(owned);
}

TEST(ObjectSecurity, AUsersDefaultSecurityAdmitsTheSameUserOnly)
{
    TempMachine machine;
    UseUser(machine, "Owner", false);
    HANDLE owned = CreateMutexW(nullptr, FALSE, kName);
    ASSERT_NE(owned, nullptr);
    UseUser(machine, "owner", true);
    HANDLE same = OpenMutexW(SYNCHRONIZE, FALSE, kName);
    EXPECT_NE(same, nullptr) << "the same user, elevated or not";
    CloseHandle(same);
    UseUser(machine, "Guest", false);
    EXPECT_EQ(OpenMutexW(SYNCHRONIZE, FALSE, kName), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    CloseHandle(owned);

    // an entry for Administrators only, given by a user who is none, shuts the user out too
    CDescriptor administrators(SECURITY_NT_AUTHORITY, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS,
                               CDescriptor::SidBytes(2) + 16);
    owned = CreateEventW(administrators.Attributes(), TRUE, FALSE, kName);
    ASSERT_NE(owned, nullptr);
    EXPECT_EQ(OpenError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    UseUser(machine, "Owner", true);
    EXPECT_EQ(OpenError(), static_cast<DWORD>(ERROR_SUCCESS));
    CloseHandle(owned);
}

TEST(ObjectSecurity, AnEntryMustFitItsAcl)
{
    TempMachine machine;
    CDescriptor cramped(SECURITY_WORLD_SID_AUTHORITY, 1, SECURITY_WORLD_RID, 0, CDescriptor::SidBytes(1) + 15);
    EXPECT_FALSE(cramped.added_);
    EXPECT_EQ(cramped.addError_, static_cast<DWORD>(ERROR_ALLOTTED_SPACE_EXCEEDED));
}

TEST(ThreadToken, OnlyAThreadActingAsTheUserHasOne)
{
    TempMachine machine;
    HANDLE token = nullptr;
    EXPECT_FALSE(OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_TOKEN));

    HANDLE process = nullptr;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_ALL_ACCESS, &process));
    EXPECT_FALSE(OpenThreadToken(process, TOKEN_QUERY, TRUE, &token));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    ASSERT_TRUE(ImpersonateLoggedOnUser(process));
    ASSERT_TRUE(OpenThreadToken(GetCurrentThread(), TOKEN_QUERY | TOKEN_DUPLICATE | READ_CONTROL, TRUE, &token));
    TOKEN_ELEVATION elevation{};
    DWORD length = 0;
    EXPECT_TRUE(GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &length));
    CloseHandle(token);
    EXPECT_TRUE(RevertToSelf());
    EXPECT_FALSE(OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_TOKEN));
    CloseHandle(process);
}
