// The services object's small services: size texts, the user settings file, the product language,
// file-type icons, the autostart entry and showing a file in the file manager, each against the
// test's own machine.
#include "jex_main/Sweepdeck/services/FileLocation.h"
#include "jex_main/Sweepdeck/services/Language.h"
#include "jex_main/Sweepdeck/services/UIPublic.h"
#include "platform/Machine.h"
#include "platform/SystemPrograms.h"
#include "platform/Text.h"
#include "support/DesktopOpener.h"
#include "support/OtherUser.h"
#include "support/RunFolderPlants.h"
#include "support/TempMachine.h"

#include "kit/MsgBox.h"
#include "kit/PageTitleInfo.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QTimer>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

class ServicesTest : public testing::Test {
protected:
    void TearDown() override { CUIPublic::ReleaseInstance(); }

    static void SeedKey(HKEY root, const wchar_t* path)
    {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr), ERROR_SUCCESS);
        RegCloseKey(key);
    }

    testing_support::TempMachine machine_;
    std::string program_ = machine_.UseProgramFolder();
};

TEST_F(ServicesTest, SizesShowAtMostFourCharactersOfNumberAndNeverLessThanOneKilobyte)
{
    const std::pair<quint64, const char*> cases[] = {
        {0, "0 KB"},           {1, "1 KB"},           {2, "1 KB"},          {500, "1 KB"},
        {1023, "1 KB"},        {1024, "1.00 KB"},     {1536, "1.50 KB"},    {1048575, "1024 KB"},
        {1048576, "1.00 MB"},  {123456789, "117 MB"}, {10ULL << 30, "10.0 GB"}, {(1ULL << 40) * 3 / 2, "1.50 TB"},
    };
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(CUIPublic::FormatSize(bytes), QString::fromLatin1(text)) << bytes;
}

TEST_F(ServicesTest, UserSettingsRoundTripThroughTheRoamingFolderAndEmptyNamesAreRefused)
{
    EXPECT_FALSE(CUIPublic::GetUserSetting(QStringLiteral("terminatePro")).isValid());
    EXPECT_TRUE(CUIPublic::SetUserSetting(QStringLiteral("terminatePro"), 1));
    EXPECT_TRUE(CUIPublic::SetUserSetting(QStringLiteral("notshowTip"), true));
    EXPECT_EQ(CUIPublic::GetUserSetting(QStringLiteral("terminatePro")).toInt(), 1);
    EXPECT_TRUE(CUIPublic::GetUserSetting(QStringLiteral("notshowTip")).toBool());

    wchar_t roaming[MAX_PATH] = {};
    ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, roaming, CSIDL_APPDATA, FALSE));
    EXPECT_EQ(CUIPublic::GetConfigDir(), QString::fromWCharArray(roaming) + QStringLiteral("\\zlr"));
    const std::string file = testing_support::ReadFile(platform::HostPath(std::wstring(roaming) + L"\\zlr\\userconfig"));
    EXPECT_NE(file.find("[Setting]"), std::string::npos);
    EXPECT_NE(file.find("terminatePro=1"), std::string::npos);

    QVariant untouched(42);
    EXPECT_FALSE(CUIPublic::WriteSetting(QStringLiteral("Setting"), QString(), 5, QStringLiteral("userconfig")));
    EXPECT_FALSE(CUIPublic::ReadSetting(QStringLiteral("Setting"), QString(), untouched, QStringLiteral("userconfig")));
    EXPECT_FALSE(CUIPublic::WriteSetting(QString(), QStringLiteral("key"), 5, QStringLiteral("userconfig")));
    EXPECT_FALSE(CUIPublic::ReadSetting(QStringLiteral("Setting"), QStringLiteral("key"), untouched, QString()));
    EXPECT_EQ(untouched.toInt(), 42);
    EXPECT_FALSE(CUIPublic::SetUserSetting(QString(), 5));
}

TEST_F(ServicesTest, ASettingTheFileSystemDoesNotTakeIsNotReportedAsWritten)
{
    wchar_t roaming[MAX_PATH] = {};
    ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, roaming, CSIDL_APPDATA, FALSE));
    // A file where the folder should be: nothing can be written below it.
    std::ofstream(platform::HostPath(std::wstring(roaming) + L"\\zlr")) << "in the way";
    EXPECT_FALSE(CUIPublic::SetUserSetting(QStringLiteral("execcleanup"), true));
    EXPECT_FALSE(CUIPublic::GetUserSetting(QStringLiteral("execcleanup")).isValid());
}

TEST_F(ServicesTest, TheProductLanguageComesFromTheMachineRegistry)
{
    std::string value = "stale";
    EXPECT_NE(CUIPublic::GetLanguage(value), ERROR_SUCCESS);
    EXPECT_TRUE(value.empty());
    EXPECT_STREQ(ProductLanguage().code, "en");
    EXPECT_EQ(ProductLanguage().languageId, 0x0400);

    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\ORVANE\\ZLR", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    const wchar_t german[] = L"German";
    RegSetValueExW(key, L"Language", 0, REG_SZ, reinterpret_cast<const BYTE*>(german), sizeof(german));
    EXPECT_EQ(CUIPublic::GetLanguage(value), ERROR_SUCCESS);
    EXPECT_EQ(value, "German");
    EXPECT_STREQ(ProductLanguage().code, "de");
    EXPECT_EQ(ProductLanguage().languageId, 0x0407);
    EXPECT_EQ(LanguageOf("ChineseTrad").languageId, 0x7c04);

    // Odd data is no language.
    const DWORD number = 7;
    RegSetValueExW(key, L"Language", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof(number));
    RegCloseKey(key);
    EXPECT_NE(CUIPublic::GetLanguage(value), ERROR_SUCCESS);
    EXPECT_TRUE(value.empty());
}

TEST_F(ServicesTest, FileIconsAreCachedPerExtensionOfTheFileNameItself)
{
    EXPECT_EQ(CFileIconCache::ExtensionOf(QStringLiteral("C:\\photos\\photo.JPG")), QStringLiteral(".JPG"));
    EXPECT_EQ(CFileIconCache::ExtensionOf(QStringLiteral("setup.config")), QStringLiteral(".UnknownExt"));
    EXPECT_EQ(CFileIconCache::ExtensionOf(QStringLiteral("C:\\my.data\\README")), QStringLiteral(".UnknownExt"));
    EXPECT_EQ(CFileIconCache::ExtensionOf(QStringLiteral("D:/a.b/c.txt")), QStringLiteral(".txt"));
    EXPECT_EQ(CFileIconCache::ExtensionOf(QStringLiteral("trailing.")), QStringLiteral(".UnknownExt"));

    SeedKey(HKEY_CLASSES_ROOT, L".txt");
    CFileIconCache cache;
    cache.Icon(QStringLiteral("C:\\notes\\a.txt"));
    cache.Icon(QStringLiteral("D:\\b.TXT"));
    EXPECT_EQ(cache.Count(), 2) << "extensions keep their case, as the registry is asked with it";
    cache.Icon(QStringLiteral("C:\\x.zzz"));
    cache.Icon(QStringLiteral("C:\\y.qqq"));
    EXPECT_EQ(cache.Count(), 3) << "unregistered types share one icon";

    for (int i = 0; i < 510; ++i)
        SeedKey(HKEY_CLASSES_ROOT, QStringLiteral(".%1").arg(i, 3, 10, QLatin1Char('0')).toStdWString().c_str());
    for (int i = 0; i < 510; ++i)
        cache.Icon(QStringLiteral("f.%1").arg(i, 3, 10, QLatin1Char('0')));
    EXPECT_EQ(cache.Count(), 501);
    // The services object answers through its own cache: one icon per registered type, one for
    // all the others.
    CUIPublic* services = CUIPublic::Instance();
    const QIcon text = services->GetFileIcon(QStringLiteral("a.txt"));
    EXPECT_FALSE(text.isNull());
    EXPECT_EQ(services->GetFileIcon(QStringLiteral("C:\\notes\\b.txt")).cacheKey(), text.cacheKey());
    const QIcon unknown = services->GetFileIcon(QStringLiteral("x.zzz"));
    EXPECT_NE(unknown.cacheKey(), text.cacheKey());
    EXPECT_EQ(services->GetFileIcon(QStringLiteral("y.qqq")).cacheKey(), unknown.cacheKey());

    // The type's description is asked of a sample file that is gone afterwards.
    EXPECT_FALSE(MakeFileTypeName(QStringLiteral(".txt")).isEmpty());
    const QStringList samples = QDir::temp().entryList({QCoreApplication::applicationName() + QStringLiteral("_*")});
    EXPECT_TRUE(samples.isEmpty()) << samples.join(QLatin1Char(' ')).toStdString();
}

TEST_F(ServicesTest, TheAutostartEntryNamesTheProgramBesideThisOneWhateverTheCurrentFolder)
{
    EXPECT_FALSE(CUIPublic::Instance()->SetAutoRun(false, 0, 0)) << "no Run key to write to";
    EXPECT_FALSE(CUIPublic::IsAutoRun());
    EXPECT_FALSE(CUIPublic::DeleteAutoRun());

    const wchar_t runKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
    SeedKey(HKEY_LOCAL_MACHINE, runKey);
    ASSERT_TRUE(SetCurrentDirectoryW(L"C:\\Windows"));
    const auto entry = [&] {
        wchar_t data[MAX_PATH] = {};
        DWORD size = sizeof(data);
        RegGetValueW(HKEY_LOCAL_MACHINE, runKey, L"Orvane Cleanup", RRF_RT_REG_SZ, nullptr, data, &size);
        return std::wstring(data);
    };
    const std::wstring program = L"\"" + platform::WindowsPath(program_) + L"\\Sweepdeck.exe\"";

    EXPECT_TRUE(CUIPublic::Instance()->SetAutoRun(false, 0, 0));
    EXPECT_TRUE(CUIPublic::IsAutoRun());
    EXPECT_EQ(entry(), program + L" 10 300");
    EXPECT_TRUE(CUIPublic::Instance()->SetAutoRun(true, 30, 512.5));
    EXPECT_EQ(entry(), program + L" 30 512.5");
    EXPECT_TRUE(CUIPublic::Instance()->SetAutoRun(false, 0, 0));
    EXPECT_EQ(entry(), program + L" 30 512.5") << "the last interval and threshold are kept";

    EXPECT_TRUE(CUIPublic::DeleteAutoRun());
    EXPECT_FALSE(CUIPublic::IsAutoRun());
    EXPECT_TRUE(CUIPublic::DeleteAutoRun()) << "an entry already gone is no failure";
}

TEST_F(ServicesTest, FilesAreShownInTheirFolderThroughTheDesktopOpenerEvenWhenGone)
{
    ASSERT_TRUE(platform::InstallSystemPrograms(testing_support::BuildProgramFolder()));
    const testing_support::DesktopOpener opener(machine_);
    const std::string folder = fs::path(machine_.WriteFile("drive_c/my.data/report.txt", "numbers")).parent_path().string();

    EXPECT_EQ(ShowFileInFolder(L"C:\\my.data\\report.txt"), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(opener.Opened(1), std::vector<std::string> {folder});
    // A file deleted meanwhile: the file manager is started for it and shows its folder.
    EXPECT_EQ(ShowFileInFolder(L"C:\\my.data\\deleted.txt"), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(opener.Opened(2), (std::vector<std::string> {folder, folder}));

    EXPECT_EQ(ShowFileInFolder(nullptr), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_FALSE(SystemErrorText(ERROR_FILE_NOT_FOUND, 0x0407).isEmpty()) << "falls back to the system's language";
}

TEST_F(ServicesTest, AFileThatCannotBeShownGivesTheSystemsReasonInAnErrorBox)
{
    machine_.WriteFile("drive_c/report.txt", "numbers");
    const testing_support::DesktopOpener opener(machine_);
    opener.Remove();
    // The call that failed is judged, not a last error some earlier call left behind.
    SetLastError(ERROR_ACCESS_DENIED);
    QString content;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<CMsgBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        for (QLabel* label : box->findChildren<QLabel*>())
            content += label->text() + QLatin1Char('|');
        box->reject();
    });
    CUIPublic::OpenFileLocation(L"C:\\report.txt");
    EXPECT_TRUE(content.contains(QStringLiteral("No application is associated with the specified file for this operation.")))
        << content.toStdString();
    EXPECT_TRUE(content.contains(QStringLiteral("System Cleanup"))) << content.toStdString();
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(ServicesTest, TheLoadingAnimationHasEightDistinctFramesBesideTheProgram)
{
    platform::SetProgramFolder(testing_support::BuildProgramFolder());
    const QStringList frames = CUIPublic::GetLoadingImages();
    ASSERT_EQ(frames.size(), 8);
    QImage previous;
    for (int i = 0; i < frames.size(); ++i) {
        EXPECT_TRUE(frames[i].endsWith(QStringLiteral("\\res\\Jex\\loading/loading0%1.png").arg(i))) << frames[i].toStdString();
        const QImage frame(QString::fromStdString(platform::HostPath(frames[i].toStdWString())));
        ASSERT_FALSE(frame.isNull()) << frames[i].toStdString();
        EXPECT_NE(frame, previous);
        previous = frame;
    }
}

// The settings files may be the machine's user's to plant: the user settings lie in their roaming
// folder, and the look beside a program folder of theirs. A FIFO there holds no reader or writer of
// the library, a link there leads none out of the machine, and each answers as for a file it
// cannot use.
TEST(SettingsPlants, AFifoOrALinkAtASettingsFileNeitherHoldsTheLibraryNorLeadsItOut)
{
    if (const std::string why = testing_support::WhyNotAsOtherUser(); !why.empty())
        GTEST_SKIP() << why;
    const std::string roaming = "drive_c/Users/Owner/AppData/Roaming/zlr";
    const struct {
        testing_support::RunPlant plant;
        bool atUserSettings;
    } cases[] = {
        {{"a FIFO at the user settings", testing_support::PlantKind::Fifo, {"userconfig"}, roaming}, true},
        {{"a link at the user settings to a file outside the machine", testing_support::PlantKind::LinkToOutsideFile,
          {"userconfig"}, roaming},
         true},
        {{"a FIFO at the look's settings", testing_support::PlantKind::Fifo, {"UIConfigAdd.ini"}, "program"}, false},
    };
    for (const auto& [plant, atUserSettings] : cases) {
        testing_support::CPlantedRun planted(plant);
        ASSERT_TRUE(planted.Planted()) << plant.what;
        planted.Machine().UseProgramFolder();
        planted.RunCalls([&] {
            EXPECT_FALSE(CUIPublic::GetUserSetting(QStringLiteral("notshowTip")).isValid());
            EXPECT_EQ(CUIPublic::SetUserSetting(QStringLiteral("notshowTip"), true), !atUserSettings);
            EXPECT_EQ(HeaderFontPixelSize(), 14);
        });
    }
}

} // namespace
