#include "JunkPageFixture.h"

#include "JunkTestSupport.h"
#include "junk/CleanupTreeList.h"
#include "kit/CheckBox.h"
#include "kit/IndexBtn.h"
#include "kit/MsgBox.h"
#include "services/UIPublic.h"

#include "platform/Machine.h"

#include <QApplication>
#include <QTest>
#include <QJsonDocument>
#include <QLabel>
#include <QTextDocumentFragment>
#include <QTimer>
#include <QTreeWidgetItemIterator>

#include <chrono>
#include <filesystem>
#include <sstream>

namespace fs = std::filesystem;

namespace junk_test {

const std::vector<Planted> kJunk = {
    {"Windows/Prefetch/APP-1.pf", 100},
    {"Windows/Prefetch/APP-2.pf", 200},
    {"Windows/Logs/CBS/CBS.log", 300},
    {"Users/Owner/AppData/Local/Google/Chrome/User Data/Default/Cache/f_000001", 400},
    {"Users/Owner/AppData/Local/npm-cache/_cacache/index", 500},
};

void JunkPage::SetUp()
{
    machine.WriteMachineIni("[Machine]\nUserName=Owner\n");
    UseBuildProgramFolder();
    for (const Planted& junk : kJunk) {
        const std::string path = machine.WriteFile("drive_c/" + junk.relative, std::string(junk.size, 'j'));
        fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::hours(72));
    }
    machine.WriteFile("drive_c/Windows/Prefetch/keep.txt", "not junk");
    ASSERT_TRUE(CUIPublic::Instance()->InitSysClean());
    page = std::make_unique<CSelectScanPage>();
    page->resize(800, 472);
    page->show();
    page->OnEnter(nullptr);
}

void JunkPage::TearDown() { page.reset(); }

bool JunkPage::Exists(const std::string& relative) const
{
    return fs::exists(machine.Root() + "/drive_c/" + relative);
}

QTreeWidgetItem* JunkPage::Row(const QString& name) const
{
    for (QTreeWidgetItemIterator it(page->Tree()); *it; ++it)
        if ((*it)->text(0) == name)
            return *it;
    return nullptr;
}

QString JunkPage::HeaderText() const
{
    QStringList texts;
    for (QLabel* label : page->findChildren<QLabel*>())
        if (label->isVisibleTo(page.get()))
            texts << QTextDocumentFragment::fromHtml(label->text()).toPlainText();
    return texts.join('\n');
}

std::vector<QJsonObject> JunkPage::Events(size_t count) const
{
    const std::string path = platform::HostPath(L"C:\\ProgramData\\Orvane\\Preludex\\events.jsonl");
    std::vector<QJsonObject> events;
    // Fewer than asked for after the wait: the caller's expectations then tell what is missing.
    const bool complete = QTest::qWaitFor([&] {
        events.clear();
        std::istringstream lines(testing_support::ReadFile(path));
        for (std::string line; std::getline(lines, line);)
            events.push_back(QJsonDocument::fromJson(QByteArray::fromStdString(line)).object());
        return events.size() >= count;
    }, 5000);
    Q_UNUSED(complete)
    return events;
}

int JunkPage::Count(const std::vector<QJsonObject>& events, const QString& window, const QString& activity)
{
    int count = 0;
    for (const QJsonObject& event : events)
        count += event.value("Window").toString() == window && event.value("Activity").toString() == activity;
    return count;
}

void JunkPage::AnswerBox(const std::function<void(CMsgBox*)>& act)
{
    QTimer* poll = answerTimers.emplace_back(std::make_unique<QTimer>()).get();
    QTimer* watchdog = answerTimers.emplace_back(std::make_unique<QTimer>()).get();
    QObject::connect(poll, &QTimer::timeout, [=] {
        if (auto* box = qobject_cast<CMsgBox*>(QApplication::activeModalWidget())) {
            poll->stop();
            act(box);
        }
    });
    QObject::connect(watchdog, &QTimer::timeout, [=] {
        if (auto* box = qobject_cast<CMsgBox*>(QApplication::activeModalWidget())) {
            ADD_FAILURE() << "the message box was left open";
            box->done(CMsgBox::kClosed);
        }
        poll->stop();
    });
    poll->start(10);
    watchdog->setSingleShot(true);
    watchdog->start(8000);
}

void Press(CMsgBox* box, int button, bool tick)
{
    if (tick)
        box->findChild<CCheckBox*>()->setChecked(true);
    for (CIndexBtn* candidate : box->findChildren<CIndexBtn*>())
        if (candidate->GetId() == button) {
            candidate->click();
            return;
        }
    ADD_FAILURE() << "no button " << button;
}

} // namespace junk_test
