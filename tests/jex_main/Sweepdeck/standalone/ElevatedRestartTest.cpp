// The elevated restart starts only a file of the program folder, whatever the configuration names:
// a name that is a path, or leads out by "..", starts nothing, even where a program lies there.

#include "StandaloneFixture.h"

#include "standalone/ElevatedRestart.h"

#include "common/ModuleDir.h"
#include "platform/Machine.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace standalone_test {
namespace {

namespace fs = std::filesystem;

class ElevatedRestartTest : public StandaloneTest {};

TEST_F(ElevatedRestartTest, OnlyAPlainNameOfTheProgramFolderIsStarted)
{
    struct Case {
        const char* iniValue;   // as UIConfigAdd.ini holds it
        const wchar_t* names;   // the file it names, from the program folder
        bool started;
    };
    const Case cases[] = {
        {"Cleaner.exe", L"Cleaner.exe", true},
        {"../Cleaner.exe", L"..\\Cleaner.exe", false},
        {"..\\\\Cleaner.exe", L"..\\Cleaner.exe", false},
        {"sub/Cleaner.exe", L"sub\\Cleaner.exe", false},
        {"sub\\\\Cleaner.exe", L"sub\\Cleaner.exe", false},
        {"sub/../Cleaner.exe", L"Cleaner.exe", false},
    };
    machine.WriteMachineIni("[Machine]\nAdministrator=1\n");
    machine.UseProgramFolder();
    const std::string helper = testing_support::BuildProgramFolder() + "/../tests/bin/kernel_test_helper";
    const std::string record = machine.Root() + "/record.txt";
    setenv("KERNEL_HELPER_RECORD", record.c_str(), 1);
    for (const Case& test : cases) {
        SCOPED_TRACE(test.iniValue);
        // A program where the name leads, so that only the name's refusal keeps it from starting.
        std::string placed = platform::HostPath(GetModuleDir() + test.names);
        ASSERT_GT(placed.size(), 4u);
        placed.resize(placed.size() - 4);  // the host program has no ".exe"
        fs::create_directories(fs::path(placed).parent_path());
        fs::copy_file(helper, placed, fs::copy_options::overwrite_existing);
        fs::remove(record);
        machine.WriteFile("program/UIConfigAdd.ini", std::string("[Cleanup]\nName=") + test.iniValue + "\n");
        EXPECT_EQ(test.started, RestartElevated(3));
        if (test.started)
            EXPECT_TRUE(WaitUntil([&] { return testing_support::ReadFile(record) == "restart\n3\n"; }));
        fs::remove(placed);
    }
    unsetenv("KERNEL_HELPER_RECORD");
}

} // namespace
} // namespace standalone_test
