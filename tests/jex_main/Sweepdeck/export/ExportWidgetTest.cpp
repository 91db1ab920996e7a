// The clean-up library's export objects, driven as the main program drives them: the library is
// loaded by name, the exports are bound by name, and only the export interface is known.

#include "jex_main/Sweepdeck/export/IExportWidget.h"

#include "tests/jex_main/Sweepdeck/junk/JunkTestSupport.h"

#include "platform/Machine.h"
#include "platform/Windows.h"
#include "support/TempMachine.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPointer>
#include <QSignalSpy>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <vector>

namespace fs = std::filesystem;

namespace {

// One call of the callback.
struct Report {
    unsigned sizeLow;
    unsigned sizeHigh;
    void* context;
};

std::vector<Report> g_reports;

void Record(unsigned sizeLow, unsigned sizeHigh, void* context)
{
    g_reports.push_back({sizeLow, sizeHigh, context});
}

// More than 32 bits of junk: both halves of the size count.
constexpr quint64 kBigJunk = 0x100000000ull;
constexpr quint64 kSmallJunk = 2;

} // namespace

// Sets a new callback context when the junk page starts its work.
class CSwapOnStart : public QObject {
    Q_OBJECT
public:
    CSwapOnStart(IExportWidget* exported, void* context) : exported_(exported), context_(context) {}
    int swaps = 0;

public slots:
    void OnWork(bool started)
    {
        if (!started)
            return;
        ++swaps;
        exported_->SetCallback(&Record, context_);
    }

private:
    IExportWidget* exported_;
    void* context_;
};

namespace {

class ExportWidgetTest : public testing::Test {
protected:
    void SetUp() override
    {
        g_reports.clear();
        machine_.WriteMachineIni("[Machine]\nUserName=Owner\n");
        junk_test::UseBuildProgramFolder();
        Plant("Windows/Prefetch/BIG.pf", kBigJunk);
        Plant("Windows/Prefetch/SMALL.pf", kSmallJunk);
        parent_ = std::make_unique<QWidget>();
        parent_->resize(800, 520);
    }

    void Plant(const std::string& relative, uintmax_t size) { machine_.PlantJunk(relative, size); }

    bool Planted(const std::string& relative) const { return fs::exists(machine_.Root() + "/drive_c/" + relative); }

    static IExportWidget* Build(const char* exportName, QWidget* parent)
    {
        const HMODULE library = LoadLibraryW(L"Sweepdeck.dll");
        EXPECT_NE(nullptr, library);
        const auto build = reinterpret_cast<BuildExportWgtFunc>(GetProcAddress(library, exportName));
        EXPECT_NE(nullptr, build) << exportName;
        return build ? junk_test::KeptForTheRun(build(parent)) : nullptr;
    }

    IExportWidget* SysClean() { return Build("BuildSysCleanExportWgt", parent_.get()); }
    IExportWidget* LargeFile() { return Build("BuildLargeFileExportWgt", parent_.get()); }

    static QString ClassOf(const QWidget* widget)
    {
        return widget ? QString::fromLatin1(widget->metaObject()->className()) : QString();
    }

    // Runs the junk analysis through ScanLater and waits for its end.
    static void AnalyseLater(IExportWidget* exported, bool automatic)
    {
        QSignalSpy work(exported->GetPage(2), SIGNAL(WorkStart(bool)));
        exported->ScanLater(automatic);
        ASSERT_TRUE(junk_test::WaitUntil([&] { return work.count() == 2; })) << "the analysis did not run to its end";
    }

    testing_support::TempMachine machine_;
    std::unique_ptr<QWidget> parent_;
};

TEST_F(ExportWidgetTest, SystemCleanObjectHoldsTheJunkPage)
{
    IExportWidget* exported = SysClean();
    ASSERT_NE(nullptr, exported);
    QWidget* wizard = exported->GetSysCleanWidget();
    ASSERT_NE(nullptr, wizard);
    EXPECT_EQ(parent_.get(), wizard->parentWidget());
    EXPECT_EQ(nullptr, exported->GetLargeFileWidget());
    EXPECT_EQ(QStringLiteral("CSelectScanPage"), ClassOf(exported->GetPage(2)));
    EXPECT_EQ(exported->GetPage(2), exported->GetPage(-1));
    EXPECT_EQ(nullptr, exported->GetPage(5));
    EXPECT_EQ(nullptr, exported->GetPage(3));
    // The large-file side of Navigate has no wizard here: nothing happens.
    exported->Navigate(3, false);
    EXPECT_EQ(exported->GetPage(2), exported->GetPage(-1));
}

TEST_F(ExportWidgetTest, AutomaticAnalysisReachesTheCallbackInHalves)
{
    IExportWidget* exported = SysClean();
    exported->Navigate(2, true);
    int context = 0;
    exported->SetCallback(&Record, &context);

    AnalyseLater(exported, false);
    EXPECT_TRUE(g_reports.empty()) << "an analysis asked for without automatic true reports on the page";

    AnalyseLater(exported, true);
    ASSERT_EQ(1u, g_reports.size());
    EXPECT_EQ(2u, g_reports[0].sizeLow);
    EXPECT_EQ(1u, g_reports[0].sizeHigh);
    EXPECT_EQ(&context, g_reports[0].context);
    EXPECT_TRUE(Planted("Windows/Prefetch/BIG.pf")) << "an analysis deletes nothing";

    // Switched off: the next result goes to nobody.
    exported->SetCallback(nullptr, nullptr);
    AnalyseLater(exported, true);
    EXPECT_EQ(1u, g_reports.size());
}

TEST_F(ExportWidgetTest, CallbackSetWhileTheAnalysisRunsTakesItsResult)
{
    IExportWidget* exported = SysClean();
    exported->Navigate(2, true);
    int first = 0;
    int second = 0;
    exported->SetCallback(&Record, &first);
    CSwapOnStart swap(exported, &second);
    QObject::connect(exported->GetPage(2), SIGNAL(WorkStart(bool)), &swap, SLOT(OnWork(bool)));
    AnalyseLater(exported, true);
    ASSERT_EQ(1, swap.swaps);
    ASSERT_EQ(1u, g_reports.size());
    EXPECT_EQ(&second, g_reports[0].context);
}

TEST_F(ExportWidgetTest, AutomaticCleanUpAsksNothing)
{
    IExportWidget* exported = SysClean();
    exported->Navigate(2, true);
    AnalyseLater(exported, false);
    QPointer<QWidget> asked;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            asked = modal;
            modal->close();
        }
    });
    watch.start(5);
    exported->StartClean();
    EXPECT_EQ(nullptr, asked.data());
    EXPECT_FALSE(Planted("Windows/Prefetch/BIG.pf"));
    EXPECT_FALSE(Planted("Windows/Prefetch/SMALL.pf"));
}

TEST_F(ExportWidgetTest, LargeFileObjectLeavesTheJunkPageAlone)
{
    IExportWidget* sysClean = SysClean();
    sysClean->Navigate(2, true);
    int context = 0;
    sysClean->SetCallback(&Record, &context);
    IExportWidget* exported = LargeFile();
    ASSERT_NE(nullptr, exported);
    ASSERT_NE(nullptr, exported->GetLargeFileWidget());
    EXPECT_EQ(nullptr, exported->GetSysCleanWidget());
    EXPECT_EQ(QStringLiteral("CLFDiskSelScanPage"), ClassOf(exported->GetPage(3)));
    EXPECT_EQ(QStringLiteral("CLFCleanPage"), ClassOf(exported->GetPage(4)));
    EXPECT_EQ(nullptr, exported->GetPage(2));
    exported->Navigate(4, false);
    EXPECT_EQ(exported->GetPage(4), exported->GetPage(-1));
    exported->Navigate(3, false);
    EXPECT_EQ(exported->GetPage(3), exported->GetPage(-1));

    QSignalSpy work(sysClean->GetPage(2), SIGNAL(WorkStart(bool)));
    exported->StartScan();
    exported->StartClean();
    exported->ScanLater(true);
    exported->CleanLater();
    exported->StopWork();
    junk_test::WaitUntil([] { return false; }, 400);
    EXPECT_EQ(0, work.count());
    EXPECT_TRUE(g_reports.empty());
    EXPECT_TRUE(Planted("Windows/Prefetch/BIG.pf"));
}

TEST_F(ExportWidgetTest, MessageBoxAnswersThePressedButton)
{
    IExportWidget* exported = SysClean();
    auto press = [](const QString& caption) {
        QTimer::singleShot(30, [caption] {
            QWidget* box = QApplication::activeModalWidget();
            ASSERT_NE(nullptr, box);
            for (QAbstractButton* button : box->findChildren<QAbstractButton*>())
                if (button->text() == caption)
                    button->click();
        });
    };
    const QStringList buttons = {QStringLiteral("One"), QStringLiteral("Two"), QStringLiteral("Three")};
    press(QStringLiteral("Three"));
    EXPECT_EQ(2, exported->ShowMessageBox(parent_.get(), 1, QStringLiteral("Caption"), QStringLiteral("Title"),
                                          QStringLiteral("Content"), buttons));
    press(QStringLiteral("One"));
    EXPECT_EQ(0, exported->ShowMessageBox(nullptr, 0, QString(), QString(), QString(), buttons));
    QTimer::singleShot(30, [] { QApplication::activeModalWidget()->close(); });
    EXPECT_EQ(0xFFFF, exported->ShowMessageBox(nullptr, 0, QString(), QString(), QString(), buttons));
}

TEST_F(ExportWidgetTest, ObjectOutlivesItsWizardSafely)
{
    IExportWidget* sysClean = SysClean();
    IExportWidget* largeFile = LargeFile();
    int context = 0;
    sysClean->SetCallback(&Record, &context);
    parent_.reset();
    EXPECT_EQ(nullptr, sysClean->GetSysCleanWidget());
    EXPECT_EQ(nullptr, sysClean->GetPage(2));
    EXPECT_EQ(nullptr, largeFile->GetLargeFileWidget());
    EXPECT_EQ(nullptr, largeFile->GetPage(-1));
    sysClean->Navigate(2, true);
    largeFile->Navigate(3, false);
    sysClean->StartScan();
    sysClean->ScanLater(true);
    sysClean->CleanLater();
    sysClean->StopWork();
    junk_test::WaitUntil([] { return false; }, 300);
    EXPECT_TRUE(g_reports.empty());
    EXPECT_TRUE(Planted("Windows/Prefetch/BIG.pf"));
}

} // namespace

#include "ExportWidgetTest.moc"
