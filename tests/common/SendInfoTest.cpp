#include "common/InfoAttribute.h"
#include "common/SendInfo.h"

#include "platform/Machine.h"
#include "platform/Text.h"
#include "platform/Windows.h"
#include "support/TempMachine.h"
#include "support/WaitUntil.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
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

// The recorded events.
std::vector<QJsonObject> Events()
{
    std::vector<QJsonObject> events;
    std::istringstream lines(testing_support::ReadFile(EventsFile()));
    for (std::string line; std::getline(lines, line);)
        events.push_back(QJsonDocument::fromJson(QByteArray::fromStdString(line)).object());
    return events;
}

// The recorded events once there are at least `count` of them.
std::vector<QJsonObject> WaitForEvents(size_t count)
{
    testing_support::WaitUntil([count] { return Events().size() >= count; });
    return Events();
}

std::string Field(const QJsonObject& event, const char* name)
{
    return event.value(name).toString().toStdString();
}

std::vector<std::wstring> Arguments(const std::wstring& commandLine)
{
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(commandLine.c_str(), &count);
    std::vector<std::wstring> result(arguments, arguments + count);
    free(arguments);
    return result;
}

class SendInfoTest : public testing::Test {
protected:
    testing_support::TempMachine machine_;
};

TEST_F(SendInfoTest, CommandLineNamesOnlyTheGivenParts)
{
    EXPECT_EQ(L" /SendInfo Window \"Home\" Source \"Launch_Trigger\" Activity \"Info_Start\"",
              MakeSendInfoCommandLine(L"Home", L"Launch_Trigger", L"Info_Start", L""));
    EXPECT_EQ(L" /SendInfo Window \"Home\"", MakeSendInfoCommandLine(L"Home", L"", L"", L""));
    EXPECT_EQ(L" /SendInfo Attribute \"{\\\"A\\\": \\\"b\\\"}\"",
              MakeSendInfoCommandLine(L"", L"", L"", L"{\"A\": \"b\"}"));
}

TEST_F(SendInfoTest, QuotesAndBackslashesReachTheArgumentsUnchanged)
{
    const std::wstring window = L"say \"hi\"";
    const std::wstring source = L"C:\\folder\\";
    const std::wstring activity = L"a\\\\\"b\\";
    const std::wstring attribute = L"{\"Path\":\"C:\\\\x\\\\\"}";
    EXPECT_EQ((std::vector<std::wstring>{L"", L"/SendInfo", L"Window", window, L"Source", source, L"Activity",
                                         activity, L"Attribute", attribute}),
              Arguments(MakeSendInfoCommandLine(window, source, activity, attribute)));
}

TEST_F(SendInfoTest, AttributesAreValidJsonWhateverTheValues)
{
    EXPECT_EQ("\"plain\"", JsonQuote("plain"));
    EXPECT_EQ("\"q\\\" b\\\\ n\\n r\\r t\\t \\u0001 \xc3\xbc\"", JsonQuote("q\" b\\ n\n r\r t\t \x01 \xc3\xbc"));
    EXPECT_EQ("{}", MakeInfoAttribute({}));

    const std::string attribute = MakeInfoAttribute({{"ViewInfo", "Yes"}, {"Name", "C:\\a \"b\"\r\n"}});
    EXPECT_EQ("{\"ViewInfo\":\"Yes\",\"Name\":\"C:\\\\a \\\"b\\\"\\r\\n\"}", attribute);
    QJsonParseError error;
    const QJsonObject parsed = QJsonDocument::fromJson(QByteArray::fromStdString(attribute), &error).object();
    ASSERT_EQ(QJsonParseError::NoError, error.error);
    EXPECT_EQ("C:\\a \"b\"\r\n", Field(parsed, "Name"));

    EXPECT_EQ("{\"LogInResult\": \"10\",\"Say\": \"a \\\"b\\\"\"}",
              MakeInfoAttribute({{"LogInResult", "10"}, {"Say", "a \"b\""}}, InfoMemberForm::Spaced));
}

TEST_F(SendInfoTest, EventsReachPreludexWithTheirExactTexts)
{
    platform::SetProgramFolder(testing_support::BuildProgramFolder());
    const std::string attribute = MakeInfoAttribute({{"Path", "D:\\Games\\"}, {"Say", "\"yes\""}});

    SendInfoEvent("Home", "Info_Start", nullptr, "Launch_Trigger");
    std::vector<QJsonObject> events = WaitForEvents(1);
    ASSERT_EQ(1u, events.size());
    SendInfoEvent("Dialog \"Big\" C:\\", "Click_\\\"Close\\", attribute.c_str(), nullptr);
    events = WaitForEvents(2);
    ASSERT_EQ(2u, events.size());
    SendInfoEvent("Gr\xc3\xbc\xc3\x9f" "e", "", "", "");
    events = WaitForEvents(3);
    ASSERT_EQ(3u, events.size());

    EXPECT_EQ("Home", Field(events[0], "Window"));
    EXPECT_EQ("Launch_Trigger", Field(events[0], "Source"));
    EXPECT_EQ("Info_Start", Field(events[0], "Activity"));
    EXPECT_FALSE(events[0].contains("Attribute"));
    EXPECT_TRUE(events[0].contains("Time"));

    EXPECT_EQ("Dialog \"Big\" C:\\", Field(events[1], "Window"));
    EXPECT_EQ("Click_\\\"Close\\", Field(events[1], "Activity"));
    EXPECT_EQ(attribute, Field(events[1], "Attribute"));
    EXPECT_FALSE(events[1].contains("Source"));

    EXPECT_EQ(QString::fromUtf8("Gr\xc3\xbc\xc3\x9f" "e"), events[2].value("Window").toString());
    EXPECT_EQ((QStringList{"Time", "Window"}), events[2].keys());
}

TEST_F(SendInfoTest, AnEventWithoutTextsStartsNothing)
{
    // A Preludex of the test's own that only notes that it was started.
    const std::string folder = machine_.UseProgramFolder();
    const std::string marker = folder + "/started";
    machine_.WriteFile("program/Preludex", "#!/bin/sh\necho started >> '" + marker + "'\n");
    fs::permissions(folder + "/Preludex", fs::perms::owner_all);

    SendInfoEvent(nullptr, "", nullptr, "");
    RunSendInfoW(L"", L"", L"", L"");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_FALSE(fs::exists(marker));

    SendInfoEvent(nullptr, nullptr, nullptr, "Launch_Click_Icon");
    EXPECT_TRUE(testing_support::WaitUntil([&] { return fs::exists(marker); }));
}

} // namespace
