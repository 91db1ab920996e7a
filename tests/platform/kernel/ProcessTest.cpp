#include "KernelTestSupport.h"

#include "support/OtherUser.h"
#include "support/UsersMachine.h"

#include "support/TempMachine.h"

#include "platform/Machine.h"
#include "platform/Text.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using kernel_test::HelperCommand;
using kernel_test::Outcome;
using kernel_test::PipedChild;
using kernel_test::RunToEnd;

// The stand-ins beside the layer, whichever way the folder is reached.
std::string RealPath(const std::string& path)
{
    std::error_code error;
    return std::filesystem::canonical(path, error).string();
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

TEST(KernelProcess, ExitCodesKeepAll32Bits)
{
    EXPECT_EQ(0xC0000005u, RunToEnd(HelperCommand(L"exit C0000005")).exitCode);
    EXPECT_EQ(0xFFFFFFFFu, RunToEnd(HelperCommand(L"exit FFFFFFFF")).exitCode);
    EXPECT_EQ(7u, RunToEnd(HelperCommand(L"return 7")).exitCode);
    EXPECT_EQ(0xC0000005u, RunToEnd(HelperCommand(L"crash")).exitCode);
}

TEST(KernelProcess, RunningProcessesCanBeTerminated)
{
    PipedChild child;
    kernel_test::Start(child, HelperCommand(L"sleep"));
    ASSERT_TRUE(child.started);
    DWORD code = 0;
    ASSERT_TRUE(GetExitCodeProcess(child.info.hProcess, &code));
    EXPECT_EQ(STILL_ACTIVE, code);
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(child.info.hProcess, 50));
    EXPECT_EQ(child.info.dwProcessId, GetProcessId(child.info.hProcess));

    HANDLE opened = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, child.info.dwProcessId);
    ASSERT_NE(nullptr, opened);
    EXPECT_TRUE(TerminateProcess(opened, 1234));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(child.info.hThread, 10000));
    EXPECT_EQ(1234u, child.Finish());
    EXPECT_FALSE(TerminateProcess(child.info.hProcess, 1));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    CloseHandle(opened);

    EXPECT_EQ(nullptr, OpenProcess(PROCESS_TERMINATE, FALSE, 0));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    EXPECT_EQ(GetCurrentProcessId(), GetProcessId(GetCurrentProcess()));
}

TEST(KernelProcess, ChildrenWhoseHandlesAreClosedLeaveNoZombie)
{
    PipedChild child;
    kernel_test::Start(child, HelperCommand(L"return 0"));
    ASSERT_TRUE(child.started);
    const std::string stat = "/proc/" + std::to_string(child.info.dwProcessId) + "/stat";
    CloseHandle(child.info.hProcess);
    CloseHandle(child.info.hThread);
    child.started = false;
    EXPECT_EQ("", child.ReadToEnd()); // the child has ended once its output ends
    CloseHandle(child.output);
    EXPECT_TRUE(testing_support::WaitUntil([&] { return !std::ifstream(stat).good(); }))
        << "the ended child is still in the process table";
}

TEST(KernelProcess, ACommandLineFromElsewhereIsNotBelieved)
{
    // a program started by other means, with a command line variable that does not fit its arguments
    const std::string helper = kernel_test::HelperPath();
    std::vector<std::string> environment = {"QUARNEL_COMMAND_LINE=forged \"text\""};
    for (char** entry = environ; *entry; ++entry)
        environment.emplace_back(*entry);
    std::vector<char*> envp, argv = {const_cast<char*>(helper.c_str()), const_cast<char*>("args"),
                                     const_cast<char*>("a b"), nullptr};
    for (auto& entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    int pipe[2];
    ASSERT_EQ(0, ::pipe(pipe));
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipe[1], 1);
    pid_t pid = 0;
    ASSERT_EQ(0, posix_spawn(&pid, helper.c_str(), &actions, nullptr, argv.data(), envp.data()));
    posix_spawn_file_actions_destroy(&actions);
    close(pipe[1]);
    std::string output;
    char buffer[512];
    for (ssize_t n; (n = read(pipe[0], buffer, sizeof(buffer))) > 0;)
        output.append(buffer, static_cast<size_t>(n));
    close(pipe[0]);
    waitpid(pid, nullptr, 0);
    EXPECT_EQ(helper + " args \"a b\"", Lines(output).at(0));
}

TEST(KernelProcess, ChildGetsTheSplitArgumentsAndTheWholeCommandLine)
{
    const std::wstring line = HelperCommand(LR"(args "a b" c\"d "" C:\dir\)");
    const Outcome outcome = RunToEnd(line);
    const std::vector<std::string> lines = Lines(outcome.output);
    ASSERT_EQ(7u, lines.size()) << outcome.output;
    EXPECT_EQ(platform::ToUtf8(line), lines[0]);
    EXPECT_EQ(platform::ToUtf8(platform::WindowsPath(kernel_test::HelperPath())), lines[1]);
    EXPECT_EQ("args", lines[2]);
    EXPECT_EQ("a b", lines[3]);
    EXPECT_EQ("c\"d", lines[4]);
    EXPECT_EQ("", lines[5]);
    EXPECT_EQ("C:\\dir\\", lines[6]);

    // with the program named apart, the command line need not repeat it
    std::wstring arguments = L" args x";
    PROCESS_INFORMATION info {};
    STARTUPINFOW startup {};
    startup.cb = sizeof(startup);
    ASSERT_TRUE(CreateProcessW(platform::WindowsPath(kernel_test::HelperPath()).c_str(), arguments.data(), nullptr,
                               nullptr, FALSE, 0, nullptr, nullptr, &startup, &info));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(info.hProcess, 10000));
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
}

TEST(KernelProcess, RedirectedOutputIsReadToTheEnd)
{
    PipedChild child;
    kernel_test::Start(child, HelperCommand(L"big 300000"));
    const std::string output = child.ReadToEnd();
    EXPECT_EQ(static_cast<DWORD>(ERROR_BROKEN_PIPE), GetLastError());
    ASSERT_EQ(300000u, output.size());
    for (size_t i = 0; i < output.size(); ++i)
        ASSERT_EQ(static_cast<char>(i % 251), output[i]) << i;
    EXPECT_EQ(0u, child.Finish());

    EXPECT_EQ("to stderr\n", RunToEnd(HelperCommand(L"stderr")).output);
}

TEST(KernelProcess, PipesPeekWithoutTaking)
{
    HANDLE read = nullptr, write = nullptr;
    ASSERT_TRUE(CreatePipe(&read, &write, nullptr, 0));
    DWORD done = 0, available = 99;
    ASSERT_TRUE(PeekNamedPipe(read, nullptr, 0, nullptr, &available, nullptr));
    EXPECT_EQ(0u, available);
    ASSERT_TRUE(WriteFile(write, "hello", 5, &done, nullptr));
    char buffer[16] = {};
    ASSERT_TRUE(PeekNamedPipe(read, buffer, 3, &done, &available, nullptr));
    EXPECT_EQ(3u, done);
    EXPECT_EQ(5u, available);
    EXPECT_EQ("hel", std::string(buffer, 3));
    ASSERT_TRUE(ReadFile(read, buffer, sizeof(buffer), &done, nullptr));
    EXPECT_EQ("hello", std::string(buffer, done));

    CloseHandle(write);
    EXPECT_FALSE(PeekNamedPipe(read, buffer, sizeof(buffer), &done, &available, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_BROKEN_PIPE), GetLastError());
    EXPECT_FALSE(ReadFile(read, buffer, sizeof(buffer), &done, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_BROKEN_PIPE), GetLastError());
    EXPECT_EQ(0u, done);
    CloseHandle(read);

    ASSERT_TRUE(CreatePipe(&read, &write, nullptr, 0));
    CloseHandle(read);
    EXPECT_FALSE(WriteFile(write, "x", 1, &done, nullptr)); // no SIGPIPE ends the test
    EXPECT_EQ(static_cast<DWORD>(ERROR_NO_DATA), GetLastError());
    CloseHandle(write);
}

TEST(KernelProcess, HandlesThatAreNotInheritedStayHere)
{
    // a pipe not made inheritable: the child does not get it, so its end comes as soon as this
    // process closes its write end
    HANDLE read = nullptr, write = nullptr;
    ASSERT_TRUE(CreatePipe(&read, &write, nullptr, 0));
    PipedChild child;
    kernel_test::Start(child, HelperCommand(L"sleep"));
    CloseHandle(write);
    char c = 0;
    DWORD done = 0;
    EXPECT_FALSE(ReadFile(read, &c, 1, &done, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_BROKEN_PIPE), GetLastError());
    CloseHandle(read);

    // a standard handle that is not inheritable becomes nothing in the child
    ASSERT_TRUE(CreatePipe(&read, &write, nullptr, 0));
    STARTUPINFOW startup {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = write;
    std::wstring line = HelperCommand(L"args");
    PROCESS_INFORMATION info {};
    ASSERT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info));
    CloseHandle(write);
    EXPECT_FALSE(ReadFile(read, &c, 1, &done, nullptr));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(info.hProcess, 10000));
    for (HANDLE handle : {read, info.hProcess, info.hThread})
        CloseHandle(handle);
}

TEST(KernelProcess, ChildrenGetTheFolderAndEnvironmentAsked)
{
    const std::string users = platform::HostPath(std::wstring(L"C:\\Users"));
    EXPECT_EQ(users + "\n", RunToEnd(HelperCommand(L"cwd"), L"C:\\Users").output);
    const Outcome missing = RunToEnd(HelperCommand(L"cwd"), L"C:\\No Such Folder");
    EXPECT_FALSE(missing.started);
    EXPECT_EQ(static_cast<DWORD>(ERROR_DIRECTORY), missing.error);

    setenv("KERNEL_TEST_OWN", "own value", 1);
    EXPECT_EQ("own value\n", RunToEnd(HelperCommand(L"env KERNEL_TEST_OWN")).output);
    EXPECT_EQ(platform::Machine().root + "\n", RunToEnd(HelperCommand(L"env QUARNEL_MACHINE")).output);

    const wchar_t wide[] = L"KERNEL_TEST_X=wide \u00e9\0=C:=C:\\\0\0";
    EXPECT_EQ("wide \xc3\xa9\n", RunToEnd(HelperCommand(L"env KERNEL_TEST_X"), nullptr, const_cast<wchar_t*>(wide),
                                      CREATE_UNICODE_ENVIRONMENT).output);
    const char narrow[] = "KERNEL_TEST_X=narrow\0QUARNEL_COMMAND_LINE=forged\0";
    EXPECT_EQ("narrow\n", RunToEnd(HelperCommand(L"env KERNEL_TEST_X"), nullptr, const_cast<char*>(narrow)).output);
    EXPECT_EQ("(unset)\n", RunToEnd(HelperCommand(L"env KERNEL_TEST_OWN"), nullptr, const_cast<char*>(narrow)).output);
    EXPECT_EQ(platform::Machine().root + "\n",
              RunToEnd(HelperCommand(L"env QUARNEL_MACHINE"), nullptr, const_cast<char*>(narrow)).output);
    // the layer's own variables were taken by the child and are not passed on
    EXPECT_EQ("(unset)\n", RunToEnd(HelperCommand(L"env QUARNEL_COMMAND_LINE")).output);
    EXPECT_EQ("(unset)\n", RunToEnd(HelperCommand(L"env QUARNEL_EXIT_CODE_FD")).output);
}

class KernelProgramResolution : public testing::Test {
protected:
    testing_support::TempMachine machine_;
};

// A user's programs come from the machine's system folder; root's never do, as the machine's user
// owns that folder: root runs its own copies of the stand-ins, beside the layer.
TEST_F(KernelProgramResolution, BareWindowsProgramsComeFromSystem32)
{
    const std::string system32 = platform::HostPath(std::wstring(L"C:\\Windows\\System32"));
    kernel_test::InstallHelper(system32, "chkdsk");
    kernel_test::InstallHelper(system32, "Defrag.exe");
    EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), RunToEnd(L"C:\\No\\Such\\tool.exe").error);
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), RunToEnd(L"C:\\Windows\\tool.exe").error);
    if (geteuid() == 0) {
        const std::string own = testing_support::BuildProgramFolder() + "/system32/";
        EXPECT_EQ(own + "chkdsk", RealPath(platform::ProgramHostPath(L"CHKDSK.exe")));
        EXPECT_EQ(own + "Defrag", RealPath(platform::ProgramHostPath(L"C:\\Windows\\SysWOW64\\defrag.exe")));
        EXPECT_EQ(own + "diskpart", RealPath(platform::ProgramHostPath(L"diskpart")));
        EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), RunToEnd(L"notepad.exe").error);
        // the machine's copy, which would exit with the code asked, is not what runs
        EXPECT_NE(5u, RunToEnd(L"chkdsk.exe exit 5").exitCode);
        return;
    }
    EXPECT_EQ(5u, RunToEnd(L"chkdsk.exe exit 5").exitCode);
    EXPECT_EQ(6u, RunToEnd(L"CHKDSK exit 6").exitCode);
    EXPECT_EQ(7u, RunToEnd(L"defrag exit 7").exitCode);
    EXPECT_EQ(8u, RunToEnd(L"\"C:\\Windows\\System32\\chkdsk.exe\" exit 8").exitCode);
    EXPECT_EQ(system32 + "/chkdsk", platform::ProgramHostPath(L"chkdsk.exe"));
    const Outcome missing = RunToEnd(L"diskpart /s script.txt");
    EXPECT_FALSE(missing.started);
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), missing.error);
}

// Root starts a program only where it and every folder above it are root's alone: nothing the
// machine's user made or can swap.
TEST(ElevatedProgramStart, RootStartsOnlyRootsPrograms)
{
    if (const std::string why = testing_support::WhyNotAsOtherUser(); !why.empty())
        GTEST_SKIP() << why;
    const testing_support::CUsersMachine machine;
    const std::string system32 = machine.Root() + "/drive_c/Windows/System32";
    const std::string users = machine.Root() + "/drive_c/Users/Owner";
    // the user's own programs, and one of root's in a folder of the user's
    kernel_test::InstallHelper(system32, "sc");
    kernel_test::InstallHelper(users, "tool.exe");
    kernel_test::InstallHelper(users, "roots.exe");
    testing_support::GiveToOtherUser(system32);
    const testing_support::HostUser user = testing_support::OtherUser();
    ASSERT_EQ(chown((users + "/tool.exe").c_str(), user.uid, user.gid), 0);
    kernel_test::InstallHelper(machine.ProgramFolder(), "Renewer");

    EXPECT_EQ(testing_support::BuildProgramFolder() + "/system32/sc", RealPath(platform::ProgramHostPath(L"sc.exe")));
    EXPECT_NE(5u, RunToEnd(L"sc exit 5").exitCode);
    EXPECT_NE(5u, RunToEnd(L"C:\\Windows\\System32\\sc.exe exit 5").exitCode);
    for (const wchar_t* users : {L"C:\\Users\\Owner\\tool.exe exit 5", L"C:\\Users\\Owner\\roots.exe exit 5"}) {
        const Outcome refused = RunToEnd(users);
        EXPECT_FALSE(refused.started);
        EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), refused.error);
    }
    // the program folder is root's alone
    EXPECT_EQ(9u, RunToEnd(L"Renewer.exe exit 9").exitCode);
}

TEST_F(KernelProgramResolution, MakerProgramsComeFromTheProgramFolderFirst)
{
    const std::string folder = machine_.UseProgramFolder();
    kernel_test::InstallHelper(folder, "Renewer");
    kernel_test::InstallHelper(folder, "sc");
    kernel_test::InstallHelper(platform::HostPath(std::wstring(L"C:\\Windows\\System32")), "sc");
    EXPECT_EQ(9u, RunToEnd(L"Renewer.exe exit 9").exitCode);
    EXPECT_EQ(folder + "/sc", platform::ProgramHostPath(L"sc.exe"));
    EXPECT_EQ(folder + "/Renewer", platform::ProgramHostPath(platform::WindowsPath(folder) + L"\\Renewer.exe"));
    EXPECT_EQ("", platform::ProgramHostPath(L"Preludex.exe"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
}

} // namespace
