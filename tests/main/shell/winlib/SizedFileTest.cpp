#include "winlib/SizedFile.h"

#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

TEST(SizedFile, CreatesTruncatesAndSizesFiles)
{
    testing_support::TempMachine machine;
    const std::string host = machine.Root() + "/drive_c/reserve.bin";

    EXPECT_EQ(CreateSizedFile(L"C:\\reserve.bin", 0), 0);
    ASSERT_TRUE(std::filesystem::exists(host));
    EXPECT_EQ(std::filesystem::file_size(host), 0u);

    EXPECT_EQ(CreateSizedFile(L"C:\\reserve.bin", 1 << 20), 0);
    EXPECT_EQ(std::filesystem::file_size(host), 1u << 20);

    machine.WriteFile("drive_c/old.bin", std::string(1000, 'x'));
    EXPECT_EQ(CreateSizedFile(L"C:\\old.bin", 10), 0);
    EXPECT_EQ(std::filesystem::file_size(machine.Root() + "/drive_c/old.bin"), 10u);
}

TEST(SizedFile, ReportsWhichStepFailed)
{
    testing_support::TempMachine machine;
    EXPECT_EQ(CreateSizedFile(L"C:\\No\\Such\\Folder\\file.bin", 10), -2);
    EXPECT_EQ(CreateSizedFile(L"C:\\negative.bin", -1), -3);
}

TEST(SizedFile, ASizeBeyondTheFreeSpaceCannotBeSet)
{
    testing_support::TempMachine machine;
    machine.WriteMachineIni("[Drive D]\nFolder=drive_d\nType=3\nFreeBytes=65536\n");
    std::filesystem::create_directories(machine.Root() + "/drive_d");

    EXPECT_EQ(CreateSizedFile(L"D:\\big.bin", 1 << 20), -4);
    EXPECT_EQ(CreateSizedFile(L"D:\\small.bin", 4096), 0);
}

} // namespace
