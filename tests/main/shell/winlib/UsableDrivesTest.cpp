#include "winlib/UsableDrives.h"

#include "support/TempMachine.h"

#include <gtest/gtest.h>

namespace {

DWORD Bit(wchar_t letter)
{
    return 1u << (letter - L'A');
}

TEST(UsableDrives, ListsTheDrivesAndPicksTheRoomiestFixedOrRemovableOne)
{
    testing_support::TempMachine machine;
    machine.WriteMachineIni("[Drive C]\nFolder=drive_c\nType=3\nFreeBytes=1000000\n"
                            "[Drive D]\nFolder=drive_d\nType=3\nFreeBytes=5000000\n"
                            "[Drive E]\nFolder=drive_e\nType=2\nBus=7\nFreeBytes=3000000\n"
                            "[Drive F]\nFolder=drive_f\nType=5\nFreeBytes=9000000\n");

    DWORD mask = 0;
    EXPECT_EQ(GetUsableDrives(mask), L'D');
    EXPECT_EQ(mask, Bit(L'C') | Bit(L'D') | Bit(L'E') | Bit(L'F'));

    // A changed drive set is surveyed again.
    machine.WriteMachineIni("[Drive C]\nFolder=drive_c\nType=3\nFreeBytes=1000000\n"
                            "[Drive E]\nFolder=drive_e\nType=2\nBus=7\nFreeBytes=3000000\n");
    EXPECT_EQ(GetUsableDrives(mask), L'E');
    EXPECT_EQ(mask, Bit(L'C') | Bit(L'E'));
}

} // namespace
