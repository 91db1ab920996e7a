#include "Paneforge/Util.h"

#include "platform/Machine.h"
#include "platform/Windows.h"
#include "common/ProductFolder.h"
#include "support/TempMachine.h"

#include <QImage>
#include <QLabel>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>
#include <gtest/gtest.h>

#include <QRegularExpression>

#include <filesystem>
#include <fstream>

namespace {

using testing_support::ReadFile;

// Host path of the product's local settings file, as the layer places the user's application data.
std::string LocalCfgHostPath()
{
    return platform::HostPath(LocalCfgPath());
}

void WriteHostFile(const std::string& path, const std::string& content)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << content;
}

QTextCharFormat FirstFormat(const QString& html)
{
    QTextDocument document;
    document.setHtml(html);
    return document.begin().begin().fragment().charFormat();
}

int CountPixels(const QImage& image, const QColor& color)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += image.pixelColor(x, y) == color;
    return count;
}

TEST(PaneforgeFormatString, ShowsTheTextInThatFontColourSizeAndWeight)
{
    const QString html = Util::GetFormatString(QStringLiteral("Hello"), QStringLiteral("DejaVu Sans"),
                                               QStringLiteral("#e02020"), 20, 700);
    const QTextCharFormat format = FirstFormat(html);
    EXPECT_EQ(format.fontFamily(), QStringLiteral("DejaVu Sans"));
    EXPECT_EQ(format.font().pixelSize(), 20);
    EXPECT_EQ(format.fontWeight(), QFont::Bold);
    EXPECT_EQ(format.foreground().color(), QColor(QStringLiteral("#e02020")));

    QTextDocument document;
    document.setHtml(html);
    EXPECT_EQ(document.toPlainText(), QStringLiteral("Hello"));

    QLabel label(html);
    label.setStyleSheet(QStringLiteral("background:#000000;"));
    label.resize(label.sizeHint());
    EXPECT_GT(CountPixels(label.grab().toImage(), QColor(QStringLiteral("#e02020"))), 10);
}

TEST(PaneforgeFormatString, MapsEveryWeightAndKeepsJoinedPartsApart)
{
    EXPECT_EQ(FirstFormat(Util::GetFormatString("a", "DejaVu Sans", "#000000", 12, 400)).fontWeight(), QFont::Normal);
    EXPECT_EQ(FirstFormat(Util::GetFormatString("a", "DejaVu Sans", "#000000", 12, 500)).fontWeight(), QFont::Medium);
    EXPECT_EQ(FirstFormat(Util::GetFormatString("a", "DejaVu Sans", "#000000", 12, 600)).fontWeight(), QFont::DemiBold);

    // A text with markers and markup of its own stays as the caller wrote it.
    QTextDocument document;
    document.setHtml(Util::GetFormatString(QStringLiteral("50%1 <b>x</b>"), "Segoe UI", "#c6d6f0", 16, 400)
                     + Util::GetFormatString(QStringLiteral(" 2 GB"), "Segoe UI", "#ff922d", 16, 400));
    EXPECT_EQ(document.toPlainText(), QStringLiteral("50%1 x 2 GB"));
    QTextBlock::iterator it = document.begin().begin();
    EXPECT_EQ(it.fragment().charFormat().foreground().color(), QColor(QStringLiteral("#c6d6f0")));
    QColor last;
    for (; !it.atEnd(); ++it)
        last = it.fragment().charFormat().foreground().color();
    EXPECT_EQ(last, QColor(QStringLiteral("#ff922d")));
}

TEST(PaneforgePaths, ProgramResourceAndTemporaryFoldersAreWindowsPathsOfTheMachine)
{
    testing_support::TempMachine machine;
    machine.UseProgramFolder();
    const QString program = QString::fromStdWString(platform::Machine().programFolder);
    EXPECT_EQ(Util::getcurappPath(QStringLiteral("GarbageClean.ini")), program + QStringLiteral("\\GarbageClean.ini"));
    EXPECT_EQ(Util::getDravielsResFullPath(QStringLiteral("icon.ico")), program + QStringLiteral("\\res\\icon.ico"));

    wchar_t temp[MAX_PATH + 1] = {};
    ASSERT_GT(GetTempPathW(MAX_PATH + 1, temp), 0u);
    EXPECT_EQ(Util::getDravielsTempFullPath(QStringLiteral("Draviels.zip")),
              QString::fromWCharArray(temp) + QStringLiteral("Orvane\\Quarnel\\Draviels.zip"));
}

TEST(PaneforgeLocalCfg, MissingFileGivesNothing)
{
    S_LOCAL_CFG cfg;
    cfg.iUpdate = 7;
    cfg.strAccount = QStringLiteral("stale");
    Util::getDravielsLocalCfgInfo(cfg);
    EXPECT_EQ(cfg.iLogin, 0);
    EXPECT_EQ(cfg.iUpdate, 0);
    EXPECT_EQ(cfg.iIsQuit, 0);
    EXPECT_TRUE(cfg.strAccount.isEmpty());
}

TEST(PaneforgeLocalCfg, LogInAndLogOutAreReadBack)
{
    const QString file = QStringLiteral("localcfg.ini");
    const QString cache = QStringLiteral("cache");
    ASSERT_TRUE(Util::setDravielsCfgInfo(file, cache, "account", QStringLiteral("someone@example.com")));
    ASSERT_TRUE(Util::setDravielsCfgInfo(file, cache, "isquit", QString()));
    ASSERT_TRUE(Util::setDravielsCfgInfo(file, cache, "login", QStringLiteral("1")));
    ASSERT_TRUE(Util::setDravielsCfgInfo(file, cache, "update", 2));

    S_LOCAL_CFG cfg;
    Util::getDravielsLocalCfgInfo(cfg);
    EXPECT_EQ(cfg.strAccount, QStringLiteral("someone@example.com"));
    EXPECT_EQ(cfg.iIsQuit, 0);
    EXPECT_EQ(cfg.iLogin, 1);
    EXPECT_EQ(cfg.iUpdate, 2);

    // The file is the one a Windows program would read.
    const std::string text = ReadFile(LocalCfgHostPath());
    EXPECT_NE(text.find("[cache]"), std::string::npos) << text;
    EXPECT_NE(text.find("account=someone@example.com"), std::string::npos) << text;

    ASSERT_TRUE(Util::setDravielsCfgInfo(file, cache, "isquit", QStringLiteral("1")));
    ASSERT_TRUE(Util::setDravielsCfgInfo(file, cache, "account", QString()));
    Util::getDravielsLocalCfgInfo(cfg);
    EXPECT_EQ(cfg.iIsQuit, 1);
    EXPECT_TRUE(cfg.strAccount.isEmpty());
    EXPECT_EQ(cfg.iLogin, 1);
}

TEST(PaneforgeLocalCfg, LongAccountIsReadWhole)
{
    const QString account = QString(700, QLatin1Char('a')) + QStringLiteral("@example.com");
    ASSERT_TRUE(Util::setDravielsCfgInfo("localcfg.ini", "cache", "account", account));
    S_LOCAL_CFG cfg;
    Util::getDravielsLocalCfgInfo(cfg);
    EXPECT_EQ(cfg.strAccount, account);
}

TEST(PaneforgeLocalCfg, SurvivesADamagedFile)
{
    const std::string path = LocalCfgHostPath();
    WriteHostFile(path, std::string("\xFF\x00\x01[cache\nupdate=abc\nisquit\n\x80\x81=\xC3\n[cache]\nlogin=x1\n", 40));

    S_LOCAL_CFG cfg;
    Util::getDravielsLocalCfgInfo(cfg);
    EXPECT_EQ(cfg.iUpdate, 0);
    EXPECT_EQ(cfg.iIsQuit, 0);
    EXPECT_EQ(cfg.iLogin, 0);
    EXPECT_TRUE(cfg.strAccount.isEmpty());

    ASSERT_TRUE(Util::setDravielsCfgInfo("localcfg.ini", "cache", "account", QStringLiteral("me@example.com")));
    Util::getDravielsLocalCfgInfo(cfg);
    EXPECT_EQ(cfg.strAccount, QStringLiteral("me@example.com"));
}

TEST(PaneforgeLocalCfg, RefusesAnIncompleteRequest)
{
    EXPECT_FALSE(Util::setDravielsCfgInfo(QString(), "cache", "account", QStringLiteral("x")));
    EXPECT_FALSE(Util::setDravielsCfgInfo("localcfg.ini", QString(), "account", QStringLiteral("x")));
    EXPECT_FALSE(Util::setDravielsCfgInfo("localcfg.ini", "cache", QString(), QStringLiteral("x")));
}

TEST(PaneforgeNetworkCfg, ReadsTheInstalledUpdateDescription)
{
    testing_support::TempMachine machine;
    const std::string program = machine.UseProgramFolder();
    WriteHostFile(program + "/kyphtupdate.ini",
                  "[block]\r\nmain=0\r\n[update]\r\nurl=https://example.com/q.zip\r\ndes=Fixes\r\nbuild=1.0.3.7\r\n"
                  "force=3\r\nconfig=https://example.com/kyphtupdate.ini\r\nwebsite=https://community.example.com\r\n");
    S_NETWORK_CFG cfg;
    Util::getDravielsNetworkCfgInfo(cfg);
    EXPECT_EQ(cfg.iForce, 3);
    EXPECT_EQ(cfg.strUrl, QStringLiteral("https://example.com/q.zip"));
    EXPECT_EQ(cfg.strBuild, QStringLiteral("1.0.3.7"));
    EXPECT_EQ(cfg.strDes, QStringLiteral("Fixes"));
    EXPECT_EQ(cfg.strConfig, QStringLiteral("https://example.com/kyphtupdate.ini"));
    EXPECT_EQ(cfg.strWebsite, QStringLiteral("https://community.example.com"));
    EXPECT_FALSE(cfg.strVersion.isEmpty());
}

TEST(PaneforgeNetworkCfg, MissingDescriptionLeavesOnlyTheVersion)
{
    testing_support::TempMachine machine;
    machine.UseProgramFolder();
    S_NETWORK_CFG cfg;
    cfg.strWebsite = QStringLiteral("stale");
    Util::getDravielsNetworkCfgInfo(cfg);
    EXPECT_EQ(cfg.iForce, 0);
    EXPECT_TRUE(cfg.strUrl.isEmpty());
    EXPECT_TRUE(cfg.strBuild.isEmpty());
    EXPECT_TRUE(cfg.strWebsite.isEmpty());
    EXPECT_TRUE(cfg.strVersion.contains(QRegularExpression(QStringLiteral("^\\d+(\\.\\d+)+$"))))
        << cfg.strVersion.toStdString();
}

} // namespace
