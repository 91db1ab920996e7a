// The drive list on a machine with a fixed SATA disk, a USB stick with two volumes and drives the
// repair tools do not offer: what is listed, when the USB report goes out, and callers on several
// threads.
#include "GetDriverInfo.h"

#include "platform/Machine.h"
#include "support/TempMachine.h"
#include "support/UsageEvents.h"
#include "support/FreshProcess.h"

#include <QJsonObject>

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

const char* const INTERNAL_DRIVES = "[Drive C]\nLabel=System\nDisk=0\n[Drive D]\nLabel=Data\nDisk=0\n"
                                    "[Disk 0]\nBus=11\nVendor=QUARNEL\nProduct=SSD\nSize=512110190592\n";
const char* const OTHER_DRIVES = "[Drive E]\nType=2\nLabel=STICK\nDisk=2\n[Drive F]\nType=2\nLabel=BACKUP\nDisk=2\n"
                                 "[Drive G]\nDisk=3\n[Drive H]\nType=5\nDisk=-1\n"
                                 "[Disk 2]\nBus=7\nVendor=Kingstone\nProduct=DataTraveler\nSize=15518924800\n"
                                 "[Disk 3]\nBus=4\nVendor=FireCo\n";

class GetDriverInfoTest : public ::testing::Test {
protected:
    void SetUp() override { platform::SetProgramFolder(testing_support::BuildProgramFolder()); }

    static QStringList Drivers(const QList<S_DRIVE_INFO>& list)
    {
        QStringList drivers;
        for (const S_DRIVE_INFO& info : list)
            drivers.append(info.strDriver);
        return drivers;
    }

    testing_support::TempMachine machine;
};

TEST_F(GetDriverInfoTest, ListsInternalAndUsbDrivesAndReportsEachUsbDiskOnce)
{
    RUN_IN_FRESH_PROCESS({
        machine.WriteMachineIni(std::string(INTERNAL_DRIVES) + OTHER_DRIVES);
        const QList<S_DRIVE_INFO> list = CGetDriverInfo::GetInstance()->GetDriverList(false);
        ASSERT_EQ(Drivers(list), (QStringList {"C:", "D:", "E:", "F:"}));
        EXPECT_TRUE(list[0].bSystem);
        EXPECT_TRUE(list[0].bInternal);
        EXPECT_EQ(list[1].strVolumeName, QStringLiteral("Data"));
        EXPECT_FALSE(list[1].bSystem);
        EXPECT_EQ(list[1].iDiskNo, 0);
        EXPECT_FALSE(list[2].bInternal);
        EXPECT_EQ(list[2].iDiskNo, 2);
        EXPECT_EQ(list[3].strVolumeName, QStringLiteral("BACKUP"));
        EXPECT_TRUE(list[3].strExtra.isEmpty());

        const std::vector<QJsonObject> first = testing_support::UsageEvents(1);
        ASSERT_EQ(first.size(), 1u);
        EXPECT_EQ(first[0].value("Window").toString(), QStringLiteral("WriteProtection"));
        EXPECT_EQ(first[0].value("Activity").toString(), QStringLiteral("Info_USBinfo"));
        EXPECT_EQ(first[0].value("Attribute").toString(),
                  QStringLiteral("{\"USBinfo\": {\"USB2\": [\"KingstoneDataTraveler1.0\", \"14.45 GB\"]}}"));

        EXPECT_EQ(Drivers(CGetDriverInfo::GetInstance()->GetDriverList(false)).size(), 4);
        EXPECT_EQ(testing_support::UsageEvents(1).size(), 1u) << "a stored list is not reported again";
        EXPECT_EQ(Drivers(CGetDriverInfo::GetInstance()->GetDriverList(true)).size(), 4);
        EXPECT_EQ(testing_support::UsageEvents(2).size(), 2u) << "a refresh that finds a USB disk reports it again";
    });
}

TEST_F(GetDriverInfoTest, KeepsTheListUntilARefreshFindsTheArrivedStick)
{
    RUN_IN_FRESH_PROCESS({
        machine.WriteMachineIni(INTERNAL_DRIVES);
        EXPECT_EQ(Drivers(CGetDriverInfo::GetInstance()->GetDriverList(false)), (QStringList {"C:", "D:"}));

        machine.WriteMachineIni(std::string(INTERNAL_DRIVES) + OTHER_DRIVES);
        EXPECT_EQ(Drivers(CGetDriverInfo::GetInstance()->GetDriverList(false)), (QStringList {"C:", "D:"}));
        EXPECT_EQ(Drivers(CGetDriverInfo::GetInstance()->GetDriverList(true)), (QStringList {"C:", "D:", "E:", "F:"}));
        EXPECT_EQ(testing_support::UsageEvents(1).size(), 1u) << "only the fill that found the stick reports";
    });
}

TEST_F(GetDriverInfoTest, RefreshesOnSeveralThreadsNeverShowAHalfFilledList)
{
    RUN_IN_FRESH_PROCESS({
        machine.WriteMachineIni(std::string(INTERNAL_DRIVES) + OTHER_DRIVES);
        std::vector<std::thread> callers;
        std::atomic<int> incomplete {0};
        for (int thread = 0; thread < 4; ++thread)
            callers.emplace_back([&incomplete, thread] {
                for (int round = 0; round < 5; ++round)
                    if (CGetDriverInfo::GetInstance()->GetDriverList(thread % 2 == 0).size() != 4)
                        ++incomplete;
            });
        for (auto& caller : callers)
            caller.join();
        EXPECT_EQ(incomplete.load(), 0);
    });
}

} // namespace
