// An elevated process (root here) publishes and looks up window records in a machine whose
// folder a less-privileged user owns: nothing the user plants in run/windows makes it open, make,
// change or give away anything outside the machine, or wait forever, and a planted record is no
// window.
#include "ProcessRecord.h"
#include "WindowRecords.h"

#include "support/OtherUser.h"
#include "support/RunFolderPlants.h"

#include "platform/Machine.h"

#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>
#include <unistd.h>

using testing_support::PlantKind;

namespace {

bool Listed(const platform::WindowRecord& wanted)
{
    for (const platform::WindowRecord& record : platform::PublishedWindows())
        if (record.pid == wanted.pid && record.localId == wanted.localId && record.title == wanted.title)
            return true;
    return false;
}

} // namespace

TEST(ElevatedWindowRecords, NothingTheMachinesUserPlantsInRunLeadsOutOfTheMachine)
{
    if (const std::string why = testing_support::WhyNotAsOtherUser(); !why.empty())
        GTEST_SKIP() << why;
    platform::WindowRecord window;
    window.pid = getpid();
    window.startTime = platform::HostStartTime(window.pid).value_or(0);
    window.localId = 7;
    window.visible = true;
    window.title = L"Planted Around";
    const std::string name = "windows/" + std::to_string(window.pid) + "-" + std::to_string(window.startTime) + "-7";
    const std::string draft = "windows/." + name.substr(name.find('/') + 1);
    struct Case {
        testing_support::RunPlant plant;
        bool refused; // whether publishing must fail rather than take the plant
    };
    const Case cases[] = {
        {{"a link at run/ itself", PlantKind::LinkToOutsideFolder, {""}}, true},
        {{"a link at run/windows", PlantKind::LinkToOutsideFolder, {"windows"}}, true},
        {{"a link at a window record", PlantKind::LinkToOutsideFile, {name}}, false},
        {{"a FIFO at a window record", PlantKind::Fifo, {name}}, false},
        {{"hard links at a window record and its draft", PlantKind::HardLinkToOutsideFile, {name, draft}}, false},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.plant.what);
        const testing_support::CPlantedRun run(test.plant);
        ASSERT_TRUE(run.Planted());
        run.RunCalls([&] {
            // what is planted is no window
            EXPECT_FALSE(Listed(window));
            EXPECT_FALSE(platform::PublishedWindow(window.pid, window.localId));
            const std::string path = platform::PublishWindow(window);
            const int folder = platform::OpenWindowsFolder();
            EXPECT_EQ(!test.refused, !path.empty() && folder >= 0 && Listed(window) &&
                                         platform::PublishedWindow(window.pid, window.localId));
            if (folder >= 0)
                close(folder);
            struct stat st {};
            if (!path.empty()) {
                // kept root's, as what an elevated process takes must be
                ASSERT_EQ(0, lstat((platform::Machine().root + "/run/" + name).c_str(), &st));
                EXPECT_EQ(0u, st.st_uid);
            }
            platform::WithdrawWindow(path);
            EXPECT_FALSE(platform::PublishedWindow(window.pid, window.localId));
        });
    }
}
