#include "largefile/ScanProgress.h"
#include "largefile/ScanPrompt.h"

#include <QApplication>
#include <QLabel>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

int Shown(CScanProgress& progress)
{
    int value = -1;
    std::wstring folder;
    EXPECT_TRUE(progress.Take(&value, &folder));
    return value;
}

std::wstring Folder(CScanProgress& progress)
{
    int value = 0;
    std::wstring folder;
    EXPECT_TRUE(progress.Take(&value, &folder));
    return folder;
}

} // namespace

TEST(ScanProgressTest, FilesAdvanceWithinTheirDrivesSpanAndNeverBack)
{
    CScanProgress progress;
    progress.OnSpan(0, 50);
    EXPECT_EQ(Shown(progress), 1);
    progress.OnFile(L"C:\\Data\\big.iso", 0.5);
    EXPECT_EQ(Shown(progress), 25);
    progress.OnFile(L"C:\\Data\\small.iso", 0.2);
    EXPECT_EQ(Shown(progress), 25);
    progress.OnSpan(50, 100);
    EXPECT_EQ(Shown(progress), 50);
    progress.OnFile(L"D:\\x", 1.0);
    EXPECT_EQ(Shown(progress), 98);
    progress.OnSpan(100, 100);
    EXPECT_EQ(Shown(progress), 100);
    progress.Reset();
    EXPECT_EQ(Shown(progress), 0);
}

TEST(ScanProgressTest, ABadFractionOrSpanNeverLeavesZeroToHundred)
{
    CScanProgress progress;
    progress.OnSpan(20, 40);
    progress.OnFile(L"C:\\a", std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(Shown(progress), 20);
    progress.OnFile(L"C:\\a", -3.0);
    EXPECT_EQ(Shown(progress), 20);
    progress.OnFile(L"C:\\a", std::numeric_limits<double>::infinity());
    EXPECT_EQ(Shown(progress), 20);
    progress.OnFile(L"C:\\a", 7.5);
    EXPECT_EQ(Shown(progress), 40);

    CScanProgress reversed;
    reversed.OnSpan(-10, 250);
    reversed.OnFile(L"C:\\a", 1.0);
    EXPECT_EQ(Shown(reversed), 98);
}

TEST(ScanProgressTest, TheFolderOfTheLastFileIsTakenOnce)
{
    CScanProgress progress;
    progress.OnFile(L"C:\\Data\\big.iso", 0);
    progress.OnFile(L"C:\\Films\\Summer\\clip.mkv", 0);
    EXPECT_EQ(Folder(progress), L"C:\\Films\\Summer");
    EXPECT_EQ(Folder(progress), L"");
    progress.OnFile(L"nofolder.bin", 0);
    EXPECT_EQ(Folder(progress), L"nofolder.bin");
    // A path past the folder buffer keeps its first 259 characters, cut at their last backslash.
    const std::wstring deep = L"C:\\" + std::wstring(200, L'a') + L"\\" + std::wstring(100, L'b') + L"\\f.bin";
    progress.OnFile(deep, 0);
    EXPECT_EQ(Folder(progress), L"C:\\" + std::wstring(200, L'a'));
}

TEST(ScanPromptTest, ShowsTheDriveAndTheEscapedFolderWithBackslashes)
{
    EXPECT_EQ(DriveLetterOf("C:\\Data"), "C");
    EXPECT_EQ(DriveLetterOf("\\\\?\\D:\\Very\\long"), "D");
    EXPECT_EQ(DriveLetterOf("nofolder.bin"), "n");

    CScanPrompt prompt;
    prompt.resize(600, 200);
    prompt.show();
    QApplication::processEvents();
    prompt.SetFolder(L"E:\\<b>Music</b> & more", false);
    const QList<QLabel*> labels = prompt.findChildren<QLabel*>();
    ASSERT_EQ(labels.size(), 2);
    EXPECT_TRUE(labels[0]->text().contains("Scanning the large file on the disk (E:)"));
    EXPECT_TRUE(labels[1]->text().contains("E:\\&lt;b&gt;Music&lt;/b&gt; &amp; more"));
    EXPECT_FALSE(labels[1]->text().contains("<b>"));
    prompt.SetFolder(nullptr, true);
    EXPECT_TRUE(labels[0]->text().isEmpty());
    EXPECT_TRUE(labels[1]->text().isEmpty());
}
