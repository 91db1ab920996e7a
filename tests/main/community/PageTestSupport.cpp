#include "PageTestSupport.h"

#include "common/ProductFolder.h"
#include "ErrorTips.h"

#include "platform/Machine.h"
#include "platform/Windows.h"
#include "support/TempMachine.h"
#include "support/UsageEvents.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTextDocumentFragment>
#include <QMouseEvent>
#include <QThread>

#include <filesystem>

namespace page_test {

bool WaitUntil(const std::function<bool()>& condition, int milliseconds)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > milliseconds)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
    return true;
}

void UsePreludex()
{
    const std::filesystem::path target = std::filesystem::path(platform::ProgramFolder()) / "Preludex";
    std::filesystem::remove(target);
    std::filesystem::copy_file(std::filesystem::path(testing_support::BuildProgramFolder()) / "Preludex", target);
}

std::vector<QJsonObject> Events(size_t count)
{
    std::vector<QJsonObject> events = testing_support::RecordedUsageEvents();
    WaitUntil([&] {
        events = testing_support::RecordedUsageEvents();
        return events.size() >= count;
    });
    return events;
}

std::vector<QJsonObject> EventsOf(const std::vector<QJsonObject>& events, const QString& window,
                                  const QString& activity)
{
    std::vector<QJsonObject> found;
    for (const QJsonObject& event : events) {
        if (event.value("Window").toString() == window && event.value("Activity").toString() == activity)
            found.push_back(event);
    }
    return found;
}

bool HasEvent(const std::vector<QJsonObject>& events, const QString& window, const QString& activity,
              const std::string& attribute)
{
    for (const QJsonObject& event : EventsOf(events, window, activity)) {
        if (attribute.empty() || event.value("Attribute").toString().toStdString() == attribute)
            return true;
    }
    return false;
}

QString LocalCfgValue(const QString& key)
{
    const std::wstring file = LocalCfgPath();
    wchar_t value[256] = {};
    GetPrivateProfileStringW(L"cache", key.toStdWString().c_str(), L"<none>", value, 256, file.c_str());
    return QString::fromWCharArray(value);
}

QStringList ShownTips(const QWidget& root)
{
    QStringList texts;
    for (const CErrorTips* tip : root.findChildren<CErrorTips*>()) {
        if (!Shows(tip))
            continue;
        QString text;
        for (const QLabel* label : tip->findChildren<QLabel*>())
            text += QTextDocumentFragment::fromHtml(label->text()).toPlainText();
        texts << text;
    }
    return texts;
}

bool MarkedWrong(const QWidget* field)
{
    return field && field->styleSheet().contains(QStringLiteral("border:1px solid #e02020;"));
}

bool Shows(const QWidget* widget)
{
    return widget && widget->isVisibleTo(widget->window()) && widget->window()->isVisible();
}

namespace {

void SendMouse(QWidget* widget, QEvent::Type type)
{
    const QPointF inside(2, 2);
    QMouseEvent event(type, inside, widget->mapToGlobal(inside.toPoint()), Qt::LeftButton,
                      type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

} // namespace

void Press(QWidget* widget)
{
    SendMouse(widget, QEvent::MouseButtonPress);
}

void Release(QWidget* widget)
{
    SendMouse(widget, QEvent::MouseButtonRelease);
}

} // namespace page_test
