#include "KyCrush.h"

#include "platform/Machine.h"
#include "platform/Text.h"
#include "platform/Windows.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

std::string TempFolder()
{
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    return platform::HostPath(folder);
}

// The crash reports the dump writer left in the temporary folder.
std::vector<std::string> Reports()
{
    std::vector<std::string> reports;
    for (const auto& entry : fs::directory_iterator(TempFolder()))
        if (entry.path().string().size() > 10 && entry.path().string().rfind(".crash.txt") != std::string::npos)
            reports.push_back(testing_support::ReadFile(entry.path().string()));
    return reports;
}

std::string ProgramPath()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return platform::ToUtf8(path);
}

TEST(KyCrush, WithoutARecordNothingIsWritten)
{
    platform::SetProgramFolder(testing_support::BuildProgramFolder());
    CKyCrush().Install();
    EXPECT_EQ(EXCEPTION_CONTINUE_SEARCH, CrashFilter(nullptr));
    EXCEPTION_POINTERS empty {};
    EXPECT_EQ(EXCEPTION_CONTINUE_SEARCH, CrashFilter(&empty));
    EXPECT_TRUE(Reports().empty());
}

TEST(KyCrush, DumpWriterRecordsProgramProcessThreadAndAddress)
{
    platform::SetProgramFolder(testing_support::BuildProgramFolder());
    CKyCrush().Install();
    EXCEPTION_RECORD record {};
    record.ExceptionCode = EXCEPTION_ACCESS_VIOLATION;
    EXCEPTION_POINTERS pointers {&record, nullptr};
    EXPECT_EQ(EXCEPTION_EXECUTE_HANDLER, CrashFilter(&pointers));

    const std::vector<std::string> reports = Reports();
    ASSERT_EQ(1u, reports.size());
    char address[32];
    std::snprintf(address, sizeof(address), "%p", static_cast<void*>(&pointers));
    EXPECT_NE(std::string::npos, reports[0].find("Program: " + ProgramPath() + "\r\n"));
    EXPECT_NE(std::string::npos, reports[0].find("Process id: " + std::to_string(GetCurrentProcessId()) + "\r\n"));
    EXPECT_NE(std::string::npos, reports[0].find("Thread id: " + std::to_string(GetCurrentThreadId()) + "\r\n"));
    EXPECT_NE(std::string::npos, reports[0].find(std::string("Exception pointers: ") + address + "\r\n"));
}

TEST(KyCrush, WithoutTheDumpWriterTheCrashGoesOn)
{
    testing_support::TempMachine machine;
    machine.UseProgramFolder();
    CKyCrush().Install();
    EXCEPTION_RECORD record {};
    EXCEPTION_POINTERS pointers {&record, nullptr};
    EXPECT_EQ(EXCEPTION_CONTINUE_SEARCH, CrashFilter(&pointers));
}

void CrashWithTheFilter()
{
    platform::SetProgramFolder(testing_support::BuildProgramFolder());
    CKyCrush().Install();
    std::raise(SIGSEGV);
}

TEST(KyCrushDeathTest, ACrashEndsWithTheExceptionCodeAfterTheReport)
{
    EXPECT_EXIT(CrashWithTheFilter(), testing::ExitedWithCode(EXCEPTION_ACCESS_VIOLATION & 0xFF), "");
    const std::vector<std::string> reports = Reports();
    ASSERT_EQ(1u, reports.size());
    EXPECT_NE(std::string::npos, reports[0].find("Exception pointers: 0x"));
}

void CrashWithoutAWriter()
{
    testing_support::TempMachine machine;
    machine.UseProgramFolder();
    CKyCrush().Install();
    std::raise(SIGSEGV);
}

TEST(KyCrushDeathTest, WithoutTheWriterTheSignalTakesItsCourse)
{
    EXPECT_EXIT(CrashWithoutAWriter(), testing::KilledBySignal(SIGSEGV), "");
}

} // namespace
