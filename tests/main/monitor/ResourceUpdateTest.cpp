// The start-up assistant's resource pack, fetched through the Update library from the local test
// web service, which serves the description, the pack and the pictures in it.
#include "GarbageScanMgr.h"

#include "FakeSources.h"
#include "StarUpWnd.h"

#include "CommunityTestServer.h"
#include "ZipBuilder.h"

#include "platform/Machine.h"
#include "support/TempMachine.h"
#include "support/WaitUntil.h"

#include <QBuffer>
#include <QImage>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using testing_support::ReadFile;

namespace {

// A picture of the card's size in one colour, as PNG bytes.
std::string Picture(const QColor& colour)
{
    QImage image(350, 410, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes.toStdString();
}

class ResourceUpdateTest : public testing::Test {
protected:
    void SetUp() override
    {
        folder_ = machine_.UseProgramFolder();
        for (const char* library : {"/Update.so", "/KyDownload.so"})
            testing_support::InstallFromBuild(testing_support::BuildProgramFolder() + library);
        clock_->today = QDate(2026, 12, 5);
        const std::string site = server_.WebSite();
        files_ = site.substr(0, site.size() - 4) + "/files/";
    }

    // What the local service answers for a file below "/files/".
    void Serve(const std::string& name, const std::string& body, int status = 200)
    {
        server_.ServeAt("/files/" + name, community_test::ScriptedReply{status, body});
    }
    std::string Description(int version, const std::string& extra = std::string()) const
    {
        return "[update]\nresver=" + std::to_string(version) + "\nconfig=" + files_ + "traypop.ini\nresurl=" + files_ +
               "images.zip\n" + extra;
    }
    int RequestsFor(const std::string& name) const
    {
        int count = 0;
        for (const auto& request : server_.Requests())
            count += request.target == "/files/" + name;
        return count;
    }

    std::string Resource(const CGarbageScanMgr& monitor, const std::string& name) const
    {
        return platform::HostPath(monitor.ResourceFolder().toStdWString()) + "/" + name;
    }
    void WriteResource(const CGarbageScanMgr& monitor, const std::string& name, const std::string& content) const
    {
        fs::create_directories(fs::path(Resource(monitor, name)).parent_path());
        std::ofstream(Resource(monitor, name), std::ios::binary) << content;
    }

    // Runs one update on the resource thread and waits for its end on the GUI thread.
    static bool Update(CGarbageScanMgr& monitor)
    {
        QSignalSpy finished(&monitor, &CGarbageScanMgr::sigUpdateFinish);
        monitor.UpdateRes(false);
        EXPECT_TRUE(finished.wait(testing_support::kPatience.count()));
        QTest::qWait(50);  // the queued end reaches the monitor too
        return !finished.isEmpty() && finished.first().first().toBool();
    }

    testing_support::TempMachine machine_;
    community_test::CCommunityTestServer server_;
    std::shared_ptr<CFakeSources> clock_ = std::make_shared<CFakeSources>();
    std::string folder_;
    std::string files_;
};

TEST_F(ResourceUpdateTest, FirstStartCopiesTheDefaultsAndOffersTheDaysAssistant)
{
    machine_.WriteFile("program/TrayPop.ini", "[update]\nresver=0\n");
    machine_.WriteFile("program/res/TrayPop/5.png", Picture(Qt::darkBlue));
    machine_.WriteFile("program/res/TrayPop/5.txt", "Default tip of the fifth");
    CGarbageScanMgr monitor(nullptr, clock_);
    EXPECT_TRUE(Update(monitor));
    EXPECT_TRUE(fs::exists(Resource(monitor, "TrayPop.ini")));
    ASSERT_TRUE(monitor.StarUpWnd()->isVisible());
    EXPECT_EQ(QStringLiteral("Default tip of the fifth"), monitor.StarUpWnd()->Text());
    EXPECT_FALSE(monitor.IsScanTimerActive()) << "the assistant's end arms the scan";

    monitor.StarUpWnd()->HideWnd();
    EXPECT_FALSE(Update(monitor)) << "the installed description names no address";
    EXPECT_FALSE(monitor.StarUpWnd()->isVisible()) << "one offer a run";
    EXPECT_TRUE(monitor.IsScanTimerActive());
}

TEST_F(ResourceUpdateTest, StartedAtLogInTheMonitorUpdatesThePackBeforeAnythingElse)
{
    machine_.WriteFile("program/TrayPop.ini", "[update]\nresver=0\n");
    machine_.WriteFile("program/res/TrayPop/5.png", Picture(Qt::darkBlue));
    machine_.WriteFile("program/res/TrayPop/5.txt", "Default tip of the fifth");
    CGarbageScanMgr monitor(nullptr, clock_);
    monitor.MarkShutDown();
    QSignalSpy scan(&monitor, &CGarbageScanMgr::sigAutoScan);
    QSignalSpy finished(&monitor, &CGarbageScanMgr::sigUpdateFinish);

    monitor.StartMonitor(true, false);
    EXPECT_FALSE(fs::exists(Resource(monitor, "shutdown.tmp"))) << "a marker of an earlier run";
    EXPECT_FALSE(monitor.IsScanTimerActive()) << "the update's end arms the scan or offers the assistant";
    bool checkingShutdown = false;
    for (const QTimer* timer : monitor.findChildren<QTimer*>())
        checkingShutdown = checkingShutdown || (timer->interval() == 60000 && timer->isActive());
    EXPECT_TRUE(checkingShutdown);

    ASSERT_TRUE(QTest::qWaitFor([&] { return monitor.StarUpWnd()->isVisible(); }, 60000));
    EXPECT_EQ(1, finished.count());
    EXPECT_EQ(QStringLiteral("Default tip of the fifth"), monitor.StarUpWnd()->Text());
    EXPECT_EQ(0, scan.count()) << "no analysis is asked for";
}

TEST_F(ResourceUpdateTest, ANewerPackIsDownloadedUnpackedAndShowsTheDaysPicture)
{
    CGarbageScanMgr monitor(nullptr, clock_);
    WriteResource(monitor, "TrayPop.ini", Description(1));
    WriteResource(monitor, "images/old.png", "old");
    Serve("traypop.ini", Description(2, "enableassit=1\nenablescan=0\n"));
    Serve("images.zip", update_test::BuildZip({{"5.png", Picture(QColor(10, 200, 30))},
                                               {"5.jpg", Picture(Qt::red)},
                                               {"5.txt", "Remote tip \xe2\x80\x94 fifth"}}));

    EXPECT_TRUE(Update(monitor));
    EXPECT_FALSE(fs::exists(Resource(monitor, "images.zip")));
    EXPECT_FALSE(fs::exists(Resource(monitor, "images/old.png")));
    EXPECT_FALSE(fs::exists(Resource(monitor, "temp.ini")));
    EXPECT_NE(std::string::npos, ReadFile(Resource(monitor, "TrayPop.ini")).find("resver=2"));
    EXPECT_FALSE(monitor.GetEnableScan());
    ASSERT_TRUE(monitor.StarUpWnd()->isVisible());
    EXPECT_EQ(QString::fromUtf8("Remote tip \xe2\x80\x94 fifth"), monitor.StarUpWnd()->Text());
    EXPECT_EQ(QColor(10, 200, 30), monitor.StarUpWnd()->Pixmap().toImage().pixelColor(10, 10)) << "the PNG before the JPEG";

    EXPECT_TRUE(Update(monitor));
    EXPECT_EQ(1, RequestsFor("images.zip")) << "the same version is not downloaded again";
    EXPECT_EQ(2, RequestsFor("traypop.ini"));
}

TEST_F(ResourceUpdateTest, AFailedDownloadKeepsTheDescriptionAndIsRetriedOncePerInterval)
{
    machine_.WriteFile("program/GarbageClean.ini", "[Clean]\nRetryInterval=1\n");
    CGarbageScanMgr monitor(nullptr, clock_);
    WriteResource(monitor, "TrayPop.ini", Description(3, "enableassit=0\n"));
    Serve("traypop.ini", "gone", 404);

    EXPECT_FALSE(Update(monitor));
    const std::string kept = ReadFile(Resource(monitor, "TrayPop.ini"));
    EXPECT_NE(std::string::npos, kept.find("config=" + files_ + "traypop.ini"));
    EXPECT_NE(std::string::npos, kept.find("resver=0")) << "the pack is fetched again next time";
    EXPECT_TRUE(monitor.IsRetryTimerActive());
    EXPECT_EQ(1, RequestsFor("traypop.ini"));

    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return RequestsFor("traypop.ini") == 2; }, testing_support::kPatience.count()));
    EXPECT_GE(clock.elapsed(), 800);
    QTest::qWait(400);
    EXPECT_EQ(2, RequestsFor("traypop.ini")) << "one retry an interval";

    // An answer that is no description (an error page, an empty file) is not used either.
    for (const char* answer : {"<html><body>Service unavailable</body></html>", ""}) {
        Serve("traypop.ini", answer);
        EXPECT_FALSE(Update(monitor));
        EXPECT_NE(std::string::npos, ReadFile(Resource(monitor, "TrayPop.ini")).find("config=" + files_)) << answer;
        EXPECT_FALSE(fs::exists(Resource(monitor, "temp.ini")));
    }
}

TEST_F(ResourceUpdateTest, APackThatDoesNotComeOutWholeIsAFailureAndFetchedAgain)
{
    machine_.WriteFile("program/GarbageClean.ini", "[Clean]\nRetryInterval=3600\n");
    CGarbageScanMgr monitor(nullptr, clock_);
    WriteResource(monitor, "TrayPop.ini", Description(1));
    Serve("traypop.ini", Description(2));
    update_test::ZipEntrySpec damaged("5.txt", "the text");
    damaged.crc = 1;
    Serve("images.zip", update_test::BuildZip({{"5.png", Picture(Qt::blue)}, damaged}));

    EXPECT_FALSE(Update(monitor));
    EXPECT_TRUE(fs::exists(Resource(monitor, "images.zip")));
    EXPECT_NE(std::string::npos, ReadFile(Resource(monitor, "TrayPop.ini")).find("resver=0"));
    EXPECT_TRUE(monitor.IsRetryTimerActive());

    Serve("images.zip", "<html>not an archive</html>");
    EXPECT_FALSE(Update(monitor));
    EXPECT_EQ(2, RequestsFor("images.zip"));
}

} // namespace
