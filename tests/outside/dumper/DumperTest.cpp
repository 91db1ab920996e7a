// The crash-dump writer's report in the user's temporary folder, which the machine's user writes
// while an elevated program may be the one that crashed.
#include "common/RunProcess.h"

#include "platform/Machine.h"
#include "support/OtherUser.h"
#include "support/TempMachine.h"
#include "support/UsersMachine.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// The machine's user puts links to a file of root's in the program folder at the report's name and
// at its draft's: the report takes the name's place, and the file stays as it was.
TEST(Dumper, AReportTakesItsNamesPlaceAndNeverWritesThroughIt)
{
    if (const std::string why = testing_support::WhyNotAsOtherUser(); !why.empty())
        GTEST_SKIP() << why;
    const testing_support::CUsersMachine machine;
    const std::string program = machine.ProgramFolder();
    const std::string dumper = program + "/dumper";
    fs::copy_file(DUMPER_PATH, dumper);
    const std::string own = program + "/Quarnel";
    std::ofstream(own, std::ios::binary) << "root's program\n";
    const std::string temp = machine.Root() + "/drive_c/Users/Owner/AppData/Local/Temp";
    const std::string report = temp + "/Quarnel.4242.crash.txt";
    ASSERT_TRUE(testing_support::AsOtherUser([&] {
        return symlink(own.c_str(), report.c_str()) == 0 && symlink(own.c_str(), (report + ".draft").c_str()) == 0;
    }));

    EXPECT_EQ(0, RunProcess(platform::WindowsPath(dumper),
                            L"\"C:\\Program Files (x86)\\Orvane\\Orvane Quarnel\\bin\\Quarnel.exe\" 4242 17 0x7ffd1234",
                            true));

    EXPECT_EQ("root's program\n", testing_support::ReadFile(own));
    ASSERT_TRUE(fs::is_regular_file(fs::symlink_status(report)));
    const std::string text = testing_support::ReadFile(report);
    EXPECT_EQ(0u, text.find("Crash report\r\nTime: "));
    EXPECT_NE(std::string::npos, text.find("\r\nProcess id: 4242\r\nThread id: 17\r\nException pointers: 0x7ffd1234\r\n"));
    EXPECT_FALSE(fs::exists(fs::symlink_status(report + ".draft")));
}

} // namespace
