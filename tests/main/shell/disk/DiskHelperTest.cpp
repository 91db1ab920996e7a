// The disk helpers on a machine with a fixed SATA disk and a USB stick: disk numbers and buses of
// drives, what a disk reports of itself, and how failures end.
#include "DiskHelper.h"

#include "platform/Machine.h"
#include "platform/Text.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class DiskHelperTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        machine.WriteMachineIni("[Drive C]\nDisk=0\n[Drive D]\nLabel=Data\nDisk=0\n"
                                "[Drive E]\nType=2\nBus=7\nDisk=1\nLabel=STICK\n"
                                "[Drive F]\nType=2\nBus=7\nDisk=5\n"
                                "[Drive G]\nType=5\nDisk=-1\n"
                                "[Disk 0]\nBus=11\nVendor=QUARNEL\nProduct=SSD\nSize=512110190592\n"
                                "[Disk 1]\nBus=7\nVendor=Kingstone\nProduct=DataTraveler\nSize=15518924800\n"
                                "[Disk 2]\nBus=12\nVendor=CardCo\n");
    }

    // The log so far, as text.
    static std::wstring Log()
    {
        wchar_t folder[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, folder);
        const std::string bytes = testing_support::ReadFile(platform::HostPath(std::wstring(folder) + L"Quarnel.log"));
        return platform::FromUtf16LEBytes(bytes.data(), bytes.size());
    }

    testing_support::TempMachine machine;
};

TEST_F(DiskHelperTest, TellsTheDiskAndBusOfEachDrive)
{
    EXPECT_EQ(GetDiskNoOfVolume('C'), 0);
    EXPECT_EQ(GetDiskNoOfVolume('d'), 0);
    EXPECT_EQ(GetDiskNoOfVolume('E'), 1);
    EXPECT_EQ(CDiskHelper::GetDiskBusTypeOfVolume('C'), BusTypeSata);
    EXPECT_EQ(CDiskHelper::GetDiskBusTypeOfVolume('E'), BusTypeUsb);
    EXPECT_EQ(GetDiskBusTypeByID(2), BusTypeSd);
    EXPECT_EQ(Log(), L"");
}

TEST_F(DiskHelperTest, DrivesWithoutVolumeOrDiskGiveMinusOne)
{
    EXPECT_EQ(GetDiskNoOfVolume('X'), -1);
    EXPECT_EQ(CDiskHelper::GetDiskBusTypeOfVolume('X'), -1);
    EXPECT_EQ(Log(), L"") << "a drive letter without a volume is not logged";

    EXPECT_EQ(GetDiskNoOfVolume('G'), -1);
    EXPECT_NE(Log().find(L"GetDiskNoOfVolume DeviceIoControl error:G code:1\r\n"), std::wstring::npos) << Log();

    EXPECT_EQ(GetDiskNoOfVolume('F'), 5);
    EXPECT_EQ(CDiskHelper::GetDiskBusTypeOfVolume('F'), -1);
    EXPECT_NE(Log().find(L"open disk error, code: 2\r\n"), std::wstring::npos) << Log();
}

TEST_F(DiskHelperTest, DescribesADiskBySizeAndTexts)
{
    uint64_t size = 0;
    std::string text;
    EXPECT_GT(CDiskHelper::GetDiskInfoByID(1, size, text), 0);
    // The geometry's whole cylinders of 255 tracks of 63 sectors of 512 bytes.
    EXPECT_EQ(size, 1886ull * 255 * 63 * 512);
    EXPECT_EQ(text, "KingstoneDataTraveler1.0");

    EXPECT_GT(CDiskHelper::GetDiskInfoByID(2, size, text), 0);
    EXPECT_EQ(text, "CardCo1.0");
}

TEST_F(DiskHelperTest, ADiskThatCannotBeOpenedLeavesTheOutputsAlone)
{
    uint64_t size = 77;
    std::string text = "kept";
    EXPECT_EQ(CDiskHelper::GetDiskInfoByID(9, size, text), -1);
    EXPECT_EQ(size, 77u);
    EXPECT_EQ(text, "kept");
    EXPECT_EQ(CDiskHelper::OpenPhysicalDrive(9), INVALID_HANDLE_VALUE);
    HANDLE disk = CDiskHelper::OpenPhysicalDrive(0);
    ASSERT_NE(disk, INVALID_HANDLE_VALUE);
    CloseHandle(disk);
}

} // namespace
