// The services object as plug-in host: engines loaded by name from the program folder, a missing
// one leaving its tool off with a log line, loading twice keeping what is loaded, and every engine
// uninitialised and released once, after the windows that use it are gone.
#include "jex_main/Sweepdeck/services/PluginLoader.h"
#include "jex_main/Sweepdeck/services/UIPublic.h"
#include "platform/Machine.h"
#include "platform/Text.h"
#include "support/QuarnelLog.h"
#include "support/TempMachine.h"

#include <QCoreApplication>
#include <QObject>
#include <QTimer>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

class PluginHostTest : public testing::Test {
protected:
    void SetUp() override { setenv("SWEEPDECK_FAKE_JOURNAL", journal_.c_str(), 1); }
    void TearDown() override
    {
        CUIPublic::ReleaseInstance();
        unsetenv("SWEEPDECK_FAKE_JOURNAL");
    }

    // Copies, not links: a link to the build would lead out of the machine, and Windows calls
    // see such a link as broken.
    void InstallFake(const char* module) const
    {
        fs::copy_file(fs::path(SWEEPDECK_FAKES) / module, fs::path(program_) / module);
    }
    void InstallBuilt(const char* module) const
    {
        fs::copy_file(fs::path(testing_support::BuildProgramFolder()) / module, fs::path(program_) / module);
    }

    std::vector<std::string> Journal() const
    {
        std::istringstream text(testing_support::ReadFile(journal_));
        std::vector<std::string> lines;
        for (std::string line; std::getline(text, line);)
            lines.push_back(line);
        return lines;
    }

    std::wstring ProgramFolderPath() const { return platform::WindowsPath(program_); }

    testing_support::TempMachine machine_;
    std::string program_ = machine_.UseProgramFolder();
    std::string journal_ = machine_.Root() + "/journal.txt";
};

using Lines = std::vector<std::string>;

TEST_F(PluginHostTest, AMissingJunkGathererLeavesTheToolOffWithOneLogLine)
{
    CUIPublic::SetUserSetting(QStringLiteral("terminatePro"), 0);
    CUIPublic::SetUserSetting(QStringLiteral("execcleanup"), true);

    EXPECT_FALSE(CUIPublic::Instance()->InitSysClean());
    EXPECT_EQ(CUIPublic::Instance()->GetDregsweep(), nullptr);
    EXPECT_EQ(testing_support::QuarnelLogMessages(), std::vector<std::wstring> {L"Loadd Dregsweep.dll err=126"});
    // The choices are reset even when the engine is missing.
    EXPECT_EQ(CUIPublic::GetUserSetting(QStringLiteral("terminatePro")).toInt(), 2);
    EXPECT_EQ(CUIPublic::GetUserSetting(QStringLiteral("execcleanup")).toBool(), false);

    // The optional library is looked for without a word; a missing export is not logged either.
    EXPECT_EQ(LoadProcFromLibrary(L"Jotwell.dll", "GetImp"), nullptr);
    InstallFake("Drivelist.so");
    EXPECT_EQ(LoadProcFromLibrary(L"Drivelist.dll", "NoSuchExport"), nullptr);
    EXPECT_EQ(testing_support::QuarnelLogMessages().size(), 1u);
}

TEST_F(PluginHostTest, TheJunkGathererGetsTheProgramFoldersRuleFilesAndGoesOnceAtRelease)
{
    InstallFake("Dregsweep.so");
    std::ofstream(program_ + "/Config.xml") << "<rules/>";

    ASSERT_TRUE(CUIPublic::Instance()->InitSysClean());
    ASSERT_NE(CUIPublic::Instance()->GetDregsweep(), nullptr);
    EXPECT_TRUE(CUIPublic::Instance()->InitSysClean());
    const std::string folder = platform::ToUtf8(ProgramFolderPath());
    EXPECT_EQ(Journal(), (Lines {"junk init " + folder + "\\Config.xml " + folder + "\\ResIDText.xml"}));

    CUIPublic::ReleaseInstance();
    EXPECT_EQ(Journal().size(), 3u);
    EXPECT_EQ(Journal()[1], "junk uninit");
    EXPECT_EQ(Journal()[2], "junk released");
    EXPECT_EQ(CUIPublic::Instance()->GetDregsweep(), nullptr);
}

TEST_F(PluginHostTest, AJunkGathererThatFailsToInitialiseIsGivenBackAtOnce)
{
    InstallFake("Dregsweep.so");

    EXPECT_FALSE(CUIPublic::Instance()->InitSysClean());
    EXPECT_EQ(CUIPublic::Instance()->GetDregsweep(), nullptr);
    const Lines journal = Journal();
    ASSERT_EQ(journal.size(), 3u);
    EXPECT_EQ(journal[1], "junk uninit");
    EXPECT_EQ(journal[2], "junk released");
}

TEST_F(PluginHostTest, DefragEnginesLoadWhateverIsThereAndLoadingAgainReleasesNothing)
{
    InstallFake("Drivelist.so");
    EXPECT_FALSE(CUIPublic::Instance()->LoadDefragPlugins());
    EXPECT_NE(CUIPublic::Instance()->GetDrivelist(), nullptr);
    EXPECT_EQ(CUIPublic::Instance()->GetAnalysisController(), nullptr);
    EXPECT_EQ(CUIPublic::Instance()->GetDefragController(), nullptr);
    EXPECT_EQ(Journal(), (Lines {"volumes init"}));
    EXPECT_EQ(testing_support::QuarnelLogMessages(), (std::vector<std::wstring> {L"Loadd Scatterscope.dll err=126", L"Loadd Scatterscope.dll err=126"}));

    InstallFake("Scatterscope.so");
    EXPECT_TRUE(CUIPublic::Instance()->LoadDefragPlugins());
    EXPECT_TRUE(CUIPublic::Instance()->LoadDefragPlugins());
    EXPECT_EQ(Journal(), (Lines {"volumes init", "analysis init", "defrag init"}));

    CUIPublic::ReleaseInstance();
    EXPECT_EQ(Journal(), (Lines {"volumes init", "analysis init", "defrag init", "volumes uninit", "volumes released",
                                 "analysis uninit", "analysis released", "defrag uninit", "defrag released"}));
}

TEST_F(PluginHostTest, TheLargeFileEntryLoadsTheGathererAndResetsTheCleanupChoicesEachTime)
{
    InstallBuilt("Bulkseek.so");
    InstallBuilt("Hanvel.so");
    for (int round = 0; round < 2; ++round) {
        CUIPublic::SetUserSetting(QStringLiteral("terminatePro"), 1);
        CUIPublic::SetUserSetting(QStringLiteral("execcleanup"), true);
        EXPECT_TRUE(CUIPublic::Instance()->InitLargeFile());
        EXPECT_NE(CUIPublic::Instance()->GetBulkseek(), nullptr);
        EXPECT_EQ(CUIPublic::GetUserSetting(QStringLiteral("terminatePro")).toInt(), 2);
        EXPECT_EQ(CUIPublic::GetUserSetting(QStringLiteral("execcleanup")).toBool(), false);
    }
    std::string settings;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(machine_.Root()))
        if (entry.path().filename() == "userconfig")
            settings = entry.path().string();
    ASSERT_FALSE(settings.empty());
    struct stat before {};
    ASSERT_EQ(0, stat(settings.c_str(), &before));
    EXPECT_TRUE(CUIPublic::Instance()->InitLargeFile());
    struct stat after {};
    ASSERT_EQ(0, stat(settings.c_str(), &after));
    EXPECT_EQ(before.st_ino, after.st_ino) << "choices that already hold leave the file as it is";
}

// Stands for a window holding the disk page, whose destructor stops the page's work.
class CPageWindow : public QObject {
public:
    ~CPageWindow() override
    {
        if (IDefragController* controller = CUIPublic::Instance()->GetAnalysisController())
            controller->Stop(L"C:", true);
    }
};

TEST_F(PluginHostTest, EnginesOutliveTheEventLoopAndTheWindowsAndGoWithTheApplication)
{
    InstallFake("Drivelist.so");
    InstallFake("Scatterscope.so");
    int argc = 1;
    char name[] = "host";
    char* argv[] = {name, nullptr};
    {
        QCoreApplication application(argc, argv);
        {
            CPageWindow window;
            ASSERT_TRUE(CUIPublic::Instance()->LoadDefragPlugins());
            QTimer::singleShot(0, &QCoreApplication::quit);
            application.exec();
            EXPECT_EQ(Journal().size(), 3u) << "nothing is released when the event loop ends";
        }
        EXPECT_EQ(Journal().back(), "analysis stop C:");
    }
    EXPECT_EQ(Journal(), (Lines {"volumes init", "analysis init", "defrag init", "analysis stop C:", "volumes uninit",
                                 "volumes released", "analysis uninit", "analysis released", "defrag uninit",
                                 "defrag released"}));
}

// Counts what reaches it, as a plug-in object would.
class CCountedObject : public IKyObject {
public:
    explicit CCountedObject(int& released) : released_(released) {}
    long Release() override
    {
        ++released_;
        return 0;
    }

private:
    int& released_;
};

TEST(KyAutoPtr, ReleasesWhatItHoldsOnceAndDetachHandsItOverUnreleased)
{
    int firstReleased = 0;
    int secondReleased = 0;
    CCountedObject first(firstReleased);
    CCountedObject second(secondReleased);
    {
        CKyAutoPtr<IKyObject> holder;
        holder.Attach(&first);
        holder.Attach(&second);
        EXPECT_EQ(firstReleased, 1);
        EXPECT_EQ(holder.Detach(), &second);
        EXPECT_EQ(holder.Get(), nullptr);
        holder.Attach(&second);
        holder.Release();
        holder.Release();
        EXPECT_EQ(secondReleased, 1);
        holder.Attach(&first);
    }
    EXPECT_EQ(firstReleased, 2);
    EXPECT_EQ(secondReleased, 1);
}

} // namespace
