#include "platform/Machine.h"
#include "platform/Windows.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

long long MillisecondsSince(Clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// A wait on another thread, for what a second owner sees.
DWORD WaitElsewhere(HANDLE handle, DWORD timeoutMs, bool release = true)
{
    DWORD result = WAIT_FAILED;
    std::thread([&] {
        result = WaitForSingleObject(handle, timeoutMs);
        if (release && (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED))
            ReleaseMutex(handle);
    }).join();
    return result;
}

TEST(KernelMutex, OwnershipIsRecursivePerThread)
{
    HANDLE mutex = CreateMutexW(nullptr, TRUE, nullptr);
    ASSERT_NE(nullptr, mutex);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(mutex, 0));
    EXPECT_EQ(WAIT_TIMEOUT, WaitElsewhere(mutex, 50));

    EXPECT_TRUE(ReleaseMutex(mutex));
    EXPECT_EQ(WAIT_TIMEOUT, WaitElsewhere(mutex, 0)); // acquired twice, released once
    EXPECT_TRUE(ReleaseMutex(mutex));
    EXPECT_EQ(WAIT_OBJECT_0, WaitElsewhere(mutex, 0));

    EXPECT_FALSE(ReleaseMutex(mutex));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NOT_OWNER), GetLastError());
    EXPECT_TRUE(CloseHandle(mutex));
}

TEST(KernelMutex, OnlyTheOwnerReleases)
{
    HANDLE mutex = CreateMutexW(nullptr, TRUE, nullptr);
    BOOL released = TRUE;
    DWORD error = 0;
    std::thread([&] {
        released = ReleaseMutex(mutex);
        error = GetLastError();
    }).join();
    EXPECT_FALSE(released);
    EXPECT_EQ(static_cast<DWORD>(ERROR_NOT_OWNER), error);
    EXPECT_TRUE(ReleaseMutex(mutex));
    CloseHandle(mutex);
}

TEST(KernelMutex, AnOwnerThreadThatEndsAbandonsIt)
{
    HANDLE mutex = CreateMutexW(nullptr, FALSE, nullptr);
    std::thread([&] { EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(mutex, INFINITE)); }).join();
    EXPECT_EQ(WAIT_ABANDONED, WaitForSingleObject(mutex, 1000));
    EXPECT_TRUE(ReleaseMutex(mutex));
    EXPECT_EQ(WAIT_OBJECT_0, WaitElsewhere(mutex, 0));
    CloseHandle(mutex);
}

size_t OpenDescriptors()
{
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                                             std::filesystem::directory_iterator()));
}

// Closing the last handle ends the mutex even while it is owned, by the closing thread or by a thread
// that ended: nothing of it stays, and a name is free again.
TEST(KernelMutex, AnOwnedMutexGoesWithItsLastHandle)
{
    const std::vector<const wchar_t*> names = {nullptr, L"Global\KernelTest Owned Close"};
    for (const wchar_t* name : names) {
        const size_t before = OpenDescriptors();
        CloseHandle(CreateMutexW(nullptr, TRUE, name));
        HANDLE twice = CreateMutexW(nullptr, FALSE, name);
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(twice, 0));
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(twice, 0));
        CloseHandle(twice);
        HANDLE dead = CreateMutexW(nullptr, FALSE, name);
        std::thread([&] { EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(dead, INFINITE)); }).join();
        CloseHandle(dead);
        EXPECT_EQ(before, OpenDescriptors());
        if (name) {
            EXPECT_EQ(nullptr, OpenMutexW(SYNCHRONIZE, FALSE, name));
            EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
        }
    }
}

TEST(KernelMutex, NamedMutexesExistWhileAHandleIsOpen)
{
    SetLastError(ERROR_INVALID_DATA);
    HANDLE first = CreateMutexW(nullptr, TRUE, L"Global\\KernelTest Mutex");
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(static_cast<DWORD>(ERROR_SUCCESS), GetLastError());

    HANDLE second = CreateMutexW(nullptr, TRUE, L"Global\\KernelTest Mutex");
    ASSERT_NE(nullptr, second);
    EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), GetLastError());
    EXPECT_EQ(WAIT_TIMEOUT, WaitElsewhere(second, 0)); // the initial owner did not apply to the second
    EXPECT_TRUE(ReleaseMutex(second));                 // ownership is the object's, whichever handle
    EXPECT_EQ(WAIT_OBJECT_0, WaitElsewhere(first, 0));

    HANDLE opened = OpenMutexW(SYNCHRONIZE, FALSE, L"Global\\KernelTest Mutex");
    EXPECT_NE(nullptr, opened);
    CloseHandle(opened);
    CloseHandle(first);
    CloseHandle(second);

    EXPECT_EQ(nullptr, OpenMutexW(SYNCHRONIZE, FALSE, L"Global\\KernelTest Mutex"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
    HANDLE again = CreateMutexW(nullptr, FALSE, L"Global\\KernelTest Mutex");
    EXPECT_EQ(static_cast<DWORD>(ERROR_SUCCESS), GetLastError());
    CloseHandle(again);
}

TEST(KernelMutex, NamesKeepTheirNamespacesAndKinds)
{
    HANDLE global = CreateMutexW(nullptr, FALSE, L"Global\\KernelTest Space");
    HANDLE local = CreateMutexW(nullptr, FALSE, L"Local\\KernelTest Space");
    EXPECT_EQ(static_cast<DWORD>(ERROR_SUCCESS), GetLastError());
    HANDLE plain = CreateMutexW(nullptr, FALSE, L"KernelTest Space");
    EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), GetLastError());
    HANDLE odd = CreateMutexW(nullptr, FALSE, L"Global\\a/b%c.d \u00fc");
    EXPECT_NE(nullptr, odd);

    EXPECT_EQ(nullptr, CreateEventW(nullptr, TRUE, FALSE, L"Global\\KernelTest Space"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
    EXPECT_EQ(nullptr, OpenEventW(SYNCHRONIZE, FALSE, L"Global\\KernelTest Space"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());

    EXPECT_EQ(nullptr, CreateMutexW(nullptr, FALSE, L"Global\\a\\b"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), GetLastError());
    EXPECT_EQ(nullptr, CreateMutexW(nullptr, FALSE, std::wstring(MAX_PATH + 1, L'x').c_str()));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE), GetLastError());
    const std::wstring longName(MAX_PATH, L'\u00e9');
    HANDLE longOne = CreateMutexW(nullptr, FALSE, longName.c_str());
    EXPECT_NE(nullptr, longOne);
    HANDLE longTwo = CreateMutexW(nullptr, FALSE, longName.c_str());
    EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), GetLastError());

    for (HANDLE handle : {global, local, plain, odd, longOne, longTwo})
        CloseHandle(handle);
}

TEST(KernelEvent, ManualResetStaysSignalledUntilReset)
{
    HANDLE event = CreateEventW(nullptr, TRUE, TRUE, nullptr);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(event, 0));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(event, 0));
    EXPECT_TRUE(ResetEvent(event));
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(event, 0));
    EXPECT_TRUE(SetEvent(event));
    EXPECT_EQ(WAIT_OBJECT_0, WaitElsewhere(event, 0, false));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(event, 0));
    CloseHandle(event);
}

TEST(KernelEvent, AutoResetWakesOneWaiter)
{
    HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    std::atomic<int> woken {0};
    std::thread a([&] { woken += WaitForSingleObject(event, INFINITE) == WAIT_OBJECT_0; });
    std::thread b([&] { woken += WaitForSingleObject(event, INFINITE) == WAIT_OBJECT_0; });
    SetEvent(event);
    ASSERT_TRUE(testing_support::WaitUntil([&] { return woken.load() > 0; }));
    // The one woken took the signal with it: the other waits on, and the next set releases it.
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(event, 0));
    EXPECT_EQ(1, woken.load());
    SetEvent(event);
    a.join();
    b.join();
    EXPECT_EQ(2, woken.load());
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(event, 0));
    CloseHandle(event);
}

TEST(KernelEvent, TimedWaitsTimeOut)
{
    HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    HANDLE mutex = CreateMutexW(nullptr, TRUE, nullptr);
    auto start = Clock::now();
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(event, 120));
    EXPECT_GE(MillisecondsSince(start), 115);
    start = Clock::now();
    EXPECT_EQ(WAIT_TIMEOUT, WaitElsewhere(mutex, 120));
    EXPECT_GE(MillisecondsSince(start), 115);
    start = Clock::now();
    HANDLE both[] = {event, event};
    EXPECT_EQ(WAIT_TIMEOUT, WaitForMultipleObjects(2, both, FALSE, 120));
    EXPECT_GE(MillisecondsSince(start), 115);
    CloseHandle(event);
    CloseHandle(mutex);
}

TEST(KernelEvent, NamedEventsAreSharedByName)
{
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, L"Global\\KernelTest Event");
    EXPECT_EQ(static_cast<DWORD>(ERROR_SUCCESS), GetLastError());
    HANDLE same = CreateEventW(nullptr, FALSE, TRUE, L"Global\\KernelTest Event");
    EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), GetLastError());
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(same, 0)); // the existing event's state and kind
    HANDLE opened = OpenEventW(EVENT_MODIFY_STATE, FALSE, L"Global\\KernelTest Event");
    ASSERT_NE(nullptr, opened);
    SetEvent(opened);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(event, 0));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(same, 0));
    EXPECT_EQ(nullptr, OpenMutexW(SYNCHRONIZE, FALSE, L"Global\\KernelTest Event"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
    EXPECT_FALSE(SetEvent(CreateMutexW(nullptr, FALSE, nullptr)));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
    for (HANDLE handle : {event, same, opened})
        CloseHandle(handle);
}

TEST(KernelWaitForMultiple, WaitForAnyTellsWhichObject)
{
    HANDLE events[] = {CreateEventW(nullptr, FALSE, FALSE, nullptr), CreateEventW(nullptr, FALSE, FALSE, nullptr)};
    SetEvent(events[1]);
    EXPECT_EQ(WAIT_OBJECT_0 + 1, WaitForMultipleObjects(2, events, FALSE, 0));
    EXPECT_EQ(WAIT_TIMEOUT, WaitForMultipleObjects(2, events, FALSE, 0));

    std::thread setter([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        SetEvent(events[0]);
    });
    const auto start = Clock::now();
    EXPECT_EQ(WAIT_OBJECT_0, WaitForMultipleObjects(2, events, FALSE, INFINITE));
    EXPECT_LT(MillisecondsSince(start), 2000);
    setter.join();

    HANDLE mutex = CreateMutexW(nullptr, FALSE, nullptr);
    std::thread([&] { WaitForSingleObject(mutex, INFINITE); }).join();
    HANDLE mixed[] = {events[0], mutex};
    EXPECT_EQ(WAIT_ABANDONED_0 + 1, WaitForMultipleObjects(2, mixed, FALSE, 1000));
    ReleaseMutex(mutex);
    for (HANDLE handle : {events[0], events[1], mutex})
        CloseHandle(handle);
}

TEST(KernelWaitForMultiple, WaitForAllTakesEverythingOrNothing)
{
    HANDLE event = CreateEventW(nullptr, FALSE, TRUE, nullptr);
    HANDLE mutex = CreateMutexW(nullptr, FALSE, nullptr);
    HANDLE both[] = {event, mutex};

    DWORD result = WAIT_FAILED;
    std::thread([&] {
        WaitForSingleObject(mutex, INFINITE);
        result = WaitForMultipleObjects(2, both, TRUE, 0);
        ReleaseMutex(mutex);
    }).join();
    EXPECT_EQ(WAIT_OBJECT_0, result);
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(event, 0)); // consumed together with the mutex

    SetEvent(event);
    std::atomic<bool> held {false}, done {false};
    std::thread owner([&] {
        WaitForSingleObject(mutex, INFINITE);
        held = true;
        while (!done)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        ReleaseMutex(mutex);
    });
    while (!held)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(WAIT_TIMEOUT, WaitForMultipleObjects(2, both, TRUE, 100));
    EXPECT_EQ(WAIT_OBJECT_0, WaitElsewhere(event, 0, false)); // given back, still signalled
    SetEvent(event);
    done = true;
    EXPECT_EQ(WAIT_OBJECT_0, WaitForMultipleObjects(2, both, TRUE, 2000));
    owner.join();
    ReleaseMutex(mutex);
    CloseHandle(event);
    CloseHandle(mutex);
}

TEST(KernelWaitForMultiple, RefusesBadArguments)
{
    HANDLE event = CreateEventW(nullptr, TRUE, TRUE, nullptr);
    HANDLE handles[] = {event, event};
    EXPECT_EQ(WAIT_FAILED, WaitForMultipleObjects(0, handles, FALSE, 0));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    EXPECT_EQ(WAIT_FAILED, WaitForMultipleObjects(MAXIMUM_WAIT_OBJECTS + 1, handles, FALSE, 0));
    EXPECT_EQ(WAIT_FAILED, WaitForMultipleObjects(2, handles, TRUE, 0));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    HANDLE bad[] = {event, reinterpret_cast<HANDLE>(0x1234)};
    EXPECT_EQ(WAIT_FAILED, WaitForMultipleObjects(2, bad, FALSE, 0));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
    CloseHandle(event);
}

} // namespace

TEST(KernelObjectLife, AnObjectOutlivesTheHandleClosedUnderItsWaiter)
{
    HANDLE waited = CreateEventW(nullptr, TRUE, FALSE, L"CloseUnderWaiter");
    HANDLE other = OpenEventW(EVENT_MODIFY_STATE, FALSE, L"CloseUnderWaiter");
    ASSERT_NE(nullptr, other);
    std::atomic<DWORD> single {WAIT_FAILED}, multiple {WAIT_FAILED};
    HANDLE timer = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread first([&] { single = WaitForSingleObject(waited, INFINITE); });
    std::thread second([&] {
        HANDLE both[] = {timer, waited};
        multiple = WaitForMultipleObjects(2, both, FALSE, INFINITE);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_TRUE(CloseHandle(waited));
    EXPECT_TRUE(CloseHandle(timer));
    EXPECT_FALSE(CloseHandle(waited));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(WAIT_FAILED, single.load()); // still waiting: closing a handle signals nothing
    EXPECT_TRUE(SetEvent(other));
    first.join();
    second.join();
    EXPECT_EQ(WAIT_OBJECT_0, single.load());
    EXPECT_EQ(WAIT_OBJECT_0 + 1, multiple.load());
    CloseHandle(other);

    // the last handle of an unnamed event, closed while the memory around it is taken again
    HANDLE lone = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    DWORD loneResult = WAIT_FAILED;
    std::thread waiter([&] { loneResult = WaitForSingleObject(lone, 300); });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_TRUE(CloseHandle(lone));
    std::vector<HANDLE> signalled;
    for (int i = 0; i < 200; ++i)
        signalled.push_back(CreateEventW(nullptr, TRUE, TRUE, nullptr));
    waiter.join();
    EXPECT_EQ(WAIT_TIMEOUT, loneResult);
    for (HANDLE event : signalled)
        CloseHandle(event);
}

TEST(KernelObjectLife, NamedObjectsLeaveNothingBehindTheirLastHandle)
{
    const auto openDescriptors = [] {
        const std::filesystem::directory_iterator descriptors("/proc/self/fd");
        return std::distance(descriptors, std::filesystem::directory_iterator());
    };
    const auto runFiles = [] {
        const std::string run = platform::MachinePath("run");
        long count = 0;
        for (const auto& entry : std::filesystem::directory_iterator(run))
            count += entry.path().filename().string().rfind("local.", 0) == 0;
        return count;
    };
    const auto before = openDescriptors();
    for (int i = 0; i < 10000; ++i) {
        const std::wstring name = L"Defrag run " + std::to_wstring(i);
        HANDLE event = CreateEventW(nullptr, TRUE, FALSE, name.c_str());
        ASSERT_NE(nullptr, event) << i;
        HANDLE again = OpenEventW(SYNCHRONIZE, FALSE, name.c_str());
        ASSERT_NE(nullptr, again);
        CloseHandle(event);
        CloseHandle(again);
    }
    EXPECT_EQ(before, openDescriptors());
    EXPECT_EQ(0, runFiles());
    EXPECT_EQ(nullptr, OpenEventW(SYNCHRONIZE, FALSE, L"Defrag run 7"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
    EXPECT_EQ(nullptr, OpenMutexW(SYNCHRONIZE, FALSE, L"Never made"));
    EXPECT_EQ(0, runFiles());

    // a name comes back fresh once its last handle went
    HANDLE mutex = CreateMutexW(nullptr, TRUE, L"Defrag run 7");
    EXPECT_EQ(static_cast<DWORD>(ERROR_SUCCESS), GetLastError());
    EXPECT_TRUE(ReleaseMutex(mutex));
    EXPECT_TRUE(CloseHandle(mutex));
    EXPECT_EQ(0, runFiles());
}
