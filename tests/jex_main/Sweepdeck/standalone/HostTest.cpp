// The program's start: its arguments, the elevated restart through the layer, and a second copy
// meeting the running one (separate processes of the built program).

#include "StandaloneFixture.h"

#include "standalone/ElevatedRestart.h"
#include "standalone/Host.h"
#include "kit/ResPath.h"
#include "services/UIPublic.h"

#include "common/MachineTranslator.h"
#include "platform/Machine.h"
#include "platform/win/Process.h"
#include "platform/win/Registry.h"
#include "platform/win/Sync.h"
#include "platform/win/ToolHelp.h"
#include "platform/win/WindowManager.h"
#include "support/WaitUntil.h"

#include <QProcess>
#include <QWidget>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <fstream>
#include <iterator>
#include <vector>

namespace standalone_test {
namespace {

TEST(HostArgsTest, TheBackgroundModeTakesWholeMinutesAndMegabytesThatAreNotNegative)
{
    int minutes = -1;
    double threshold = -1;
    EXPECT_TRUE(HostParseCheckArgs({"10", "300.5"}, minutes, threshold));
    EXPECT_EQ(minutes, 10);
    EXPECT_DOUBLE_EQ(threshold, 300.5);
    EXPECT_TRUE(HostParseCheckArgs({"0", "0"}, minutes, threshold));
    EXPECT_EQ(minutes, 0);
    for (const QStringList& bad : {QStringList{"-5", "300"}, QStringList{"10", "-1"}, QStringList{"ten", "300"},
                                   QStringList{"10", "lots"}, QStringList{"1.5", "300"}, QStringList{"10", "inf"},
                                   QStringList{"10"}})
        EXPECT_FALSE(HostParseCheckArgs(bad, minutes, threshold)) << bad.join(' ').toStdString();
}

TEST(HostTranslationTest, TheProductLanguagesFileLoadsFromTheProgramFolderAndInstalls)
{
    testing_support::TempMachine machine;
    const std::string program = machine.UseProgramFolder();
    std::filesystem::create_directories(program + "/res/Jex/ts");
    std::filesystem::copy_file(testing_support::BuildProgramFolder() + "/res/Jex/ts/sweepdeck_en.qm",
                               program + "/res/Jex/ts/sweepdeck_en.qm");
    std::filesystem::copy_file(testing_support::BuildProgramFolder() + "/../tests/translations/other_de.qm",
                               program + "/res/Jex/ts/sweepdeck_de.qm");
    CMachineTranslator english;
    ASSERT_TRUE(english.LoadFile(GetResPath(HostLoadTranslation(), QStringLiteral("res"))));
    EXPECT_EQ(QStringLiteral("System Cleanup"), english.translate("CMainWindow", "System Cleanup"))
        << "without a product language the English file, which holds the text";

    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\ORVANE\\ZLR", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    const wchar_t german[] = L"German";
    RegSetValueExW(key, L"Language", 0, REG_SZ, reinterpret_cast<const BYTE*>(german), sizeof(german));
    RegCloseKey(key);
    CMachineTranslator translator;
    ASSERT_TRUE(translator.LoadFile(GetResPath(HostLoadTranslation(), QStringLiteral("res"))));
    EXPECT_TRUE(QCoreApplication::installTranslator(&translator)) << "a translation with texts";
    EXPECT_EQ(QStringLiteral("Systembereinigung"), QCoreApplication::translate("CMainWindow", "System Cleanup"));
    QCoreApplication::removeTranslator(&translator);
}

class RestartTest : public StandaloneTest {};

TEST_F(RestartTest, TheRestartStartsTheConfiguredProgramOnThePage)
{
    machine.WriteMachineIni("[Machine]\nAdministrator=1\n");
    const std::string program = machine.UseProgramFolder();
    const std::string helper = testing_support::BuildProgramFolder() + "/../tests/bin/kernel_test_helper";
    std::filesystem::copy_file(helper, program + "/Cleaner");
    machine.WriteFile("program/UIConfigAdd.ini", "[Cleanup]\nName=Cleaner.exe\n");
    const std::string record = machine.Root() + "/record.txt";
    setenv("KERNEL_HELPER_RECORD", record.c_str(), 1);
    EXPECT_TRUE(RestartElevated(5));
    EXPECT_TRUE(WaitUntil([&] { return testing_support::ReadFile(record) == "restart\n5\n"; }))
        << testing_support::ReadFile(record);
    unsetenv("KERNEL_HELPER_RECORD");
    std::filesystem::remove(program + "/Cleaner");
    EXPECT_FALSE(RestartElevated(1)) << "nothing to start";
}

const wchar_t kTitle[] = L"System Cleanup";
const wchar_t kInstanceName[] = L"Global\\__orvane_jex_cleanup__";
const wchar_t kQuitName[] = L"Global\\__orvane_jex_quit__";

// The running copy's window and whether it is shown, as another process sees them.
HWND CopyWindow() { return FindWindowW(nullptr, kTitle); }
DWORD WindowProcess(HWND window)
{
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    return processId;
}

// The image name under which the machine lists a process that a process of the machine started;
// empty when the machine does not list it.
std::wstring MachineImage(DWORD processId)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    std::wstring image;
    PROCESSENTRY32W entry {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
        if (entry.th32ProcessID == processId)
            image = entry.szExeFile;
    CloseHandle(snapshot);
    return image;
}

// The arguments a process of this host runs with, its program's name left out.
std::vector<std::string> HostArguments(DWORD processId)
{
    std::ifstream file("/proc/" + std::to_string(processId) + "/cmdline", std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::vector<std::string> arguments;
    for (size_t start = 0; start < text.size();) {
        const size_t end = text.find('\0', start);
        arguments.push_back(text.substr(start, end - start));
        start = end == std::string::npos ? text.size() : end + 1;
    }
    if (!arguments.empty())
        arguments.erase(arguments.begin());
    return arguments;
}

// A window titled as the program's in this process, which holds the instance mutex too: the
// running copy as a second copy meets it. It keeps the data byte of each request it is handed.
class CRunningCopy : public QWidget {
public:
    CRunningCopy()
    {
        setWindowTitle(QString::fromWCharArray(kTitle));
        resize(200, 100);
        show();
    }
    std::vector<int> requests;

protected:
    bool nativeEvent(const QByteArray& eventType, void* message, long* result) override
    {
        const auto* msg = static_cast<const MSG*>(message);
        if (eventType != "windows_generic_MSG" || !msg || msg->message != WM_COPYDATA)
            return QWidget::nativeEvent(eventType, message, result);
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(msg->lParam);
        requests.push_back(data && data->dwData == 0 && data->cbData == 1 && data->lpData
                               ? *static_cast<const BYTE*>(data->lpData)
                               : -1);
        *result = TRUE;
        return true;
    }
};

class ProgramTest : public StandaloneTest {
protected:
    void SetUp() override
    {
        // The copies find their engines beside them in the build, whatever program folder an
        // earlier test named for the programs it started.
        unsetenv("QUARNEL_PROGRAM_FOLDER");
        MakeMachine(50);
    }
    void TearDown() override
    {
        for (QProcess* copy : {&first, &second})
            if (copy->state() != QProcess::NotRunning) {
                copy->kill();
                copy->waitForFinished();
            }
        StandaloneTest::TearDown();
    }
    static QString Program() { return QString::fromStdString(testing_support::BuildProgramFolder() + "/Sweepdeck"); }
    // Runs a copy to its end; its exit code, -1 when it did not end in time.
    static int Run(const QStringList& args)
    {
        QProcess copy;
        copy.start(Program(), args);
        if (!copy.waitForFinished(testing_support::kPatience.count())) {
            copy.kill();
            copy.waitForFinished();
            return -1;
        }
        return copy.exitStatus() == QProcess::NormalExit ? copy.exitCode() : -1;
    }
    // Runs a copy to its end while this process answers the messages sent to its windows; the
    // copy's exit code, -1 when it did not end in time.
    static int RunAnswering(const QStringList& args)
    {
        QProcess copy;
        copy.setProcessChannelMode(QProcess::ForwardedChannels);
        copy.start(Program(), args);
        if (!copy.waitForStarted() || !WaitUntil([&] { return copy.state() == QProcess::NotRunning; })) {
            copy.kill();
            copy.waitForFinished();
            return -1;
        }
        return copy.exitStatus() == QProcess::NormalExit ? copy.exitCode() : -1;
    }
    // Starts the first copy and waits until its window is known, shown or hidden as asked.
    void StartFirst(const QStringList& args, bool visible)
    {
        first.setProcessChannelMode(QProcess::ForwardedChannels);
        first.start(Program(), args);
        ASSERT_TRUE(first.waitForStarted());
        ASSERT_TRUE(WaitUntil([&] { return CopyWindow() && (IsWindowVisible(CopyWindow()) != FALSE) == visible; }, testing_support::kPatience.count()));
        EXPECT_EQ(WindowProcess(CopyWindow()), static_cast<DWORD>(first.processId()));
    }

    QProcess first;
    QProcess second;
};

TEST_F(ProgramTest, TheBackgroundModeEndsWithOneOnBadArgumentsOrWithTheTipsOff)
{
    EXPECT_EQ(Run({"-5", "300"}), 1);
    EXPECT_EQ(Run({"10", "lots"}), 1);
    // With the tips turned off the background mode has nothing to do.
    ASSERT_TRUE(CUIPublic::SetUserSetting(QStringLiteral("notshowTip"), true));
    EXPECT_EQ(Run({"0", "300"}), 1);
    EXPECT_EQ(CopyWindow(), nullptr);
}

// Rules the gatherer cannot use leave the program nothing to do: the user is told why.
TEST_F(ProgramTest, UnusableJunkRulesAreToldWithTheirReasonAndEndTheProgramWithTwo)
{
    const std::string program = machine.UseProgramFolder();
    testing_support::InstallCleanupLibrary(program);
    const std::string rules = testing_support::ReadFile(program + "/Config.xml");
    ASSERT_GT(rules.size(), 100u);
    const struct {
        const char* name;
        std::function<void(const std::string&)> spoil;
        const char* reason;
    } cases[] = {
        {"empty", [](const std::string& path) { std::ofstream(path, std::ios::trunc); }, "The file is empty."},
        {"cut", [&](const std::string& path) { std::ofstream(path, std::ios::trunc) << rules.substr(0, rules.size() / 2); },
         "The file is cut short or damaged"},
        {"a folder in its place",
         [](const std::string& path) {
             std::filesystem::remove(path);
             std::filesystem::create_directory(path);
         },
         "Access is denied."},
    };
    for (const auto& c : cases) {
        c.spoil(program + "/Config.xml");
        QProcess copy;
        copy.start(QStringLiteral(SWEEPDECK_CLOSING_DIALOGS_PATH), QStringList());
        ASSERT_TRUE(copy.waitForStarted()) << c.name;
        ASSERT_TRUE(WaitUntil([&] { return copy.state() == QProcess::NotRunning; }, testing_support::kPatience.count()))
            << c.name;
        const std::string told = copy.readAllStandardOutput().toStdString();
        EXPECT_EQ(copy.exitStatus(), QProcess::NormalExit) << c.name;
        EXPECT_EQ(copy.exitCode(), 2) << c.name;
        EXPECT_NE(told.find("dialog: The junk rules cannot be read."), std::string::npos) << c.name << ": " << told;
        EXPECT_NE(told.find("Config.xml"), std::string::npos) << c.name << ": " << told;
        EXPECT_NE(told.find(c.reason), std::string::npos) << c.name << ": " << told;
    }
}

TEST_F(ProgramTest, AnUninstallerWithoutRightsEndsACopyWithoutAWindowThroughItsQuitEvent)
{
    // This process stands for a copy running with rights whose window nobody finds.
    HANDLE quit = HostCreateNamedObject(kQuitName, true);
    ASSERT_NE(quit, nullptr);
    EXPECT_EQ(Run({"Uninstall"}), 0);
    EXPECT_EQ(Run({"whatever"}), 0);
    EXPECT_EQ(WaitForSingleObject(quit, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "no copy runs: nobody is told";

    HANDLE instance = HostCreateNamedObject(kInstanceName, false);
    ASSERT_NE(instance, nullptr);
    const std::string ini = machine.Root() + "/machine.ini";
    std::string text = testing_support::ReadFile(ini);
    const size_t rights = text.find("Administrator=1");
    ASSERT_NE(rights, std::string::npos);
    machine.WriteMachineIni(text.replace(rights, 15, "Administrator=0"));
    EXPECT_EQ(Run({"whatever"}), 0);
    EXPECT_EQ(WaitForSingleObject(quit, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "only an uninstaller quits a copy";
    EXPECT_EQ(Run({"Uninstall"}), 0);
    EXPECT_EQ(WaitForSingleObject(quit, 0), static_cast<DWORD>(WAIT_OBJECT_0));
    CloseHandle(instance);
    CloseHandle(quit);
}

TEST_F(ProgramTest, ASecondCopyHandsItsStartsRequestToTheRunningCopysWindowAndEnds)
{
    HANDLE instance = HostCreateNamedObject(kInstanceName, false);
    ASSERT_NE(instance, nullptr);
    CRunningCopy running;
    ASSERT_TRUE(WaitUntil([] { return CopyWindow() != nullptr && IsWindowVisible(CopyWindow()); }));
    const struct {
        QStringList args;
        int request;
    } starts[] = {{{"launch"}, CopyShow}, {{}, CopyOpen}, {{"Uninstall"}, CopyQuit}, {{"whatever"}, CopyOpen}};
    for (const auto& start : starts) {
        running.requests.clear();
        EXPECT_EQ(RunAnswering(start.args), 0) << start.args.join(' ').toStdString();
        EXPECT_EQ(running.requests, std::vector<int>{start.request}) << start.args.join(' ').toStdString();
    }
    CloseHandle(instance);
}

TEST_F(ProgramTest, LaunchShowsAShownCopyThatKeepsItsWindow)
{
    StartFirst({"restart", "5"}, true);
    const HWND window = CopyWindow();
    EXPECT_EQ(Run({"launch"}), 0);
    EXPECT_EQ(first.state(), QProcess::Running) << "launch only shows a shown copy";
    EXPECT_EQ(CopyWindow(), window) << "the copy keeps the window another copy found";
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(Run({"Uninstall"}), 0);
    EXPECT_TRUE(first.waitForFinished(testing_support::kPatience.count()));
    EXPECT_EQ(first.exitCode(), 0);
}

TEST_F(ProgramTest, APlainSecondStartHasTheShownCopyRestartOnTheHomePageAndEnd)
{
    StartFirst({"restart", "5"}, true);
    EXPECT_EQ(Run({}), 0);
    EXPECT_TRUE(first.waitForFinished(testing_support::kPatience.count())) << "the running copy ends";
    EXPECT_EQ(first.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first.exitCode(), 0);
    // Its successor was started through the machine, which lists it, to show the home page.
    DWORD successor = 0;
    ASSERT_TRUE(WaitUntil([&] {
        successor = CopyWindow() ? WindowProcess(CopyWindow()) : 0;
        return successor != 0 && IsWindowVisible(CopyWindow());
    }, testing_support::kPatience.count()));
    EXPECT_NE(successor, static_cast<DWORD>(first.processId()));
    EXPECT_EQ(MachineImage(successor), L"Sweepdeck.exe");
    EXPECT_EQ(HostArguments(successor), (std::vector<std::string>{"restart", "1"}));
    EXPECT_EQ(Run({"Uninstall"}), 0);
    HANDLE ended = OpenProcess(SYNCHRONIZE, FALSE, successor);
    ASSERT_NE(ended, nullptr);
    EXPECT_EQ(WaitForSingleObject(ended, static_cast<DWORD>(testing_support::kPatience.count())), static_cast<DWORD>(WAIT_OBJECT_0));
    CloseHandle(ended);
}

TEST_F(ProgramTest, APaintMessageWakesAHiddenCopy)
{
    StartFirst({"600", "300"}, false);
    EXPECT_TRUE(PostMessageW(CopyWindow(), WM_PAINT, 0, 0));
    EXPECT_TRUE(WaitUntil([] { return IsWindowVisible(CopyWindow()) != FALSE; }, testing_support::kPatience.count()));
    EXPECT_EQ(Run({"Uninstall"}), 0);
    EXPECT_TRUE(first.waitForFinished(testing_support::kPatience.count()));
    EXPECT_EQ(first.exitCode(), 0);
}

TEST_F(ProgramTest, LaunchTakesOverFromAHiddenCopy)
{
    // The hidden copy is started through the layer, as only such a process may be ended by another.
    std::wstring commandLine = L"Sweepdeck 600 300";
    STARTUPINFOW startup {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION hidden {};
    ASSERT_TRUE(CreateProcessW(platform::WindowsPath(Program().toStdString()).c_str(), commandLine.data(), nullptr,
                               nullptr, FALSE, 0, nullptr, nullptr, &startup, &hidden));
    ASSERT_TRUE(WaitUntil([] { return CopyWindow() && !IsWindowVisible(CopyWindow()); }, testing_support::kPatience.count()));
    EXPECT_EQ(WindowProcess(CopyWindow()), hidden.dwProcessId);

    second.setProcessChannelMode(QProcess::ForwardedChannels);
    second.start(Program(), {"launch"});
    EXPECT_EQ(WaitForSingleObject(hidden.hProcess, static_cast<DWORD>(testing_support::kPatience.count())), static_cast<DWORD>(WAIT_OBJECT_0));
    DWORD code = STILL_ACTIVE;
    EXPECT_TRUE(GetExitCodeProcess(hidden.hProcess, &code));
    EXPECT_EQ(code, 0u);
    CloseHandle(hidden.hProcess);
    CloseHandle(hidden.hThread);
    ASSERT_TRUE(WaitUntil([&] {
        return CopyWindow() && IsWindowVisible(CopyWindow()) && WindowProcess(CopyWindow()) == static_cast<DWORD>(second.processId());
    }, testing_support::kPatience.count()));
    EXPECT_EQ(Run({"Uninstall"}), 0);
    EXPECT_TRUE(second.waitForFinished(testing_support::kPatience.count()));
    EXPECT_EQ(second.exitCode(), 0);
}

TEST_F(ProgramTest, TheQuitEventEndsACopyAsWell)
{
    StartFirst({"restart", "5"}, true);
    EXPECT_TRUE(HostSignalQuit());
    EXPECT_TRUE(first.waitForFinished(testing_support::kPatience.count()));
    EXPECT_EQ(first.exitCode(), 0);
}

} // namespace
} // namespace standalone_test
