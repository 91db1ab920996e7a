// The start-up assistant's resource pack, fetched through the Update library from the local test
// web service, which serves the description, the pack and the pictures in it.
#include "GarbageScanMgr.h"

#include "FakeSources.h"
#include "ResourcePack.h"
#include "StarUpWnd.h"

#include "CommunityTestServer.h"
#include "LocalHttpServer.h"
#include "ZipBuilder.h"

#include "platform/Machine.h"
#include "support/OtherUser.h"
#include "support/TempMachine.h"
#include "support/WaitUntil.h"

#include <QBuffer>
#include <QImage>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <stdexcept>
#include <unistd.h>

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

    using Files = std::map<std::string, std::string>;
    using Names = std::set<std::string>;

    // Every file below the folder by its relative path, with its content; a link as "-> " and
    // where it leads, never followed.
    static Files FilesBelow(const fs::path& folder)
    {
        Files files;
        for (const auto& entry : fs::recursive_directory_iterator(folder)) {
            const std::string name = fs::relative(entry.path(), folder).string();
            if (entry.is_symlink())
                files[name] = "-> " + fs::read_symlink(entry.path()).string();
            else if (entry.is_regular_file())
                files[name] = ReadFile(entry.path().string());
        }
        return files;
    }
    static Names NamesIn(const fs::path& folder)
    {
        Names names;
        for (const auto& entry : fs::directory_iterator(folder))
            names.insert(entry.path().filename().string());
        return names;
    }
    // A picture and a text for each day of the month, as a pack in use has them.
    Files WriteDays(const CGarbageScanMgr& monitor, const std::string& tag) const
    {
        Files files;
        for (int day = 1; day <= 31; ++day) {
            for (const char* extension : {".png", ".txt"}) {
                const std::string name = std::to_string(day) + extension;
                files[name] = tag + " " + name;
                WriteResource(monitor, "images/" + name, files[name]);
            }
        }
        return files;
    }

    // A folder of the host outside the machine, beside its root, removed again at the end.
    class OutsideFolder {
    public:
        explicit OutsideFolder(const testing_support::TempMachine& machine)
        {
            std::string pattern = (fs::path(machine.Root()).parent_path() / "quarnel-outside-XXXXXX").string();
            if (!mkdtemp(pattern.data()))
                throw std::runtime_error("cannot make a folder outside the machine");
            path_ = pattern;
            std::ofstream(path_ / "keep.txt") << "kept";
        }
        ~OutsideFolder()
        {
            std::error_code ignored;
            fs::remove_all(path_, ignored);
        }
        const fs::path& Path() const { return path_; }

    private:
        fs::path path_;
    };

    // The process's current folder while it lives.
    class CurrentFolder {
    public:
        explicit CurrentFolder(const fs::path& folder) : previous_(fs::current_path()) { fs::current_path(folder); }
        ~CurrentFolder() { fs::current_path(previous_); }

    private:
        fs::path previous_;
    };

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

TEST_F(ResourceUpdateTest, APackThatFailsLeavesThePicturesAndTheDescriptionInUseAndGoes)
{
    machine_.WriteFile("program/GarbageClean.ini", "[Clean]\nRetryInterval=3600\n");
    CGarbageScanMgr monitor(nullptr, clock_);
    const std::string description = Description(1, "enableassit=1\n");
    WriteResource(monitor, "TrayPop.ini", description);
    const Files inUse = WriteDays(monitor, "old");
    Serve("traypop.ini", Description(2, "enableassit=0\n"));

    update_test::ZipEntrySpec damaged("5.txt", "the text");
    damaged.crc = 1;
    const std::pair<const char*, std::string> packs[] = {
        {"a bomb", update_test::BuildZip({{"5.png", Picture(Qt::blue)}, {"zeros.bin", std::string(16 << 20, '\0')}})},
        {"a damaged entry", update_test::BuildZip({{"5.png", Picture(Qt::blue)}, damaged})},
        {"no archive", "<html>not an archive</html>"},
    };
    for (const auto& [what, pack] : packs) {
        Serve("images.zip", pack);
        EXPECT_FALSE(Update(monitor)) << what;
        EXPECT_EQ(inUse, FilesBelow(Resource(monitor, "images"))) << what;
        EXPECT_EQ((Names{"TrayPop.ini", "images"}), NamesIn(Resource(monitor, ""))) << what << ": the pack and its draft go";
        const std::string kept = ReadFile(Resource(monitor, "TrayPop.ini"));
        EXPECT_EQ(std::string::npos, kept.find("enableassit=0")) << what;
        EXPECT_NE(std::string::npos, kept.find("resver=0")) << what << ": fetched again next time";
        EXPECT_TRUE(monitor.GetEnableAssit()) << what;
    }
    ASSERT_TRUE(monitor.StarUpWnd()->isVisible());
    EXPECT_EQ(QStringLiteral("old 5.txt"), monitor.StarUpWnd()->Text());
    EXPECT_EQ(3, RequestsFor("images.zip"));

    Serve("images.zip", update_test::BuildZip({{"5.png", Picture(Qt::blue)}, {"5.txt", "new"}}));
    EXPECT_TRUE(Update(monitor));
    EXPECT_EQ((Files{{"5.png", Picture(Qt::blue)}, {"5.txt", "new"}}), FilesBelow(Resource(monitor, "images")));
    EXPECT_EQ((Names{"TrayPop.ini", "images"}), NamesIn(Resource(monitor, "")));
    EXPECT_NE(std::string::npos, ReadFile(Resource(monitor, "TrayPop.ini")).find("enableassit=0"));
}

TEST_F(ResourceUpdateTest, AnUpdateCutShortAtAnyStepLeavesTheOldSetOrTheNewOne)
{
    struct Killed {};
    using Step = CResourcePack::Step;
    const std::pair<Step, bool> steps[] = {{Step::Unpacked, false},      {Step::Ready, true},
                                           {Step::PicturesAside, true},  {Step::PicturesPlaced, true},
                                           {Step::DescriptionPlaced, true}};
    const Files newSet{{"5.png", Picture(Qt::blue)}, {"5.txt", "new"}, {"sub/6.txt", "new"}};
    for (const auto& [killedAt, isNew] : steps) {
        SCOPED_TRACE(static_cast<int>(killedAt));
        CGarbageScanMgr monitor(nullptr, clock_);
        fs::remove_all(Resource(monitor, ""));
        WriteResource(monitor, "TrayPop.ini", Description(1, "note=old\n"));
        const Files oldSet = WriteDays(monitor, "old");
        Serve("traypop.ini", Description(2, "note=new\n"));
        Serve("images.zip", update_test::BuildZip({{"5.png", Picture(Qt::blue)}, {"5.txt", "new"}, {"sub/6.txt", "new"}}));
        CResourcePack::SetStepHook([killedAt = killedAt](Step step) {
            if (step == killedAt)
                throw Killed();
        });
        EXPECT_THROW(monitor.UpdateRes(true), Killed);
        CResourcePack::SetStepHook(nullptr);

        // The next start finishes or undoes it before anything else, even when its download fails.
        Serve("traypop.ini", "gone", 404);
        EXPECT_FALSE(Update(monitor));
        EXPECT_EQ(isNew ? newSet : oldSet, FilesBelow(Resource(monitor, "images")));
        EXPECT_NE(std::string::npos, ReadFile(Resource(monitor, "TrayPop.ini")).find(isNew ? "note=new" : "note=old"));
        EXPECT_EQ((Names{"TrayPop.ini", "images"}), NamesIn(Resource(monitor, "")));
    }
}

// The monitor ends with the main window: it cuts an update under way short, whatever the server
// does, and waits for it a bounded time only. An update that is still busy then (here held at a
// step) finishes on its own and reports to nobody.
TEST_F(ResourceUpdateTest, EndingTheMonitorCutsItsUpdateShortAndWaitsForItABoundedTime)
{
    update_test::LocalHttpServer trickling;
    // Each byte a fifth of a second apart: well over the stall rule, for half a minute.
    trickling.Serve("/traypop.ini", update_test::HttpReply::Trickle(Description(2), 200));
    auto monitor = std::make_unique<CGarbageScanMgr>(nullptr, clock_);
    WriteResource(*monitor, "TrayPop.ini", "[update]\nresver=1\nconfig=" + trickling.Url("/traypop.ini") + "\n");
    monitor->UpdateRes(false);
    ASSERT_TRUE(testing_support::WaitUntil([&] { return !trickling.RequestedPaths().empty(); }));
    monitor.reset();
    ASSERT_TRUE(testing_support::WaitUntil(
        [&] { return trickling.AnswersCutByClient() + trickling.AnswersSentWhole() == 1; }));
    EXPECT_EQ(1, trickling.AnswersCutByClient()) << "the monitor waited for the whole trickle";

    // An update held at a step until the test lets it go; let go, and the seams put back, however
    // the test ends.
    struct Hold {
        std::mutex mutex;
        std::condition_variable changed;
        bool reached = false;
        bool released = false;
        bool gaveUp = false;

        void Release()
        {
            std::lock_guard<std::mutex> lock(mutex);
            released = true;
            changed.notify_all();
        }
    };
    struct Seams {
        std::shared_ptr<Hold> hold = std::make_shared<Hold>();
        ~Seams()
        {
            hold->Release();
            CGarbageScanMgr::SetResourceWaitMs(5000);
            CResourcePack::SetStepHook(nullptr);
        }
    } seams;
    CResourcePack::SetStepHook([hold = seams.hold](CResourcePack::Step step) {
        if (step != CResourcePack::Step::Unpacked)
            return;
        std::unique_lock<std::mutex> lock(hold->mutex);
        hold->reached = true;
        hold->changed.notify_all();
        hold->gaveUp = !hold->changed.wait_for(lock, std::chrono::seconds(30), [&] { return hold->released; });
    });
    CGarbageScanMgr::SetResourceWaitMs(50);
    monitor = std::make_unique<CGarbageScanMgr>(nullptr, clock_);
    const std::string resources = Resource(*monitor, "");
    const std::string images = resources + "images";
    WriteResource(*monitor, "TrayPop.ini", Description(1));
    Serve("traypop.ini", Description(2));
    Serve("images.zip", update_test::BuildZip({{"5.png", Picture(Qt::blue)}, {"5.txt", "new"}}));
    monitor->UpdateRes(false);
    {
        Hold& hold = *seams.hold;
        std::unique_lock<std::mutex> lock(hold.mutex);
        ASSERT_TRUE(hold.changed.wait_for(lock, testing_support::kPatience, [&] { return hold.reached; }));
    }
    monitor.reset();
    {
        std::lock_guard<std::mutex> lock(seams.hold->mutex);
        EXPECT_FALSE(seams.hold->gaveUp) << "the monitor's end waited for the held update";
    }
    seams.hold->Release();
    // Done with its last step once what it left behind is gone.
    EXPECT_TRUE(testing_support::WaitUntil([&] { return NamesIn(resources) == Names{"TrayPop.ini", "images"}; }));
    EXPECT_EQ((Files{{"5.png", Picture(Qt::blue)}, {"5.txt", "new"}}), FilesBelow(images));
}

// Root acts in a machine folder that another user owns, who planted links where the monitor
// writes: into a root-only folder outside the machine, and at a file of the program folder.
TEST_F(ResourceUpdateTest, AnElevatedMonitorWritesNothingThroughLinksPlantedInTheResourceFolder)
{
    if (const std::string why = testing_support::WhyNotAsOtherUser(); !why.empty())
        GTEST_SKIP() << why;
    machine_.WriteFile("program/TrayPop.ini", "[update]\nresver=0\n");
    machine_.WriteFile("program/res/TrayPop/5.png", Picture(Qt::darkBlue));
    machine_.WriteFile("program/res/TrayPop/5.txt", "Default tip of the fifth");
    const std::string settings = machine_.WriteFile("program/GarbageClean.ini", "[Clean]\nRetryInterval=3600\n");
    CGarbageScanMgr monitor(nullptr, clock_);
    const std::string folder = Resource(monitor, "");
    fs::create_directories(folder);
    const OutsideFolder outside(machine_);
    const Files outsideBefore = FilesBelow(outside.Path());
    // What the current folder holds: a name that led nowhere once stood for it.
    const std::string current = machine_.WriteFile("current/keep.txt", "kept");
    CurrentFolder inCurrent(fs::path(current).parent_path());
    testing_support::GiveToOtherUser(machine_.Root());
    testing_support::GiveToRoot(folder_);
    testing_support::GiveToRoot(outside.Path());
    const std::string settingsBefore = ReadFile(settings);
    const std::string images = Resource(monitor, "images");
    const std::string marker = Resource(monitor, "shutdown.tmp");
    ASSERT_TRUE(testing_support::AsOtherUser([&] {
        return symlink(outside.Path().c_str(), images.c_str()) == 0 && symlink(settings.c_str(), marker.c_str()) == 0;
    }));

    // The defaults of a first start.
    EXPECT_TRUE(Update(monitor));
    EXPECT_FALSE(CGarbageScanMgr::RestoreDefaultRes());
    EXPECT_EQ(outsideBefore, FilesBelow(outside.Path()));

    // A newer pack.
    WriteResource(monitor, "TrayPop.ini", Description(1));
    Serve("traypop.ini", Description(2));
    Serve("images.zip", update_test::BuildZip({{"5.png", Picture(Qt::blue)}, {"5.txt", "new"}}));
    EXPECT_TRUE(Update(monitor));
    EXPECT_EQ(outsideBefore, FilesBelow(outside.Path()));
    EXPECT_EQ((Files{{"keep.txt", "kept"}}), FilesBelow(fs::path(current).parent_path()));
    EXPECT_EQ((Files{{"5.png", Picture(Qt::blue)}, {"5.txt", "new"}}), FilesBelow(images)) << "in place of the link";

    // The marker of an ended session.
    monitor.MarkShutDown();
    EXPECT_EQ(settingsBefore, ReadFile(settings));
}

TEST_F(ResourceUpdateTest, AResourceFolderThatLeadsOutOfTheMachineIsAnError)
{
    machine_.WriteFile("program/TrayPop.ini", "[update]\nresver=0\n");
    machine_.WriteFile("program/res/TrayPop/5.png", Picture(Qt::darkBlue));
    machine_.WriteFile("program/res/TrayPop/5.txt", "Default tip of the fifth");
    CGarbageScanMgr monitor(nullptr, clock_);
    const fs::path product = fs::path(Resource(monitor, "")).parent_path().parent_path();
    const OutsideFolder outside(machine_);
    fs::create_directories(product.parent_path());
    fs::create_directory_symlink(outside.Path(), product);

    EXPECT_FALSE(CGarbageScanMgr::RestoreDefaultRes());
    EXPECT_TRUE(Update(monitor));
    monitor.MarkShutDown();
    EXPECT_EQ((Files{{"keep.txt", "kept"}}), FilesBelow(outside.Path()));
    EXPECT_FALSE(monitor.StarUpWnd()->isVisible());
}

} // namespace
