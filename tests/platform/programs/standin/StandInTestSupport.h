// A machine for the stand-in Windows programs' tests: drives C: and D: on a fixed SATA disk 0, the
// USB stick E: ("STICK", FAT32) on disk 1, the programs installed in its system folders.
#pragma once

#include "platform/kernel/KernelTestSupport.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <string>

namespace standin_test {

class StandInTest : public ::testing::Test {
protected:
    // Writes machine.ini (driveE adds keys to [Drive E], more adds whole sections) and installs
    // the programs.
    void Prepare(const std::string& driveE = "", const std::string& more = "");

    // Runs the command line to its end, with its standard input ended.
    static kernel_test::Outcome Run(const std::wstring& commandLine);

    // Seeds the services wuauserv ("Windows Update", automatic start, so running) and WaaSMedicSvc
    // ("Windows Update Medic Service", started on demand, recorded as running).
    static void SeedServices();
    // A DWORD value of the service's key, or -1.
    static long long ServiceValue(const std::wstring& service, const std::wstring& name);

    // A key of machine.ini as it is now ("" when missing).
    static std::wstring IniValue(const std::wstring& section, const std::wstring& key);

    // Sets (or adds) a key of machine.ini and reloads the machine.
    static void SetIniValue(const std::wstring& section, const std::wstring& key, const std::wstring& value);

    // Whether the text holds the part.
    static bool Holds(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

    testing_support::TempMachine machine;
};

// The machine with its services seeded, for the tests of sc and net.
class ServiceProgramTest : public StandInTest {
protected:
    void SetUp() override
    {
        Prepare();
        SeedServices();
    }
};

} // namespace standin_test
