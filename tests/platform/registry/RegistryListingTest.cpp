#include "RegistryTestSupport.h"

#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <map>
#include <set>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace registry_test;
using testing_support::TempMachine;

namespace {

constexpr const wchar_t* kListed = L"SOFTWARE\\Listed";

std::wstring Name(int n)
{
    wchar_t name[16];
    std::swprintf(name, 16, L"K%04d", n);
    return name;
}

std::wstring Path(int n) { return std::wstring(kListed) + L"\\" + Name(n); }

// Runs change in a process of its own and waits for it; the number of its calls that failed.
int InAnotherProcess(const std::function<int()>& change)
{
    const pid_t child = fork();
    if (child == 0)
        _exit(change());
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

// What a listing handed out, index by index, up to the status that ended it.
struct Listing {
    std::vector<std::wstring> names;
    LSTATUS end = ERROR_SUCCESS;
};

LSTATUS Next(HKEY key, bool ofValues, Listing& listing)
{
    wchar_t name[64];
    DWORD chars = 64;
    const auto index = static_cast<DWORD>(listing.names.size());
    const LSTATUS status = ofValues ? RegEnumValueW(key, index, name, &chars, nullptr, nullptr, nullptr, nullptr)
                                    : RegEnumKeyExW(key, index, name, &chars, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_SUCCESS)
        listing.names.emplace_back(name, chars);
    else
        listing.end = status;
    return status;
}

} // namespace

TEST(RegistryListing, KeysAddedAndDeletedByAnotherProcessLeaveEveryOtherKeyListedOnce)
{
    TempMachine machine;
    // even numbers, more than one batch of them
    for (int n = 0; n < 600; n += 2) {
        Key made;
        ASSERT_EQ(ERROR_SUCCESS, Create(made, HKEY_LOCAL_MACHINE, Path(n).c_str()));
    }
    Key listed;
    ASSERT_EQ(ERROR_SUCCESS, Open(listed, HKEY_LOCAL_MACHINE, kListed));
    Listing listing;
    while (listing.names.size() < 150)
        ASSERT_EQ(ERROR_SUCCESS, Next(listed, false, listing));
    ASSERT_EQ(Name(298), listing.names.back());

    const std::set<int> deleted = {10, 20, 298, 300, 402, 598};
    const std::set<int> added = {1, 297, 299, 401, 599, 700};
    ASSERT_EQ(0, InAnotherProcess([&] {
        int failures = 0;
        for (int n : deleted)
            failures += RegDeleteKeyW(HKEY_LOCAL_MACHINE, Path(n).c_str()) != ERROR_SUCCESS;
        for (int n : added) {
            Key made;
            failures += Create(made, HKEY_LOCAL_MACHINE, Path(n).c_str()) != ERROR_SUCCESS;
        }
        return failures;
    }));
    // once at once, and once after what was read ahead has grown old
    Listing rest = listing;
    while (Next(listed, false, rest) == ERROR_SUCCESS && rest.names.size() < 200) {
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    while (Next(listed, false, rest) == ERROR_SUCCESS) {
    }
    EXPECT_EQ(ERROR_NO_MORE_ITEMS, rest.end);

    std::map<std::wstring, int> times;
    for (const std::wstring& name : rest.names)
        ++times[name];
    for (int n = 0; n < 600; n += 2)
        if (!deleted.count(n))
            EXPECT_EQ(1, times[Name(n)]) << "key " << n;
    for (const auto& [name, count] : times)
        EXPECT_EQ(1, count) << "listed again: " << testing::PrintToString(name);
    EXPECT_EQ(1, times[Name(401)]) << "a key added ahead of the listing is listed";
    EXPECT_EQ(0, times.count(Name(297))) << "a key added behind the listing is not";

    // a listing from the start sees the store as it is now
    const std::vector<std::wstring> now = Names(listed, false);
    EXPECT_EQ(300u - deleted.size() + added.size(), now.size());
}

TEST(RegistryListing, ValuesListOnFromTheirPlaceAndSeeThisProcesssWritesAtOnce)
{
    TempMachine machine;
    Key key;
    ASSERT_EQ(ERROR_SUCCESS, Create(key, HKEY_CURRENT_USER, L"Software\\Values"));
    for (int n = 0; n < 300; ++n)
        ASSERT_EQ(ERROR_SUCCESS, SetDword(key, Name(n).c_str(), static_cast<DWORD>(n)));
    Listing listing;
    while (listing.names.size() < 100)
        ASSERT_EQ(ERROR_SUCCESS, Next(key, true, listing));
    // a value listed again after a too small buffer, then written over and deleted
    wchar_t small[2];
    DWORD chars = 2;
    EXPECT_EQ(ERROR_MORE_DATA, RegEnumValueW(key, 99, small, &chars, nullptr, nullptr, nullptr, nullptr));
    ASSERT_EQ(ERROR_SUCCESS, RegDeleteValueW(key, Name(150).c_str()));
    ASSERT_EQ(ERROR_SUCCESS, SetDword(key, Name(20).c_str(), 7)); // keeps its place
    ASSERT_EQ(ERROR_SUCCESS, SetDword(key, L"Last", 1));
    while (Next(key, true, listing) == ERROR_SUCCESS) {
    }
    EXPECT_EQ(ERROR_NO_MORE_ITEMS, listing.end);
    ASSERT_EQ(300u, listing.names.size());
    EXPECT_EQ(Name(151), listing.names[150]);
    EXPECT_EQ(L"Last", listing.names.back());
    EXPECT_EQ(listing.names, Names(key, true));
}
