#include "ConcurrentWrites.h"
#include "RegistryTestSupport.h"

#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <vector>

extern char** environ;

using namespace registry_test;
using testing_support::TempMachine;

namespace {

constexpr int kWrites = 150;

// Every writer's values and keys are there with the right data.
void ExpectAllWritten(const std::vector<std::wstring>& prefixes)
{
    Key key;
    ASSERT_EQ(Open(key, HKEY_CURRENT_USER, kConcurrencyKey), ERROR_SUCCESS);
    DWORD values = 0, subKeys = 0;
    ASSERT_EQ(RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values, nullptr, nullptr,
                               nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(values, prefixes.size() * kWrites);
    EXPECT_EQ(subKeys, prefixes.size());
    for (const std::wstring& prefix : prefixes) {
        for (int i = 0; i < kWrites; ++i)
            EXPECT_EQ(QueryDword(key, (prefix + std::to_wstring(i)).c_str()), static_cast<DWORD>(i));
        Key own;
        ASSERT_EQ(Open(own, key, prefix.c_str()), ERROR_SUCCESS);
        ASSERT_EQ(RegQueryInfoKeyW(own, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, nullptr, nullptr, nullptr,
                                   nullptr, nullptr),
                  ERROR_SUCCESS);
        EXPECT_EQ(subKeys, static_cast<DWORD>(kWrites));
    }
}

} // namespace

TEST(RegistryConcurrency, ThreadsWritingAtOnceLoseNothing)
{
    TempMachine machine;
    std::vector<std::wstring> prefixes;
    std::vector<int> failures(6, 0);
    std::vector<std::thread> threads;
    for (size_t t = 0; t < failures.size(); ++t) {
        prefixes.push_back(L"thread" + std::to_wstring(t) + L"_");
        threads.emplace_back([&failures, t, prefix = prefixes.back()] { failures[t] = WriteConcurrently(prefix, kWrites); });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(failures, std::vector<int>(failures.size(), 0));
    ExpectAllWritten(prefixes);
}

TEST(RegistryConcurrency, ProcessesWritingAtOnceLoseNothing)
{
    TempMachine machine; // the writers inherit its QUARNEL_MACHINE
    std::vector<std::wstring> prefixes;
    std::vector<pid_t> children;
    for (int p = 0; p < 4; ++p) {
        const std::string prefix = "process" + std::to_string(p) + "_";
        prefixes.push_back(std::wstring(prefix.begin(), prefix.end()));
        const std::string count = std::to_string(kWrites);
        char* argv[] = {const_cast<char*>(REGISTRY_WRITER), const_cast<char*>(prefix.c_str()),
                        const_cast<char*>(count.c_str()), nullptr};
        pid_t pid = 0;
        ASSERT_EQ(posix_spawn(&pid, REGISTRY_WRITER, nullptr, nullptr, argv, environ), 0);
        children.push_back(pid);
    }
    prefixes.push_back(L"parent_");
    const int failures = WriteConcurrently(prefixes.back(), kWrites);
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_EQ(failures, 0);
    ExpectAllWritten(prefixes);
}
