// An elevated program over a machine of a less-privileged user acts there with that user's rights:
// whatever the user plants in the machine leads the program's writes only where the user could
// write anyway, never outside the machine, never into the program folder of root's.
#include "support/OtherUser.h"
#include "support/UsersMachine.h"

#include "platform/Machine.h"
#include "platform/Windows.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

using namespace testing_support;

namespace {

// Built beside the tests.
std::string Probe() { return std::filesystem::read_symlink("/proc/self/exe").parent_path().string() + "/rights_probe"; }

struct WriteKind {
    const char* kind;
    const char* at;      // the Windows path the probe writes, below drive C:
    const char* link;    // the machine's name that the user makes a link, relative to the machine root
    bool folder;         // whether the link leads to a folder
    const char* outside; // what the probe answers where the link leads out of the machine
};

// Each kind of write the suite makes, aimed at a name the user made a link. Into the program folder
// every one is refused as the user's would be. A link that leads out of the machine is a broken
// link to the layer, which finds no file or folder behind it; a copy puts a new file in the link's
// place, as it would over any file, and a plain C library call is refused by the kernel. The file
// logger writes nothing through a link and never says so.
const WriteKind kWrites[] = {
    {"create", "C:\\aim", "drive_c/aim", false, "failed 2\n"},
    {"overwrite", "C:\\aim", "drive_c/aim", false, "failed 2\n"},
    {"append", "C:\\aim", "drive_c/aim", false, "failed 2\n"},
    {"profile", "C:\\aim\\settings.ini", "drive_c/aim", true, "failed 3\n"},
    {"folder", "C:\\aim\\made", "drive_c/aim", true, "failed 3\n"},
    {"copy", "C:\\aim", "drive_c/aim", false, "ok\n"},
    {"registry", "", "registry.db", false, "failed 5\n"},
    {"hostfile", "", "drive_c/aim", false, "failed 5\n"},
    {"log", "", "drive_c/Users/Owner/AppData/Local/Temp/Quarnel.log", false, "ok\n"},
};

} // namespace

TEST(ElevatedRights, WritesThroughLinksTheMachinesUserPlantedReachNothingOfRoots)
{
    if (const std::string why = WhyNotAsOtherUser(); !why.empty())
        GTEST_SKIP() << why;
    for (const bool intoProgramFolder : {false, true}) {
        for (const WriteKind& write : kWrites) {
            SCOPED_TRACE(std::string(write.kind) + (intoProgramFolder ? " into the program folder" : " outside"));
            const CUsersMachine machine;
            const std::string target = write.folder ? (intoProgramFolder ? machine.ProgramFolder() : machine.Outside())
                                                    : (intoProgramFolder ? machine.ProgramFile() : machine.Secret());
            const std::string link = machine.Root() + "/" + write.link;
            const std::string source = machine.Root() + "/drive_c/source.txt";
            ASSERT_TRUE(AsOtherUser([&] {
                const int fd = open(source.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
                return fd >= 0 && close(fd) == 0 && symlink(target.c_str(), link.c_str()) == 0;
            }));
            const std::string before = machine.LookOutside();
            std::string printed;
            const std::string at = *write.at ? write.at : link;
            ASSERT_EQ(machine.RunAsRoot({Probe(), write.kind, at, "C:\\source.txt"}, &printed), 0);
            const bool refusedAlike = std::string(write.kind) != "copy" && std::string(write.kind) != "log";
            EXPECT_EQ(printed, intoProgramFolder && refusedAlike ? "failed 5\n" : write.outside);
            EXPECT_EQ(machine.LookOutside(), before);
        }
    }
}

// Even with root's own rights (this test's), the machine's folders and its registry are made only
// inside the machine, whatever names of it the user made links.
TEST(ElevatedRights, TheMachinesFoldersAndRegistryAreMadeOnlyInsideTheMachine)
{
    if (const std::string why = WhyNotAsOtherUser(); !why.empty())
        GTEST_SKIP() << why;
    const CUsersMachine machine;
    const std::string outside = machine.Outside();
    ASSERT_TRUE(AsOtherUser([&] {
        const std::string owner = machine.Root() + "/drive_c/Users/Owner";
        return rename(owner.c_str(), (owner + ".old").c_str()) == 0 && symlink(outside.c_str(), owner.c_str()) == 0 &&
               symlink(outside.c_str(), (machine.Root() + "/drive_d").c_str()) == 0 &&
               symlink((outside + "/registry.db").c_str(), (machine.Root() + "/registry.db").c_str()) == 0;
    }));
    const std::string before = machine.LookOutside();
    std::ofstream(machine.Root() + "/machine.ini") << "[Drive D]\nFolder=drive_d\n";
    platform::ReloadMachine();
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Probe", 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(machine.LookOutside(), before);
}

// Its own places it writes with its own rights: the program folder of root's alone, reached
// without a link, takes its files as root's.
TEST(ElevatedRights, TheProgramFolderOfRootsAloneTakesTheProgramsOwnWrites)
{
    if (const std::string why = WhyNotAsOtherUser(); !why.empty())
        GTEST_SKIP() << why;
    const CUsersMachine machine;
    const std::string folder = "C:\\Program Files (x86)\\Orvane\\Orvane Quarnel\\bin\\";
    for (const char* kind : {"create", "profile", "folder"}) {
        SCOPED_TRACE(kind);
        std::string printed;
        ASSERT_EQ(machine.RunAsRoot({Probe(), kind, folder + kind}, &printed), 0);
        EXPECT_EQ(printed, "ok\n");
        struct stat st {};
        ASSERT_EQ(lstat((machine.ProgramFolder() + "/" + kind).c_str(), &st), 0);
        EXPECT_EQ(st.st_uid, 0u);
    }
}
