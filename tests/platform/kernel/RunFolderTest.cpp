// An elevated process (root here) in a machine whose folder a less-privileged user owns: nothing
// the user plants in run/ makes it open, make, change or give away anything outside the machine,
// or wait forever; and it reaches no process on the user's word.
#include "ProcessRecord.h"
#include "Pulse.h"
#include "SyncBlock.h"

#include "support/OtherUser.h"
#include "support/RunFolderPlants.h"
#include "support/TempMachine.h"
#include "support/WaitUntil.h"

#include "platform/Machine.h"
#include "platform/Windows.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <string>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using testing_support::PlantKind;

namespace {

constexpr const wchar_t* kMutexName = L"Global\\RunPlantMutex";
constexpr const wchar_t* kEventName = L"Global\\RunPlantEvent";

enum Refused : unsigned { kNothing = 0, kMutex = 1, kEvent = 2, kRecords = 4, kAll = 7 };

struct Case {
    testing_support::RunPlant plant;
    unsigned refused; // the calls that must fail rather than take the plant
};

bool Listed(pid_t pid)
{
    for (const auto& record : platform::ProcessRecord::Running())
        if (record->Pid() == pid)
            return true;
    return false;
}

// The mutex, taken and let go again through a second handle; whether that worked.
bool MutexWorks()
{
    const HANDLE created = CreateMutexW(nullptr, FALSE, kMutexName);
    const HANDLE opened = created ? OpenMutexW(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, kMutexName) : nullptr;
    const bool works = opened && WaitForSingleObject(opened, 0) == WAIT_OBJECT_0 && ReleaseMutex(opened);
    for (const HANDLE handle : {created, opened})
        if (handle)
            CloseHandle(handle);
    return works;
}

// The event, set through one handle and seen through another (which bumps the machine's pulse).
bool EventWorks()
{
    const HANDLE created = CreateEventW(nullptr, TRUE, FALSE, kEventName);
    const HANDLE opened = created ? OpenEventW(SYNCHRONIZE, FALSE, kEventName) : nullptr;
    const bool works = opened && SetEvent(created) && WaitForSingleObject(opened, 0) == WAIT_OBJECT_0;
    for (const HANDLE handle : {created, opened})
        if (handle)
            CloseHandle(handle);
    return works;
}

// A child of the test that waits until it is ended, at the latest with the test.
struct Victim {
    Victim() : pid(fork())
    {
        if (pid == 0) {
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            for (;;)
                pause();
        }
    }
    ~Victim()
    {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
    Victim(const Victim&) = delete;
    Victim& operator=(const Victim&) = delete;
    const pid_t pid;
};

} // namespace

TEST(ElevatedRunFolder, NothingTheMachinesUserPlantsInRunLeadsOutOfTheMachine)
{
    if (const std::string why = testing_support::WhyNotAsOtherUser(); !why.empty())
        GTEST_SKIP() << why;
    const pid_t self = getpid();
    const std::string record = "processes/" + std::to_string(self);
    const std::string mutex = platform::ObjectFileName(kMutexName), event = platform::ObjectFileName(kEventName);
    const Case cases[] = {
        {{"a link at run/ itself", PlantKind::LinkToOutsideFolder, {""}}, kAll},
        {{"a link at run/processes", PlantKind::LinkToOutsideFolder, {"processes"}}, kRecords},
        {{"a link at a process record", PlantKind::LinkToOutsideFile, {record}}, kNothing},
        {{"a FIFO at a process record", PlantKind::Fifo, {record}}, kNothing},
        {{"hard links at a process record and its draft", PlantKind::HardLinkToOutsideFile, {record, record + ".new"}},
         kNothing},
        {{"links at a mutex and an event", PlantKind::LinkToOutsideFile, {mutex, event}}, kMutex | kEvent},
        {{"FIFOs at a mutex and an event", PlantKind::Fifo, {mutex, event}}, kMutex | kEvent},
        {{"hard links at a mutex and an event", PlantKind::HardLinkToOutsideFile, {mutex, event}}, kMutex | kEvent},
        {{"a link at run/profile", PlantKind::LinkToOutsideFolder, {"profile"}}, kNothing},
        {{"a link at the machine's pulse", PlantKind::LinkToOutsideFile, {".pulse"}}, kNothing},
        {{"a FIFO at the machine's pulse", PlantKind::Fifo, {".pulse"}}, kNothing},
        {{"a hard link at the machine's pulse", PlantKind::HardLinkToOutsideFile, {".pulse"}}, kNothing},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.plant.what);
        const testing_support::CPlantedRun run(test.plant);
        ASSERT_TRUE(run.Planted());
        run.RunCalls([&] {
            // what is planted is no record of a process, before one is written and after
            EXPECT_FALSE(Listed(self));
            EXPECT_FALSE(platform::ProcessRecord::Find(self));
            EXPECT_EQ(!(test.refused & kMutex), MutexWorks());
            EXPECT_EQ(!(test.refused & kEvent), EventWorks());
            platform::Bump(platform::MachinePulse());
            // a change of an INI file is guarded by a lock file of run/profile
            EXPECT_TRUE(platform::ChangeMachineIni([](platform::IniFile&) {}));
            const auto written = platform::ProcessRecord::Register(self, L"C:\\Plant.exe");
            EXPECT_EQ(!(test.refused & kRecords), written && Listed(self) && platform::ProcessRecord::Find(self));
            struct stat st {};
            if (written) {
                // kept root's, as what an elevated process takes must be
                ASSERT_EQ(0, lstat((platform::Machine().root + "/run/" + record).c_str(), &st));
                EXPECT_EQ(0u, st.st_uid);
            }
        });
    }
}

TEST(ElevatedRunFolder, AProcessRecordTheMachinesUserWroteReachesNoRootProcess)
{
    if (const std::string why = testing_support::WhyNotAsOtherUser(); !why.empty())
        GTEST_SKIP() << why;
    testing_support::TempMachine machine;
    testing_support::GiveToOtherUser(machine.Root());
    // the folder of process records, as the user's own programs of the machine made it
    const std::string records = machine.Root() + "/run/processes";
    ASSERT_TRUE(testing_support::AsOtherUser([&] {
        return mkdir((machine.Root() + "/run").c_str(), 0755) == 0 && mkdir(records.c_str(), 0755) == 0;
    }));
    // a process of root's that is no part of the machine, ended with the test whatever happens
    const Victim victim;
    ASSERT_GT(victim.pid, 0);
    ASSERT_TRUE(testing_support::WaitUntil([&] { return platform::HostStartTime(victim.pid).has_value(); }));

    // The record the layer writes for a process it starts, written by root, is believed (the
    // test's own check that the same record by the user would be believed if it counted).
    const std::string path = records + "/" + std::to_string(victim.pid);
    std::string bytes;
    {
        const auto genuine = platform::ProcessRecord::Register(victim.pid, L"C:\\Windows\\System32\\svchost.exe");
        ASSERT_TRUE(genuine);
        bytes = testing_support::ReadFile(path);
        const HANDLE reached = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, static_cast<DWORD>(victim.pid));
        EXPECT_NE(nullptr, reached);
        if (reached)
            CloseHandle(reached);
    }
    ASSERT_EQ(0, unlink(path.c_str()));
    ASSERT_TRUE(testing_support::AsOtherUser([&] {
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        const bool written = fd >= 0 && write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
        if (fd >= 0)
            close(fd);
        return written;
    }));

    const HANDLE reached = OpenProcess(PROCESS_TERMINATE, FALSE, static_cast<DWORD>(victim.pid));
    EXPECT_EQ(nullptr, reached);
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    if (reached) {
        if (TerminateProcess(reached, 1))
            WaitForSingleObject(reached, INFINITE);
        CloseHandle(reached);
    }
    EXPECT_FALSE(Listed(victim.pid));
    EXPECT_EQ(0, waitpid(victim.pid, nullptr, WNOHANG)) << "the process of root's was ended";
}
