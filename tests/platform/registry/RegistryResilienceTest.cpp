#include "RegistryTestSupport.h"

#include "platform/Machine.h"
#include "support/SmallDisk.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

using namespace registry_test;

namespace {

// Runs fn on a thread of its own, whose registry connection ends with it, so that the next call
// opens the store afresh, as another process would.
void OnFreshConnection(const std::function<void()>& fn) { std::thread(fn).join(); }

using Check = testing_support::DiskCheck;

// Runs body in a child process on a machine root that is a small file system of its own.
void OnSmallDisk(const std::function<void(const std::string& root, const Check& check)>& body)
{
    const std::string root = platform::MachinePath("small-disk");
    testing_support::OnSmallDisk(root, [&](const Check& check) {
        setenv("QUARNEL_MACHINE", root.c_str(), 1);
        platform::ReloadMachine();
        body(root, check);
    });
}

LSTATUS ReadText(const wchar_t* path, const wchar_t* name, std::wstring& text)
{
    Key key;
    LSTATUS status = Open(key, HKEY_LOCAL_MACHINE, path);
    if (status != ERROR_SUCCESS)
        return status;
    wchar_t data[64] = {};
    DWORD size = sizeof(data);
    status = RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size);
    text = data;
    return status;
}

} // namespace

TEST(RegistryResilience, ReadsWorkOnAFullDiskAndWritesFailWithoutLoss)
{
    OnSmallDisk([](const std::string& root, const Check& check) {
        OnFreshConnection([&] {
            Key key;
            check(Create(key, HKEY_LOCAL_MACHINE, L"SOFTWARE\\Orvane\\Stored") == ERROR_SUCCESS, "key made");
            check(SetString(key, L"Kept", L"kept") == ERROR_SUCCESS, "value written");
        });
        testing_support::FillDisk(root);
        OnFreshConnection([&] {
            std::wstring text;
            check(ReadText(L"SOFTWARE\\Orvane\\Stored", L"Kept", text) == ERROR_SUCCESS && text == L"kept",
                  "a value is read on the full disk");
            check(ReadText(L"SOFTWARE\\Orvane\\Missing", L"Kept", text) == ERROR_FILE_NOT_FOUND,
                  "a missing key is still told apart");
            Key key;
            check(Open(key, HKEY_LOCAL_MACHINE, L"SOFTWARE\\Orvane", KEY_ALL_ACCESS) == ERROR_SUCCESS,
                  "a key opens for writing");
            const std::wstring big(20000, L'x');
            check(SetString(key, L"Big", big) == ERROR_DISK_FULL, "a write fails with ERROR_DISK_FULL");
            Key made;
            check(Create(made, key, L"New") == ERROR_DISK_FULL, "a new key fails with ERROR_DISK_FULL");
            check(ReadText(L"SOFTWARE\\Orvane\\Stored", L"Kept", text) == ERROR_SUCCESS && text == L"kept",
                  "the failed writes lost nothing");
        });
        std::filesystem::remove(root + "/filler");
        OnFreshConnection([&] {
            Key key;
            check(Open(key, HKEY_LOCAL_MACHINE, L"SOFTWARE\\Orvane", KEY_ALL_ACCESS) == ERROR_SUCCESS &&
                      SetString(key, L"After", L"room again") == ERROR_SUCCESS,
                  "writes work once there is room");
            check(RegFlushKey(key) == ERROR_SUCCESS, "the store is flushed");
        });
    });
}

TEST(RegistryResilience, ADamagedPageAwayFromTheKeyLeavesItReadable)
{
    OnFreshConnection([] {
        Key wanted;
        ASSERT_EQ(ERROR_SUCCESS, Create(wanted, HKEY_LOCAL_MACHINE, L"SOFTWARE\\Orvane\\Wanted"));
        ASSERT_EQ(ERROR_SUCCESS, SetString(wanted, L"Value", L"here"));
        for (int i = 0; i < 3000; ++i) {
            Key filler;
            const std::wstring path = L"SOFTWARE\\Filler\\K" + std::to_wstring(10000 + i);
            ASSERT_EQ(ERROR_SUCCESS, Create(filler, HKEY_LOCAL_MACHINE, path.c_str()));
        }
    });
    // a page of the key table far from the wanted key's row is overwritten with garbage
    const std::string database = platform::Machine().root + "/registry.db";
    std::fstream file(database, std::ios::in | std::ios::out | std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    constexpr size_t kPage = 4096;
    const size_t found = bytes.find("\\Filler\\K12000"); // the path as made, which only the table holds
    ASSERT_NE(std::string::npos, found);
    const size_t page = found / kPage * kPage;
    file.seekp(static_cast<std::streamoff>(page));
    file << std::string(kPage, '\xA5');
    file.close();

    OnFreshConnection([] {
        std::wstring text;
        EXPECT_EQ(ERROR_SUCCESS, ReadText(L"SOFTWARE\\Orvane\\Wanted", L"Value", text));
        EXPECT_EQ(L"here", text);
        Key key;
        ASSERT_EQ(ERROR_SUCCESS, Open(key, HKEY_LOCAL_MACHINE, L"SOFTWARE\\Orvane\\Wanted", KEY_ALL_ACCESS));
        EXPECT_EQ(ERROR_SUCCESS, SetString(key, L"Other", L"written"));
        EXPECT_STREQ(L"written", QueryText(key, L"Other").c_str());

        // what lies on the damaged page is reported damaged, never absent
        Key filler;
        ASSERT_EQ(ERROR_SUCCESS, Open(filler, HKEY_LOCAL_MACHINE, L"SOFTWARE\\Filler"));
        LSTATUS status = ERROR_SUCCESS;
        for (DWORD i = 0; status == ERROR_SUCCESS; ++i) {
            wchar_t name[64];
            DWORD chars = 64;
            status = RegEnumKeyExW(filler, i, name, &chars, nullptr, nullptr, nullptr, nullptr);
        }
        EXPECT_EQ(ERROR_REGISTRY_CORRUPT, status);
    });
}
