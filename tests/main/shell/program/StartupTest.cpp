#include "StartupGuards.h"

#include "platform/Machine.h"
#include "platform/Windows.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

namespace {

TEST(StartupScale, OneStepPer810LinesFromTwoSteps)
{
    EXPECT_EQ(0u, ScaleFactorForHeight(0));
    EXPECT_EQ(0u, ScaleFactorForHeight(1080));
    EXPECT_EQ(0u, ScaleFactorForHeight(1619));
    EXPECT_EQ(2u, ScaleFactorForHeight(1620));
    EXPECT_EQ(2u, ScaleFactorForHeight(2160));
    EXPECT_EQ(2u, ScaleFactorForHeight(2429));
    EXPECT_EQ(3u, ScaleFactorForHeight(2430));
    EXPECT_EQ(3u, ScaleFactorForHeight(3239));
}

TEST(StartupScale, DisplayModeComesFromTheMachine)
{
    testing_support::TempMachine machine;
    machine.WriteMachineIni("[Machine]\nScreenHeight=2160\n");
    DEVMODEW mode {};
    mode.dmSize = sizeof(mode);
    ASSERT_TRUE(EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &mode));
    EXPECT_EQ(2160u, mode.dmPelsHeight);
    EXPECT_EQ(3840u, mode.dmPelsWidth);
    EXPECT_EQ(sizeof(mode), mode.dmSize);
    EXPECT_FALSE(EnumDisplaySettingsW(nullptr, 1, &mode));
    EXPECT_FALSE(EnumDisplaySettingsW(L"\\\\.\\DISPLAY7", ENUM_CURRENT_SETTINGS, &mode));

    unsetenv("QT_SCALE_FACTOR");
    ApplyScaleFactor();
    EXPECT_STREQ("2", getenv("QT_SCALE_FACTOR"));

    unsetenv("QT_SCALE_FACTOR");
    machine.WriteMachineIni("[Machine]\nScreenHeight=1080\nScreenWidth=1920\n");
    ApplyScaleFactor();
    EXPECT_EQ(nullptr, getenv("QT_SCALE_FACTOR"));
}

TEST(StartupWords, OnlyTheWholeFirstArgumentCounts)
{
    auto words = [](std::vector<const char*> args) {
        args.insert(args.begin(), "Quarnel");
        return ReadStartupWords(static_cast<int>(args.size()), const_cast<char**>(args.data()));
    };
    EXPECT_TRUE(words({"autostart"}).autostart);
    EXPECT_FALSE(words({"autostart"}).autoscan);
    EXPECT_TRUE(words({"autoscan"}).autoscan);
    for (const char* other : {"AutoStart", "autostart2", "autoscan ", ""}) {
        EXPECT_FALSE(words({other}).autostart) << other;
        EXPECT_FALSE(words({other}).autoscan) << other;
    }
    EXPECT_FALSE(words({"x", "autostart"}).autostart);
    EXPECT_FALSE(words({}).autostart);
}

TEST(StartupLock, BlockKeyOfTheUpdateDescription)
{
    testing_support::TempMachine machine;
    const std::string folder = machine.UseProgramFolder();
    const std::wstring windowsFolder = platform::WindowsPath(folder);
    EXPECT_FALSE(IsStartupLocked(windowsFolder));
    machine.WriteFile("program/kyphtupdate.ini", "[block]\nmain=0\n[update]\nbuild=1.0\n");
    EXPECT_FALSE(IsStartupLocked(windowsFolder));
    machine.WriteFile("program/kyphtupdate.ini", "[block]\nmain=1\n");
    EXPECT_TRUE(IsStartupLocked(windowsFolder));
    EXPECT_EQ(windowsFolder, GetProgramFolder());
}

TEST(StartupInstance, SecondClaimSeesTheFirst)
{
    testing_support::TempMachine machine;
    const wchar_t name[] = L"Global\\ORVANE Draviels test instance";
    EXPECT_FALSE(IsInstanceRunning(name));
    EXPECT_TRUE(IsInstanceRunning(name));
    EXPECT_FALSE(IsInstanceRunning(L""));
    EXPECT_FALSE(IsInstanceRunning(nullptr));
}

} // namespace
