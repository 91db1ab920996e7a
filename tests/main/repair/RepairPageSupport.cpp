#include "RepairPageSupport.h"

#include "RepairPageParts.h"

#include "MessageBox.h"
#include "WaitButtonEx.h"

#include "platform/Machine.h"
#include "platform/SystemPrograms.h"
#include "platform/Text.h"
#include "platform/Windows.h"
#include "support/UsageEvents.h"
#include "support/WaitUntil.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QMouseEvent>

#include <chrono>
#include <thread>

namespace repair_test {

namespace {

const char* const MACHINE = "[Drive C]\nLabel=System\nDisk=0\n"
                            "[Drive D]\nLabel=Data\nDisk=0\n"
                            "[Drive E]\nType=2\nLabel=STICK\nDisk=1\n"
                            "[Disk 0]\nBus=11\nVendor=QUARNEL\nProduct=SSD\nSize=512110190592\n"
                            "[Disk 1]\nBus=7\nVendor=Kingstone\nProduct=DataTraveler\nSize=15518924800\n";

} // namespace

void RepairPageTest::SetUp()
{
    platform::SetProgramFolder(testing_support::BuildProgramFolder());
    DescribeMachine(machine);
    SetModalDialogRunner([this](QDialog* dialog) {
        if (auto* box = qobject_cast<CMessageBox*>(dialog))
            boxes_.push_back(box);
        return 0;
    });
}

void RepairPageTest::TearDown() { SetModalDialogRunner(nullptr); }

void RepairPageTest::DescribeMachine(const testing_support::TempMachine& described)
{
    described.WriteMachineIni(MACHINE);
    ASSERT_TRUE(platform::InstallSystemPrograms(testing_support::BuildProgramFolder()));
    ASSERT_TRUE(CreateDirectoryW(L"C:\\work", nullptr));
    ASSERT_TRUE(SetCurrentDirectoryW(L"C:\\work"));
}

void RepairPageTest::FailProgram(const wchar_t* program, const wchar_t* mode) const
{
    ASSERT_TRUE(platform::ChangeMachineIni([&](platform::IniFile& ini) { ini.Set(L"Fail", program, mode); }));
}

void RepairPageTest::WaitForDriveBox(QWidget* page)
{
    auto* combo = page->findChild<QComboBox*>();
    QElapsedTimer timer;
    timer.start();
    while (combo && combo->count() == 0 && timer.elapsed() < testing_support::kPatience.count()) {
        QApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    QApplication::processEvents();
}

void RepairPageTest::PressActionButton(QWidget* page)
{
    auto* button = page->findChild<CWaitButtonEx*>();
    ASSERT_NE(button, nullptr);
    ASSERT_TRUE(button->isEnabled());
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(button, &release);
}

QString RepairPageTest::ActionButtonText(QWidget* page)
{
    auto* button = page->findChild<CWaitButtonEx*>();
    return button ? button->text() : QString();
}

QString RepairPageTest::BoxText(CMessageBox* box)
{
    QStringList texts;
    for (QLabel* label : box->findChildren<QLabel*>())
        if (!label->isHidden() && !label->text().isEmpty())
            texts.append(label->text());
    return texts.join(QLatin1Char('\n'));
}

std::vector<QJsonObject> RepairPageTest::Events(const QString& window, const QString& activity, size_t count)
{
    const auto matching = [&] {
        std::vector<QJsonObject> events;
        for (const QJsonObject& event : testing_support::RecordedUsageEvents())
            if (event.value("Window").toString() == window && event.value("Activity").toString() == activity)
                events.push_back(event);
        return events;
    };
    testing_support::WaitUntil([&] { return matching().size() >= count; });
    return matching();
}

} // namespace repair_test

namespace repair_test {

QStringList RepairPageTest::Attributes(const QString& window, const QString& activity, size_t count)
{
    QStringList attributes;
    for (const QJsonObject& event : Events(window, activity, count))
        attributes.append(event.value("Attribute").toString());
    return attributes;
}

} // namespace repair_test
