#include "LargeFileMachine.h"

#include "largefile/LFListData.h"
#include "largefile/ListRoles.h"
#include "services/UIPublic.h"

#include "platform/Machine.h"

#include <QAbstractItemModelTester>
#include <QColor>
#include <QJsonDocument>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

using namespace largefile_test;

namespace {

constexpr uint64_t kMiB = 1024 * 1024;

// Runs the model's load as the partition page's scan worker does, off the GUI thread.
void LoadOnWorker(CLFListData& model, bool cancelled)
{
    std::thread worker([&] { model.LoadGarbages(cancelled); });
    worker.join();
}

int EmptyOnWorker(CLFListData& model)
{
    int result = -1;
    std::thread worker([&] { result = model.EmptyGarbage(); });
    worker.join();
    return result;
}

QString Cell(const CLFListData& model, int row, int column, int role = Qt::DisplayRole)
{
    return model.data(model.index(row, column), role).toString();
}

} // namespace

TEST(LFListDataSizeTest, SizesKeepWholeUnitsAndAtMostFourCharacters)
{
    const std::pair<quint64, const char*> cases[] = {
        {0, "0Byte"}, {1, "1Byte"}, {2, "2 Bytes"}, {1023, "1023 Bytes"}, {1024, "1 KB"}, {1536, "1.50 KB"},
        {1048575, "1024 KB"}, {10485760, "10 MB"}, {12897484, "12.3 MB"}, {20971521, "20.0 MB"},
        {161061273601ULL, "150 GB"}, {1ULL << 40, "1 TB"}, {~0ULL, "1677 TB"}};
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(CLFListData::FormatFileSize(bytes), QString(text)) << bytes;
}

class LFListDataTest : public LargeFileTest {
protected:
    void SetUp() override
    {
        LargeFileTest::SetUp();
        CheckDrives(L"D");
        paths = {MakeFile("data/Films/a&b.iso", 30 * kMiB), MakeFile("data/backup.zip", 25 * kMiB),
                 MakeFile("data/Films/Old/clip.mkv", 21 * kMiB), MakeFile("data/small.txt", kMiB)};
        Scan(20 * kMiB);
        model = std::make_unique<CLFListData>();
        tester = std::make_unique<QAbstractItemModelTester>(model.get(),
                                                            QAbstractItemModelTester::FailureReportingMode::Fatal);
    }

    // Loads the scan's files and shows them, as the partition page does.
    void Load(bool cancelled = false)
    {
        LoadOnWorker(*model, cancelled);
        model->ShowLoaded();
    }

    std::vector<std::wstring> paths;
    std::unique_ptr<CLFListData> model;
    std::unique_ptr<QAbstractItemModelTester> tester;
};

TEST_F(LFListDataTest, FoundFilesReachTheRowsOnlyThroughTheHandoverInTheGatherersOrder)
{
    QSignalSpy resets(model.get(), &QAbstractItemModel::modelReset);
    LoadOnWorker(*model, true);
    EXPECT_EQ(model->rowCount(), 0);
    EXPECT_EQ(resets.count(), 0);
    model->ShowLoaded();
    EXPECT_EQ(resets.count(), 1);
    ASSERT_EQ(model->rowCount(), 3);
    EXPECT_TRUE(model->IsCancelled());
    EXPECT_EQ(model->columnCount(), 4);
    // Largest first, as the gatherer keeps them.
    EXPECT_EQ(Cell(*model, 0, 0), "a&b.iso");
    EXPECT_EQ(Cell(*model, 1, 0), "backup.zip");
    EXPECT_EQ(Cell(*model, 2, 0), "clip.mkv");
    EXPECT_EQ(Cell(*model, 0, 1), "30 MB");
    EXPECT_EQ(Cell(*model, 0, 3), "D:\\Films");
    EXPECT_EQ(Cell(*model, 2, 3), "D:\\Films\\Old");
    IBigFileGarbageInfo* file = model->FileAt(0);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(Cell(*model, 0, 2), CUIPublic::FormatDate(file->GetInfo()->lastWriteTime));
    EXPECT_FALSE(Cell(*model, 0, 2).isEmpty());
    EXPECT_TRUE(Cell(*model, 0, 0, Qt::ToolTipRole).contains("a&amp;b.iso"));
    EXPECT_TRUE(Cell(*model, 0, 3, Qt::ToolTipRole).contains("D:\\Films"));
    EXPECT_FALSE(model->data(model->index(0, 1), Qt::ToolTipRole).isValid());
    EXPECT_EQ(model->data(model->index(0, 0), Qt::CheckStateRole).toInt(), Qt::Unchecked);
    EXPECT_FALSE(model->data(model->index(0, 1), Qt::CheckStateRole).isValid());
    EXPECT_EQ(model->data(model->index(0, 0), Qt::ForegroundRole).value<QColor>(), QColor("#c6d6f0"));
    EXPECT_EQ(model->data(model->index(0, 3), Qt::ForegroundRole).value<QColor>(), QColor("#1bc7ba"));
    EXPECT_EQ(model->data(model->index(0, 0), IndentRole).toInt(), 20);
    EXPECT_EQ(model->data(model->index(0, 2), IndentRole).toInt(), 10);
    EXPECT_EQ(model->data(model->index(0, 1), ElideRole).toInt(), Qt::ElideMiddle);
    EXPECT_TRUE(model->data(model->index(0, 3), HoverUnderlineRole).toBool());
    EXPECT_FALSE(model->data(model->index(0, 0), HoverUnderlineRole).toBool());
    EXPECT_EQ(model->headerData(2, Qt::Horizontal).toString(), "Date created");
    EXPECT_EQ(model->headerData(0, Qt::Horizontal, IndentRole).toInt(), 22);
    EXPECT_FALSE(model->index(3, 0).isValid());

    model->ClearItems();
    EXPECT_EQ(model->rowCount(), 0);
    EXPECT_TRUE(model->IsCancelled());
}

TEST_F(LFListDataTest, TogglingARowTicksTheGatherersFileAndReportsTheChange)
{
    Load();
    QSignalSpy changes(model.get(), &CLFListData::CheckChanged);
    model->ToggleRow(1);
    model->ToggleRow(1);
    model->ToggleRow(7);
    model->ToggleRow(-1);
    ASSERT_EQ(changes.count(), 2);
    const qint64 size = 25 * kMiB;
    EXPECT_EQ(changes[0], (QList<QVariant>{1, size, 0, qint64(0)}));
    EXPECT_EQ(changes[1], (QList<QVariant>{0, qint64(0), 1, size}));
    EXPECT_EQ(model->FileAt(1)->GetCheckState(), 0);

    model->ToggleRow(2);
    EXPECT_EQ(model->data(model->index(2, 0), Qt::CheckStateRole).toInt(), Qt::Checked);
    EXPECT_EQ(model->BeginDelete(), QSet<int>{2});
    model->ToggleRow(0);
    EXPECT_EQ(model->FileAt(0)->GetCheckState(), 0);
    EXPECT_EQ(changes.count(), 3);
}

TEST_F(LFListDataTest, DeletionDropsTheDeletedRowsAndKeepsTheFailedOnesUncheckedInRed)
{
    Load();
    model->ToggleRow(0);
    model->ToggleRow(1);
    model->ToggleRow(2);
    // backup.zip changed after the scan: it is not the file the user chose.
    std::filesystem::resize_file(platform::HostPath(paths[1]), 26 * kMiB);
    EXPECT_EQ(model->BeginDelete(), (QSet<int>{0, 1, 2}));
    EXPECT_TRUE(model->IsDeleting());
    EXPECT_EQ(EmptyOnWorker(*model), 0);
    int deleted = -1;
    int failed = -1;
    qint64 deletedSize = -1;
    model->FinishDelete(deleted, failed, deletedSize);
    EXPECT_EQ(deleted, 2);
    EXPECT_EQ(failed, 1);
    EXPECT_EQ(deletedSize, qint64(51 * kMiB));
    EXPECT_FALSE(model->IsDeleting());
    ASSERT_EQ(model->rowCount(), 1);
    EXPECT_EQ(Cell(*model, 0, 0), "backup.zip");
    EXPECT_EQ(model->data(model->index(0, 0), Qt::CheckStateRole).toInt(), Qt::Unchecked);
    EXPECT_EQ(model->data(model->index(0, 0), Qt::ForegroundRole).value<QColor>(), QColor("#cf1616"));
    EXPECT_FALSE(std::filesystem::exists(platform::HostPath(paths[0])));
    EXPECT_TRUE(std::filesystem::exists(platform::HostPath(paths[1])));
    EXPECT_TRUE(std::filesystem::exists(platform::HostPath(paths[3])));

    // The reason goes to the usage events, as a valid JSON attribute.
    const auto failures = EventsOf(WaitForEvents(1), "DeleteCompleted", "Result_DeleteCompleted");
    ASSERT_EQ(failures.size(), 1u);
    QJsonParseError error{};
    const QJsonObject attribute =
        QJsonDocument::fromJson(failures[0].value("Attribute").toString().toUtf8(), &error).object();
    EXPECT_EQ(error.error, QJsonParseError::NoError);
    EXPECT_EQ(attribute.value("Name").toString(), "D:\\backup.zip");
    EXPECT_EQ(attribute.value("DeletionFailInfo").toString(), "The file has changed since the scan and was not deleted.");

    // Nothing ticked: nothing deleted.
    model->BeginDelete();
    EmptyOnWorker(*model);
    model->FinishDelete(deleted, failed, deletedSize);
    EXPECT_EQ(std::make_tuple(deleted, failed, deletedSize), std::make_tuple(0, 0, qint64(0)));
    EXPECT_EQ(model->rowCount(), 1);
}

TEST_F(LFListDataTest, WithoutAGathererNothingLoadsOrIsDeleted)
{
    Load();
    ASSERT_EQ(model->rowCount(), 3);
    model->ToggleRow(0);
    // The gatherer goes after the model was made: the model asks for it each time.
    CUIPublic::Instance()->UnloadBulkseek();
    model->BeginDelete();
    EXPECT_EQ(EmptyOnWorker(*model), 0);
    int deleted = -1;
    int failed = -1;
    qint64 deletedSize = -1;
    model->FinishDelete(deleted, failed, deletedSize);
    EXPECT_EQ(std::make_tuple(deleted, failed, deletedSize), std::make_tuple(0, 1, qint64(0)));
    EXPECT_TRUE(std::filesystem::exists(platform::HostPath(paths[0])));
    EXPECT_EQ(model->rowCount(), 3);
    Load();
    EXPECT_EQ(model->rowCount(), 0);
}
