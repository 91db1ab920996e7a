#include "MachineRecord.h"

#include "common/RunProcess.h"

#include "platform/Machine.h"
#include "platform/Text.h"
#include "platform/Windows.h"
#include "support/OtherUser.h"
#include "support/SmallDisk.h"
#include "support/TempMachine.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string EventsFile()
{
    return platform::HostPath(L"C:\\ProgramData\\Orvane\\Preludex\\events.jsonl");
}

const wchar_t* const kEventsPath = L"C:\\ProgramData\\Orvane\\Preludex\\events.jsonl";

std::vector<std::string> EventLines(const std::string& hostPath = EventsFile())
{
    std::vector<std::string> lines;
    std::istringstream text(testing_support::ReadFile(hostPath));
    for (std::string line; std::getline(text, line);)
        lines.push_back(line);
    return lines;
}

// Whether the line is an event of that window.
bool IsEventOf(const std::string& line, const char* window)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(line), &error);
    return error.error == QJsonParseError::NoError && document.object().value("Window").toString() == window;
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

// The machine's user puts a link at the events' name: to a file of root's in the program folder, and,
// swapped with a file of their own over and over while an elevated process records events, to a
// file of root's alone outside the machine. Neither file is written.
TEST_F(PreludexTest, AnEventNeverLandsThroughALinkAtTheName)
{
    if (const std::string why = testing_support::WhyNotAsOtherUser(); !why.empty())
        GTEST_SKIP() << why;
    const std::string folder = machine_.Root() + "/drive_c/ProgramData/Orvane/Preludex";
    const std::string events = folder + "/events.jsonl";
    const std::string program = platform::ProgramFolder();
    const std::string own = program + "/Quarnel";
    std::ofstream(own, std::ios::binary) << "root's program\n";
    std::string outside = fs::path(machine_.Root()).parent_path().string() + "/quarnel-outside-XXXXXX";
    ASSERT_TRUE(mkdtemp(outside.data()));
    const std::string secret = outside + "/secret";
    std::ofstream(secret, std::ios::binary) << "root's own\n";
    fs::create_directories(folder);
    testing_support::GiveToOtherUser(machine_.Root());
    testing_support::GiveToRoot(program);

    ASSERT_TRUE(testing_support::AsOtherUser([&] { return symlink(own.c_str(), events.c_str()) == 0; }));
    EXPECT_FALSE(AppendMachineLine(kEventsPath, "{\"Window\":\"linked\"}"));
    EXPECT_EQ(ERROR_ACCESS_DENIED, GetLastError());
    EXPECT_EQ("root's program\n", testing_support::ReadFile(own));

    const std::string stop = machine_.Root() + "/stop";
    std::thread swapper([&] {
        const std::string link = events + ".link", file = events + ".file";
        EXPECT_TRUE(testing_support::AsOtherUser([&] {
            while (access(stop.c_str(), F_OK) != 0) {
                const int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
                if (fd < 0 || close(fd) != 0 || rename(file.c_str(), events.c_str()) != 0 ||
                    symlink(secret.c_str(), link.c_str()) != 0 || rename(link.c_str(), events.c_str()) != 0)
                    return false;
            }
            return true;
        }));
    });
    for (int i = 0; i < 500; ++i)
        AppendMachineLine(kEventsPath, "{\"Window\":\"swapped\"}");
    std::ofstream(stop) << "";
    swapper.join();

    EXPECT_EQ("root's own\n", testing_support::ReadFile(secret));
    EXPECT_EQ("root's program\n", testing_support::ReadFile(own));
    fs::remove_all(outside);
}

// An event that the full disk cuts is taken back and reported as not recorded, and an event after a
// line that a killed writer cut starts on a line of its own.
TEST_F(PreludexTest, EventsAreWholeOnAFullDiskAndAfterACutLine)
{
    // The layer must not have walked into the folder before the small disk covers it.
    const std::string folder = machine_.Root() + "/drive_c/ProgramData/Orvane/Preludex";
    const std::string events = folder + "/events.jsonl";
    fs::create_directories(folder);
    testing_support::OnSmallDisk(folder, [&](const testing_support::DiskCheck& check) {
        check(RunProcess(Preludex(), L" /SendInfo Window before", true) == 0, "an event is recorded");
        const std::string before = testing_support::ReadFile(events);
        testing_support::FillDisk(folder);
        check(RunProcess(Preludex(), L" /SendInfo Window big Attribute " + std::wstring(6000, L'a'), true) != 0,
              "an event the full disk cuts is not recorded");
        check(testing_support::ReadFile(events) == before, "the cut event is taken back");
        fs::remove(folder + "/filler");

        std::ofstream(events, std::ios::binary | std::ios::app) << "{\"Window\":\"cu";
        check(RunProcess(Preludex(), L" /SendInfo Window after", true) == 0, "the next event is recorded");
        const std::vector<std::string> lines = EventLines(events);
        check(lines.size() == 3, "the cut line and the next event stand on lines of their own");
        check(lines.size() == 3 && IsEventOf(lines[0], "before") && IsEventOf(lines[2], "after"),
              "the events are whole");
    });
}

} // namespace
