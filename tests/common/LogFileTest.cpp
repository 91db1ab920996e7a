#include "common/LogFile.h"
#include "common/ModuleDir.h"
#include "common/RunProcess.h"
#include "common/WriteLog.h"

#include "platform/Machine.h"
#include "platform/Text.h"
#include "platform/Windows.h"
#include "support/OtherUser.h"
#include "support/SmallDisk.h"
#include "support/TempMachine.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string TempLogPath(const std::wstring& fileName)
{
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    return platform::HostPath(std::wstring(folder) + fileName);
}

std::string QuarnelLog() { return TempLogPath(L"Quarnel.log"); }

// The file's lines as UTF-16LE text, each still ending in "\r\n".
std::vector<std::wstring> LogLines(const std::string& hostPath)
{
    const std::string bytes = testing_support::ReadFile(hostPath);
    const std::wstring text = platform::FromUtf16LEBytes(bytes.data(), bytes.size());
    std::vector<std::wstring> lines;
    size_t start = 0;
    for (size_t end; (end = text.find(L"\r\n", start)) != std::wstring::npos; start = end + 2)
        lines.push_back(text.substr(start, end + 2 - start));
    if (start < text.size())
        lines.push_back(text.substr(start));
    return lines;
}

// The message of a line, after checking that its prefix is whole.
std::wstring Message(const std::wstring& line)
{
    static const std::wregex prefix(L"\\[\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2}:\\d{3}, T=-?\\d+, P=-?\\d+\\] ");
    std::wsmatch match;
    if (!std::regex_search(line, match, prefix, std::regex_constants::match_continuous))
        return L"<no prefix>";
    return line.substr(match.length(0));
}

std::wstring TimeStamp()
{
    SYSTEMTIME now = {};
    GetLocalTime(&now);
    wchar_t text[32];
    std::swprintf(text, 32, L"%04d-%02d-%02d %02d:%02d:%02d:%03d", now.wYear, now.wMonth, now.wDay, now.wHour,
                  now.wMinute, now.wSecond, now.wMilliseconds);
    return text;
}

// Earlier lines of that many bytes in all, ending as a line ends.
std::string EarlierLines(size_t size)
{
    return std::string(size - 4, 'a') + std::string("\r\0\n\0", 4);
}

void MakeFileOfSize(const std::string& hostPath, size_t size)
{
    fs::create_directories(fs::path(hostPath).parent_path());
    std::ofstream(hostPath, std::ios::binary) << EarlierLines(size);
}

class LogFileTest : public testing::Test {
protected:
    testing_support::TempMachine machine_;
};

TEST_F(LogFileTest, WritesOneStampedUtf16LELinePerMessage)
{
    const std::wstring before = TimeStamp();
    WriteLog(L"disk %d of %ls", 3, L"Gr\u00fc\u00dfe \u6587");
    const std::wstring after = TimeStamp();

    const std::string bytes = testing_support::ReadFile(QuarnelLog());
    ASSERT_GE(bytes.size(), 4u);
    EXPECT_EQ(std::string("[\0", 2), bytes.substr(0, 2)) << "no byte-order mark, UTF-16LE";
    EXPECT_EQ(std::string("\r\0\n\0", 4), bytes.substr(bytes.size() - 4));

    const std::vector<std::wstring> lines = LogLines(QuarnelLog());
    ASSERT_EQ(1u, lines.size());
    const std::wstring& line = lines[0];
    const std::wstring stamp = line.substr(1, 23);
    EXPECT_LE(before, stamp);
    EXPECT_GE(after, stamp);
    const std::wstring ids = L", T=" + std::to_wstring(static_cast<int>(GetCurrentThreadId())) +
                             L", P=" + std::to_wstring(static_cast<int>(GetCurrentProcessId())) + L"] ";
    EXPECT_EQ(ids, line.substr(24, ids.size()));
    EXPECT_EQ(L"disk 3 of Gr\u00fc\u00dfe \u6587\r\n", Message(line));
}

TEST_F(LogFileTest, EmptyMessagesAddNothing)
{
    WriteLogText(L"");
    WriteLogText(nullptr);
    WriteLog(L"%ls", L"");
    WriteLogA("%s", "");
    WriteLogTextA(nullptr);
    EXPECT_TRUE(testing_support::ReadFile(QuarnelLog()).empty());

    WriteLogText(L"first");
    WriteLogText(L"");
    EXPECT_EQ(1u, LogLines(QuarnelLog()).size());
}

TEST_F(LogFileTest, OutsideTextIsNeverTakenAsAFormat)
{
    WriteLogText(L"100% %s %n %ls done");
    WriteLog(L"path %ls", L"C:\\50%d\\%n%s");
    WriteLogA("reply %s", "%x %n %%");
    WriteLogTextA("%s%s%s%n");

    const std::vector<std::wstring> lines = LogLines(QuarnelLog());
    ASSERT_EQ(4u, lines.size());
    EXPECT_EQ(L"100% %s %n %ls done\r\n", Message(lines[0]));
    EXPECT_EQ(L"path C:\\50%d\\%n%s\r\n", Message(lines[1]));
    EXPECT_EQ(L"reply %x %n %%\r\n", Message(lines[2]));
    EXPECT_EQ(L"%s%s%s%n\r\n", Message(lines[3]));
}

TEST_F(LogFileTest, NarrowMessagesAreWidenedAndCutAtTheBuffer)
{
    WriteLogA("user %s id %d", "J\xc3\xbcrgen", 42);
    WriteLogA("%s", std::string(2000, 'n').c_str());

    const std::vector<std::wstring> lines = LogLines(QuarnelLog());
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ(L"user J\u00fcrgen id 42\r\n", Message(lines[0]));
    EXPECT_EQ(std::wstring(1023, L'n') + L"\r\n", Message(lines[1]));
}

TEST_F(LogFileTest, AFileOverTheCapIsEmptiedByTheNextMessage)
{
    MakeFileOfSize(QuarnelLog(), LOG_SIZE_CAP + 1);
    WriteLogText(L"fresh");
    const std::vector<std::wstring> lines = LogLines(QuarnelLog());
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ(L"fresh\r\n", Message(lines[0]));
}

TEST_F(LogFileTest, AFileOfExactlyTheCapGrowsOn)
{
    MakeFileOfSize(QuarnelLog(), LOG_SIZE_CAP);
    WriteLogText(L"kept");
    const std::string bytes = testing_support::ReadFile(QuarnelLog());
    ASSERT_GT(bytes.size(), static_cast<size_t>(LOG_SIZE_CAP));
    EXPECT_EQ(EarlierLines(LOG_SIZE_CAP), bytes.substr(0, LOG_SIZE_CAP));
    const std::string tail = bytes.substr(LOG_SIZE_CAP);
    EXPECT_EQ(L"kept\r\n", Message(platform::FromUtf16LEBytes(tail.data(), tail.size())));
}

TEST_F(LogFileTest, NamesTheFileAndMutexAfterTheCaller)
{
    EXPECT_EQ(L"Global\\_log_0_Quarnel", MakeLogMutexName(false, L"Quarnel"));
    EXPECT_EQ(L"Global\\_log_0_", MakeLogMutexName(false, nullptr));
    EXPECT_EQ(L"Global\\_log_1_Trace", MakeLogMutexName(true, L"Trace"));

    CLogFile unnamed;
    unnamed.Open(false, nullptr).Write(L"nameless");
    unnamed.Close();
    ASSERT_EQ(1u, LogLines(TempLogPath(L"unknow.log")).size());

    machine_.UseProgramFolder();
    CLogFile beside;
    beside.Open(true, L"Trace").Write(L"beside the program");
    beside.Close();
    const std::vector<std::wstring> lines = LogLines(platform::HostPath(GetModuleDir() + L"Trace.log"));
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ(L"beside the program\r\n", Message(lines[0]));
}

TEST_F(LogFileTest, ProcessesLoggingAtOnceWriteWholeSeparateLines)
{
    constexpr int linesEach = 200;
    const std::vector<std::string> tags = {"alpha", "beta", "gamma"};
    std::vector<int> exitCodes(tags.size(), -1);
    std::vector<std::thread> writers;
    const std::wstring writer = testing_support::InstallFromBuild(LOG_WRITER_PATH);
    for (size_t i = 0; i < tags.size(); ++i) {
        writers.emplace_back([&, i] {
            exitCodes[i] = RunProcess(writer,
                                      L"log_writer " + platform::FromUtf8(tags[i]) + L" " + std::to_wstring(linesEach),
                                      true);
        });
    }
    for (std::thread& writer : writers)
        writer.join();
    EXPECT_EQ(std::vector<int>(tags.size(), 0), exitCodes);

    const std::wstring padding(3000, L'x');
    std::map<std::wstring, int> nextLine;
    const std::vector<std::wstring> lines = LogLines(QuarnelLog());
    ASSERT_EQ(tags.size() * linesEach, lines.size());
    for (const std::wstring& line : lines) {
        std::wistringstream message(Message(line));
        std::wstring writer, tag, lineWord, text, end;
        int number = -1;
        message >> writer >> tag >> lineWord >> number >> text >> end;
        ASSERT_EQ(L"writer", writer) << platform::ToUtf8(line.substr(0, 80));
        EXPECT_EQ(padding, text);
        EXPECT_EQ(L"end", end);
        EXPECT_TRUE(line.size() > 6 && line.compare(line.size() - 6, 6, L" end\r\n") == 0);
        // Each writer's lines arrive whole and in its own order.
        EXPECT_EQ(nextLine[tag]++, number);
    }
    EXPECT_EQ(tags.size(), nextLine.size());
}

// The machine's user puts links at the log's names that lead to a file of the program folder, which
// is root's: the elevated program's next lines, the first of which finds a "log" over the cap there,
// neither write nor empty it.
TEST_F(LogFileTest, ALogNameThatLeadsToAnotherFileIsNeitherWrittenNorEmptied)
{
    if (const std::string why = testing_support::WhyNotAsOtherUser(); !why.empty())
        GTEST_SKIP() << why;
    const std::string program = machine_.UseProgramFolder();
    const std::string library = program + "/libQuarnelPlatform.so";
    std::ofstream(library, std::ios::binary) << "\x7f" "ELF the program's own";
    fs::resize_file(library, LOG_SIZE_CAP + 1);
    const std::string log = QuarnelLog();
    const std::string traceLog = TempLogPath(L"Trace.log");
    testing_support::GiveToOtherUser(machine_.Root());
    testing_support::GiveToRoot(program);
    const std::string before = testing_support::ReadFile(library);
    ASSERT_TRUE(testing_support::AsOtherUser([&] { return symlink(library.c_str(), log.c_str()) == 0; }));
    // fs.protected_hardlinks keeps the user from linking a file of root's; on a host without it
    // the user can, and such a second name is the same
    ASSERT_EQ(0, link(library.c_str(), traceLog.c_str()));

    WriteLogText(L"through the link");
    CLogFile trace;
    trace.Open(false, L"Trace").Write(L"through the second name");
    trace.Close();

    EXPECT_TRUE(before == testing_support::ReadFile(library)) << "the program folder's file changed";
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(log)));
}

// Any process of the machine, the machine's user's too, can take the log's mutex and keep it.
TEST_F(LogFileTest, LinesGoOnWhileAnotherHoldsTheMutexForGood)
{
    SetLogMutexPatience(20);
    std::atomic<bool> held {false}, letGo {false}, written {false};
    std::thread holder([&] {
        const HANDLE mutex = CreateMutexW(nullptr, TRUE, L"Global\\_log_0_Quarnel");
        held = true;
        while (!letGo)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        ReleaseMutex(mutex);
        CloseHandle(mutex);
    });
    ASSERT_TRUE(testing_support::WaitUntil([&] { return held.load(); }));
    std::thread writer([&] {
        WriteLogText(L"first");
        WriteLogText(L"second");
        written = true;
    });
    const bool wroteWhileHeld = testing_support::WaitUntil([&] { return written.load(); });
    letGo = true;
    holder.join();
    writer.join();
    SetLogMutexPatience(LOG_MUTEX_PATIENCE_MS);

    EXPECT_TRUE(wroteWhileHeld);
    const std::vector<std::wstring> lines = LogLines(QuarnelLog());
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ(L"first\r\n", Message(lines[0]));
    EXPECT_EQ(L"second\r\n", Message(lines[1]));
}

// A line that the full disk cuts is taken back, and a line after one that a killed writer cut, half
// a character included, starts on a line of its own.
TEST_F(LogFileTest, LinesAreWholeOnAFullDiskAndAfterACutLine)
{
    // The layer must not have walked into the folder before the small disk covers it.
    const std::string temp = machine_.Root() + "/drive_c/Users/Owner/AppData/Local/Temp";
    const std::string log = temp + "/Quarnel.log";
    fs::create_directories(temp);
    testing_support::OnSmallDisk(temp, [&](const testing_support::DiskCheck& check) {
        WriteLogText(L"before");
        const std::string before = testing_support::ReadFile(log);
        check(LogLines(log).size() == 1, "a line is written");
        testing_support::FillDisk(temp);
        WriteLogText(std::wstring(3000, L'x').c_str());
        check(testing_support::ReadFile(log) == before, "the cut line is taken back");
        fs::remove(temp + "/filler");

        std::ofstream(log, std::ios::binary | std::ios::app) << std::string("[\0" "2\0" "0", 5);
        WriteLogText(L"after");
        const std::vector<std::wstring> lines = LogLines(log);
        check(lines.size() == 3, "the cut line and the next stand on lines of their own");
        check(!lines.empty() && Message(lines.back()) == L"after\r\n", "the next line is whole");
    });
}

} // namespace
