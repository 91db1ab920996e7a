// The two controllers driven through the plug-in's exports on machines with several volumes and
// Windows XP, Vista and 7, running the stand-in defragmenter through spawn.
#include "DefragMachine.h"

#include "jex_main/Scatterscope/DefragLauncher.h"

#include "platform/IniFile.h"
#include "platform/Machine.h"
#include "platform/Text.h"
#include "platform/Windows.h"
#include "support/WaitUntil.h"
#include "support/FreshProcess.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <future>
#include <thread>

extern "C" IDefragController* AnalysisControllerImp();
extern "C" IDefragController* DefragmControllerImp();

namespace {

using scatterscope_test::SetMachineKey;
using scatterscope_test::StatusLog;
using scatterscope_test::VolumeOf;

constexpr INT_PTR CANCELLED_RUN = 0x1F9000A;

class ControllerTest : public ::testing::Test {
protected:
    void Prepare(const std::string& version, const std::string& extra = "")
    {
        scatterscope_test::PrepareMachine(machine, version, extra);
        SetSerialRunPauseMs(0);
        analysis = AnalysisControllerImp();
        defrag = DefragmControllerImp();
        ASSERT_EQ(analysis->Init(), 0u);
        ASSERT_EQ(defrag->Init(), 0u);
        ASSERT_EQ(analysis->SetCallback(&StatusLog::Callback, &log), 0u);
        ASSERT_EQ(defrag->SetCallback(&StatusLog::Callback, &log), 0u);
    }

    void TearDown() override
    {
        for (IDefragController* controller : {analysis, defrag}) {
            if (controller) {
                controller->Uninit();
                controller->Release();
            }
        }
    }

    static void Block(wchar_t letter, bool blocked)
    {
        SetMachineKey(std::wstring(L"Drive ") + letter, L"DefragBlocked", blocked ? L"1" : L"0");
    }

    testing_support::TempMachine machine;
    StatusLog log;
    IDefragController* analysis = nullptr;
    IDefragController* defrag = nullptr;
};

// ---- Results on each Windows version

class VersionTest : public ControllerTest, public ::testing::WithParamInterface<const char*> {};

INSTANTIATE_TEST_SUITE_P(Windows, VersionTest, ::testing::Values("5.1.2600", "6.0.6002", "6.1.7601"));

TEST_P(VersionTest, AnAnalysisIsQueuedRunAndReportsThePercentage)
{
    Prepare(GetParam(), "[Drive D]\nFragmentation=17\n");
    const std::wstring d = VolumeOf(L'D');
    ASSERT_EQ(analysis->Start(d.c_str()), 0u);
    StatusLog::Entry done;
    ASSERT_TRUE(log.WaitFor(d, DEFRAG_STATE_ANALYSED, &done));
    EXPECT_EQ(done.value, 17);
    EXPECT_EQ(log.States(d), (std::vector<int32_t>{1, 2, 3}));
    const auto entries = log.Entries();
    EXPECT_EQ(entries[0].thread, GetCurrentThreadId());
    EXPECT_NE(entries[1].thread, GetCurrentThreadId());
}

TEST_P(VersionTest, ADefragmentationHandsOverTheOutputAndLeavesTheVolumeUnfragmented)
{
    Prepare(GetParam(), "[Drive E]\nFragmentation=30\n");
    const std::wstring e = VolumeOf(L'E');
    ASSERT_EQ(defrag->Start(e.c_str()), 0u);
    StatusLog::Entry done;
    ASSERT_TRUE(log.WaitFor(e, DEFRAG_STATE_DEFRAGMENTED, &done));
    EXPECT_EQ(log.States(e), (std::vector<int32_t>{5, 6, 7}));
    EXPECT_NE(done.text.find(" 30"), std::string::npos) << done.text;
    EXPECT_EQ(platform::IniFile(platform::MachineIniPath()).GetInt(L"Drive E", L"Fragmentation", -1), 0);
    const std::string calls =
        testing_support::ReadFile(machine.Root() + "/drive_c/ProgramData/Orvane/Tallyrun/calls.log");
    EXPECT_NE(calls.find("_SetInfoDataEx(\"Clean_Disk_Optimize_Complete\", 0, 1, 0, 0, \"Task_CleanOperation\", 1)"),
              std::string::npos)
        << calls;

    ASSERT_EQ(analysis->Start(e.c_str()), 0u);
    StatusLog::Entry analysed;
    ASSERT_TRUE(log.WaitFor(e, DEFRAG_STATE_ANALYSED, &analysed));
    EXPECT_EQ(analysed.value, 0);
}

TEST_P(VersionTest, OutputWithoutAReportLineOrWithoutAnyTextFails)
{
    Prepare(GetParam(), "[Drive C]\nDefragFail=noreport\n[Drive D]\nDefragFail=silent\n[Drive F]\nDefragFail=exit\n");
    const std::string version = GetParam();
    const INT_PTR noLine = version[0] == '5' ? 0x1110001 : version == "6.0.6002" ? 0x1430001 : 0x1760001;
    const std::wstring c = VolumeOf(L'C'), d = VolumeOf(L'D'), f = VolumeOf(L'F');
    analysis->Start(c.c_str());
    analysis->Start(d.c_str());
    defrag->Start(d.c_str());
    defrag->Start(f.c_str());
    StatusLog::Entry entry;
    ASSERT_TRUE(log.WaitFor(c, DEFRAG_STATE_ANALYSIS_FAILED, &entry));
    EXPECT_EQ(entry.value, noLine);
    ASSERT_TRUE(log.WaitFor(d, DEFRAG_STATE_ANALYSIS_FAILED, &entry));
    EXPECT_EQ(entry.value, 0x1030001);
    ASSERT_TRUE(log.WaitFor(d, DEFRAG_STATE_DEFRAG_FAILED, &entry));
    EXPECT_EQ(entry.value, 0x10C0001);
    ASSERT_TRUE(log.WaitFor(f, DEFRAG_STATE_DEFRAG_FAILED, &entry));
    EXPECT_EQ(entry.value, 0x1FF0001);
}

TEST_P(VersionTest, StopWithWaitReturnsAfterTheCancelledRunHasReported)
{
    Prepare(GetParam(), "[Drive C]\nDefragBlocked=1\n");
    const std::wstring c = VolumeOf(L'C');
    analysis->Start(c.c_str());
    ASSERT_TRUE(log.WaitFor(c, DEFRAG_STATE_ANALYSING));
    EXPECT_EQ(analysis->Stop(c.c_str(), true), 0u);
    EXPECT_EQ(log.States(c), (std::vector<int32_t>{1, 2, 9}));
    StatusLog::Entry cancelled;
    ASSERT_TRUE(log.WaitFor(c, DEFRAG_STATE_ANALYSIS_CANCELLED, &cancelled, 0));
    EXPECT_EQ(cancelled.value, CANCELLED_RUN);
}

// Five workers from Vista on, one before; Uninit drops the queued volumes without a word, cancels
// the running ones and returns once they have reported; a fresh Init works again.
TEST_P(VersionTest, WorkersRunTheirShareAndUninitEndsAllWork)
{
    Prepare(GetParam(), "[Defrag]\nDefragBlocked=1\n");
    const bool vista = std::string(GetParam())[0] == '6';
    std::vector<std::wstring> volumes;
    for (wchar_t letter = L'C'; letter <= L'H'; ++letter) {
        volumes.push_back(VolumeOf(letter));
        analysis->Start(volumes.back().c_str());
    }
    const size_t workers = vista ? 5 : 1;
    for (size_t i = 0; i < workers; ++i)
        ASSERT_TRUE(log.WaitFor(volumes[i], DEFRAG_STATE_ANALYSING));
    Sleep(400);
    EXPECT_EQ(log.Count(volumes[workers], DEFRAG_STATE_ANALYSING), 0u);

    EXPECT_EQ(analysis->Uninit(), 0u);
    for (size_t i = 0; i < volumes.size(); ++i) {
        const std::vector<int32_t> expected = i < workers ? std::vector<int32_t>{1, 2, 9} : std::vector<int32_t>{1};
        EXPECT_EQ(log.States(volumes[i]), expected) << i;
    }

    SetMachineKey(L"Defrag", L"DefragBlocked", L"0");
    ASSERT_EQ(analysis->Init(), 0u);
    ASSERT_EQ(analysis->SetCallback(&StatusLog::Callback, &log), 0u);
    analysis->Start(volumes[0].c_str());
    EXPECT_TRUE(log.WaitFor(volumes[0], DEFRAG_STATE_ANALYSED));
}

// ---- Version-specific signs in the output

TEST_F(ControllerTest, AnErrorCodeInTheOutputOfWindows7FailsTheDefragmentation)
{
    Prepare("6.1.7601", "[Drive C]\nDefragFail=code\n");
    const std::wstring c = VolumeOf(L'C');
    defrag->Start(c.c_str());
    StatusLog::Entry failed;
    ASSERT_TRUE(log.WaitFor(c, DEFRAG_STATE_DEFRAG_FAILED, &failed));
    EXPECT_EQ(failed.value, 0x2C80001);
}

TEST_F(ControllerTest, TheCancelTextOfVistaEndsInTheCancelledState)
{
    Prepare("6.0.6002", "[Drive C]\nDefragFail=cancel\n");
    const std::wstring c = VolumeOf(L'C');
    defrag->Start(c.c_str());
    StatusLog::Entry cancelled;
    ASSERT_TRUE(log.WaitFor(c, DEFRAG_STATE_DEFRAG_CANCELLED, &cancelled));
    EXPECT_EQ(cancelled.value, 0x2AD000A);
}

TEST_F(ControllerTest, TheReportLineIsFoundFarFromTheEndOfALongOutput)
{
    Prepare("6.1.7601", "[Drive C]\nFragmentation=41\nDefragTrailerLines=4000\n");
    const std::wstring c = VolumeOf(L'C');
    analysis->Start(c.c_str());
    StatusLog::Entry done;
    ASSERT_TRUE(log.WaitFor(c, DEFRAG_STATE_ANALYSED, &done));
    EXPECT_EQ(done.value, 41);
}

TEST_F(ControllerTest, Windows7WithoutTheEnglishMessagesRunsACopyBesideTheKeptMessageFile)
{
    Prepare("6.1.7601", "[Drive C]\nFragmentation=8\n");
    for (const char* folder : {"System32", "SysWOW64"})
        std::remove((platform::Machine().Drive(L'C')->folder + "/Windows/" + folder + "/en-US/defrag.exe.mui").c_str());
    const std::wstring c = VolumeOf(L'C');
    analysis->Start(c.c_str());
    StatusLog::Entry done;
    ASSERT_TRUE(log.WaitFor(c, DEFRAG_STATE_ANALYSED, &done));
    EXPECT_EQ(done.value, 8);
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    WIN32_FIND_DATAW found;
    const HANDLE find = FindFirstFileW((std::wstring(temp) + L"*-*-*-*-*").c_str(), &found);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    FindClose(find);
    const std::wstring copy = std::wstring(temp) + found.cFileName;
    EXPECT_NE(GetFileAttributesW((copy + L"\\defrag.exe").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(GetFileAttributesW((copy + L"\\en-US\\defrag.exe.mui").c_str()), INVALID_FILE_ATTRIBUTES);
}

// ---- Requests

TEST_F(ControllerTest, RequestsAreCheckedInOrderAndRefusalsReportNothing)
{
    RUN_IN_FRESH_PROCESS({
        scatterscope_test::PrepareMachine(machine, "6.1.7601");
        analysis = AnalysisControllerImp();
        defrag = DefragmControllerImp();
        const std::wstring c = VolumeOf(L'C');
        EXPECT_EQ(analysis->Start(c.c_str()), 0x6A0006u);
        EXPECT_EQ(defrag->Start(c.c_str()), 0x6B0006u);
        EXPECT_EQ(analysis->Stop(c.c_str(), false), 0x950006u);
        EXPECT_EQ(analysis->SetCallback(&StatusLog::Callback, &log), 0x550006u);
        EXPECT_EQ(analysis->Uninit(), 0u);
        ASSERT_EQ(analysis->Init(), 0u);
        ASSERT_EQ(defrag->Init(), 0u);
        EXPECT_EQ(analysis->Init(), 0x1D0001u);
        EXPECT_EQ(defrag->Init(), 0x1E0001u);
        EXPECT_EQ(analysis->Start(c.c_str()), 0x710008u);
        EXPECT_EQ(analysis->Stop(c.c_str(), true), 0x9C0008u);
        analysis->SetCallback(&StatusLog::Callback, &log);
        defrag->SetCallback(&StatusLog::Callback, &log);
        EXPECT_EQ(analysis->Start(nullptr), 0x780002u);
        EXPECT_EQ(analysis->Stop(nullptr, false), 0xA30002u);
        const std::wstring tooLong(DEFRAG_VOLUME_CHARS, L'x');
        EXPECT_EQ(analysis->Start(tooLong.c_str()), 0x7A0002u);
        EXPECT_EQ(defrag->Start(tooLong.c_str()), 0x7B0002u);
        EXPECT_EQ(analysis->Stop(tooLong.c_str(), true), 0xA50002u);
        EXPECT_EQ(analysis->Stop(L"\\\\?\\Volume{unknown}\\", true), 0u);
        EXPECT_TRUE(log.Entries().empty());
        const std::string logged = testing_support::ReadFile(machine.Root() + "/program/Defrag.log");
        EXPECT_NE(platform::FromUtf16LEBytes(logged.data(), logged.size()).find(L" nRet=0x1d0001\r\n"), std::wstring::npos);
    });
}

TEST_F(ControllerTest, AVolumeStartedTwiceWhileQueuedRunsOnce)
{
    Prepare("5.1.2600", "[Drive C]\nDefragBlocked=1\n");
    const std::wstring c = VolumeOf(L'C'), d = VolumeOf(L'D');
    analysis->Start(c.c_str());
    ASSERT_TRUE(log.WaitFor(c, DEFRAG_STATE_ANALYSING));
    analysis->Start(d.c_str());
    analysis->Start(d.c_str());
    Block(L'C', false);
    ASSERT_TRUE(log.WaitFor(d, DEFRAG_STATE_ANALYSED));
    EXPECT_EQ(log.States(d), (std::vector<int32_t>{1, 1, 2, 3}));
}

TEST_F(ControllerTest, StoppingAQueuedVolumeReportsItCancelledOnTheCallersThread)
{
    Prepare("5.1.2600", "[Drive C]\nDefragBlocked=1\n");
    const std::wstring c = VolumeOf(L'C'), d = VolumeOf(L'D');
    defrag->Start(c.c_str());
    ASSERT_TRUE(log.WaitFor(c, DEFRAG_STATE_DEFRAGMENTING));
    defrag->Start(d.c_str());
    EXPECT_EQ(defrag->Stop(d.c_str(), false), 0u);
    StatusLog::Entry cancelled;
    ASSERT_TRUE(log.WaitFor(d, DEFRAG_STATE_DEFRAG_CANCELLED, &cancelled, 0));
    EXPECT_EQ(cancelled.value, 0);
    EXPECT_EQ(cancelled.thread, GetCurrentThreadId());
    Block(L'C', false);
    ASSERT_TRUE(log.WaitFor(c, DEFRAG_STATE_DEFRAGMENTED));
    Sleep(300);
    EXPECT_EQ(log.States(d), (std::vector<int32_t>{5, 10}));
}

// Windows XP: an analysis waits while a defragmentation of another volume runs.
TEST_F(ControllerTest, BeforeVistaOneRunOfTheModuleIsUnderWayAtATime)
{
    Prepare("5.1.2600", "[Drive C]\nDefragBlocked=1\n");
    const std::wstring c = VolumeOf(L'C'), d = VolumeOf(L'D');
    defrag->Start(c.c_str());
    ASSERT_TRUE(log.WaitFor(c, DEFRAG_STATE_DEFRAGMENTING));
    analysis->Start(d.c_str());
    Sleep(500);
    EXPECT_EQ(log.Count(d, DEFRAG_STATE_ANALYSING), 0u);
    Block(L'C', false);
    ASSERT_TRUE(log.WaitFor(d, DEFRAG_STATE_ANALYSED));
    std::vector<int32_t> order;
    for (const auto& entry : log.Entries())
        order.push_back(entry.state);
    EXPECT_EQ(order, (std::vector<int32_t>{5, 6, 1, 7, 2, 3}));
}

TEST_F(ControllerTest, AVolumeStartedAgainWhileRunningRunsAgainOnlyAfterwards)
{
    Prepare("6.1.7601", "[Drive C]\nDefragBlocked=1\n");
    const std::wstring c = VolumeOf(L'C');
    analysis->Start(c.c_str());
    ASSERT_TRUE(log.WaitFor(c, DEFRAG_STATE_ANALYSING));
    analysis->Start(c.c_str());
    Sleep(500);
    EXPECT_EQ(log.States(c), (std::vector<int32_t>{1, 2, 1}));
    Block(L'C', false);
    testing_support::WaitUntil([&] { return log.Count(c, DEFRAG_STATE_ANALYSED) >= 2; });
    EXPECT_EQ(log.States(c), (std::vector<int32_t>{1, 2, 1, 3, 2, 3}));
}

TEST_F(ControllerTest, OverlappingStopsWithWaitAllReturn)
{
    Prepare("6.1.7601", "[Drive C]\nDefragBlocked=1\n");
    const std::wstring c = VolumeOf(L'C');
    defrag->Start(c.c_str());
    ASSERT_TRUE(log.WaitFor(c, DEFRAG_STATE_DEFRAGMENTING));
    std::vector<std::future<OpResult>> stops;
    for (int i = 0; i < 3; ++i)
        stops.push_back(std::async(std::launch::async, [&] { return defrag->Stop(c.c_str(), true); }));
    for (auto& stop : stops) {
        ASSERT_EQ(stop.wait_for(std::chrono::seconds(20)), std::future_status::ready);
        EXPECT_EQ(stop.get(), 0u);
    }
    EXPECT_EQ(log.Count(c, DEFRAG_STATE_DEFRAG_CANCELLED), 1u);
}

// Uninit right after Start may meet a worker that has taken the volume but not yet attached its run:
// that run is cancelled all the same, so Uninit never waits for a blocked defragmenter.
TEST_F(ControllerTest, UninitRightAfterStartNeverWaitsForABlockedRun)
{
    Prepare("6.1.7601", "[Defrag]\nDefragBlocked=1\n");
    const std::wstring c = VolumeOf(L'C');
    for (int round = 0; round < 8; ++round) {
        analysis->Start(c.c_str());
        Sleep(round * 3);
        auto uninit = std::async(std::launch::async, [&] { return analysis->Uninit(); });
        ASSERT_EQ(uninit.wait_for(std::chrono::seconds(20)), std::future_status::ready) << round;
        ASSERT_EQ(analysis->Init(), 0u);
        analysis->SetCallback(&StatusLog::Callback, &log);
    }
    EXPECT_EQ(log.Count(c, DEFRAG_STATE_ANALYSED), 0u);
    EXPECT_EQ(log.Count(c, DEFRAG_STATE_ANALYSING), log.Count(c, DEFRAG_STATE_ANALYSIS_CANCELLED));
}

// A Stop that meets the run before its record is attached is kept for it, not lost.
TEST_F(ControllerTest, StopWithWaitRightAfterStartNeverWaitsForABlockedRun)
{
    Prepare("6.1.7601", "[Defrag]\nDefragBlocked=1\n");
    const std::wstring c = VolumeOf(L'C');
    for (int round = 0; round < 8; ++round) {
        defrag->Start(c.c_str());
        Sleep(round * 3);
        auto stop = std::async(std::launch::async, [&] { return defrag->Stop(c.c_str(), true); });
        ASSERT_EQ(stop.wait_for(std::chrono::seconds(20)), std::future_status::ready) << round;
        EXPECT_EQ(log.Count(c, DEFRAG_STATE_DEFRAG_CANCELLED), static_cast<size_t>(round + 1));
    }
    EXPECT_EQ(log.Count(c, DEFRAG_STATE_DEFRAGMENTED), 0u);
}

TEST_F(ControllerTest, AMissingLauncherFailsTheRunAndTheWorkerGoesOn)
{
    Prepare("6.1.7601", "[Drive C]\nFragmentation=3\n");
    const std::string spawn = machine.Root() + "/program/spawn";
    ASSERT_EQ(std::rename(spawn.c_str(), (spawn + ".away").c_str()), 0);
    const std::wstring c = VolumeOf(L'C');
    analysis->Start(c.c_str());
    StatusLog::Entry failed;
    ASSERT_TRUE(log.WaitFor(c, DEFRAG_STATE_ANALYSIS_FAILED, &failed));
    EXPECT_EQ(failed.value, 0x1D40001);
    ASSERT_EQ(std::rename((spawn + ".away").c_str(), spawn.c_str()), 0);
    analysis->Start(c.c_str());
    EXPECT_TRUE(log.WaitFor(c, DEFRAG_STATE_ANALYSED));
}

// ---- Exports

TEST_F(ControllerTest, ExportsHandOutOneObjectWithoutAddingReferencesAndAFreshOneAfterTheLastRelease)
{
    scatterscope_test::PrepareMachine(machine, "6.1.7601");
    IDefragController* first = AnalysisControllerImp();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(AnalysisControllerImp(), first);
    EXPECT_NE(DefragmControllerImp(), static_cast<IDefragController*>(first));
    EXPECT_EQ(first->AddRef(), 2);
    EXPECT_EQ(first->Release(), 1);
    ASSERT_EQ(first->Init(), 0u);
    first->Release();

    analysis = AnalysisControllerImp();
    ASSERT_NE(analysis, nullptr);
    EXPECT_EQ(analysis->Init(), 0u);
    EXPECT_EQ(analysis->AddRef(), 2);
    analysis->Release();
    defrag = DefragmControllerImp();
}

} // namespace
