#include "common/RunProcess.h"

#include "platform/Machine.h"
#include "platform/Text.h"
#include "platform/Windows.h"
#include "support/TempMachine.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string EventsFile()
{
    return platform::HostPath(L"C:\\ProgramData\\Orvane\\Preludex\\events.jsonl");
}

std::vector<std::string> EventLines()
{
    std::vector<std::string> lines;
    std::istringstream text(testing_support::ReadFile(EventsFile()));
    for (std::string line; std::getline(text, line);)
        lines.push_back(line);
    return lines;
}

QJsonObject Parse(const std::string& line)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(line), &error);
    EXPECT_EQ(QJsonParseError::NoError, error.error) << line;
    return document.object();
}

class PreludexTest : public testing::Test {
protected:
    const std::wstring& Preludex() const { return program_; }

    testing_support::TempMachine machine_;
    // In this test's own machine: one an earlier test installed has gone with its machine.
    const std::wstring program_ = testing_support::InstallFromBuild(PRELUDEX_PATH);
};

TEST_F(PreludexTest, RecordsTheGivenPartsAndTheLocalTime)
{
    ASSERT_EQ(0, RunProcess(Preludex(), L" /SendInfo Window \"Home\" Activity \"Click \\\"x\\\" C:\\\\\"", true));
    ASSERT_EQ(0, RunProcess(Preludex(),
                            L"Preludex.exe /SendInfo Window W Source S Activity A Attribute \"{\\\"k\\\":1}\"", true));

    const std::vector<std::string> lines = EventLines();
    ASSERT_EQ(2u, lines.size());
    const QJsonObject first = Parse(lines[0]);
    EXPECT_EQ((QStringList{"Activity", "Time", "Window"}), first.keys());
    EXPECT_EQ("Home", first.value("Window").toString());
    EXPECT_EQ("Click \"x\" C:\\", first.value("Activity").toString());
    EXPECT_TRUE(QRegularExpression("^\\d{4}-\\d{2}-\\d{2}T\\d{2}:\\d{2}:\\d{2}\\.\\d{3}$")
                    .match(first.value("Time").toString())
                    .hasMatch());

    const QJsonObject second = Parse(lines[1]);
    EXPECT_EQ("S", second.value("Source").toString());
    EXPECT_EQ("{\"k\":1}", second.value("Attribute").toString());
    EXPECT_EQ(0u, lines[1].find("{\"Window\":\"W\",\"Source\":\"S\",\"Activity\":\"A\",\"Attribute\":"));
}

TEST_F(PreludexTest, RefusesOtherCommandLinesAndWritesNothing)
{
    for (const wchar_t* commandLine :
         {L"", L" /Send Window \"x\"", L" /SendInfo", L" /SendInfo Colour \"red\"", L" /SendInfo Window",
          L" /SendInfo Window \"a\" Window \"b\"", L" Window \"x\" /SendInfo"})
        EXPECT_NE(0, RunProcess(Preludex(), commandLine, true)) << platform::ToUtf8(commandLine);
    EXPECT_FALSE(fs::exists(EventsFile()));
}

TEST_F(PreludexTest, EventsSentAtOnceAreRecordedWholeOnSeparateLines)
{
    constexpr int senders = 12;
    const std::string padding(5000, 'p');
    std::vector<std::thread> processes;
    for (int i = 0; i < senders; ++i) {
        processes.emplace_back([&, i] {
            RunProcess(Preludex(), L" /SendInfo Window " + std::to_wstring(i) + L" Attribute " + platform::FromUtf8(padding),
                       true);
        });
    }
    for (std::thread& process : processes)
        process.join();

    std::set<QString> windows;
    for (const std::string& line : EventLines()) {
        const QJsonObject event = Parse(line);
        EXPECT_EQ(QString::fromStdString(padding), event.value("Attribute").toString());
        windows.insert(event.value("Window").toString());
    }
    EXPECT_EQ(static_cast<size_t>(senders), windows.size());
    EXPECT_EQ(static_cast<size_t>(senders), EventLines().size());
}

} // namespace
