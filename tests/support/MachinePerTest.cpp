#include "support/MachinePerTest.h"

#include "platform/Machine.h"
#include "platform/Windows.h"

#include <cstdlib>
#include <unistd.h>

extern char** environ;

namespace testing_support {

namespace {

std::map<std::string, std::string> Environment()
{
    std::map<std::string, std::string> variables;
    for (char** entry = environ; *entry; ++entry) {
        const std::string text(*entry);
        const size_t equals = text.find('=');
        if (equals != std::string::npos)
            variables[text.substr(0, equals)] = text.substr(equals + 1);
    }
    return variables;
}

std::wstring CurrentFolder()
{
    wchar_t folder[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, folder);
    return folder;
}

} // namespace

void MachinePerTest::OnTestStart(const testing::TestInfo&)
{
    environment_ = Environment();
    programFolder_ = platform::ProgramFolder();
    currentFolder_ = CurrentFolder();
    char host[4096];
    hostFolder_ = getcwd(host, sizeof(host)) ? host : "";
    machine_ = std::make_unique<TempMachine>();
}

void MachinePerTest::OnTestEnd(const testing::TestInfo&)
{
    machine_.reset();
    const std::map<std::string, std::string> now = Environment();
    for (const auto& [name, value] : now)
        if (!environment_.count(name))
            unsetenv(name.c_str());
    for (const auto& [name, value] : environment_)
        if (const auto found = now.find(name); found == now.end() || found->second != value)
            setenv(name.c_str(), value.c_str(), 1);
    platform::SetProgramFolder(programFolder_);
    platform::ReloadMachine();
    // The machine's current folder is the process's: a case that changed it hands it back.
    if (CurrentFolder() != currentFolder_)
        SetCurrentDirectoryW(currentFolder_.c_str());
    if (!hostFolder_.empty() && chdir(hostFolder_.c_str()) != 0)
        ADD_FAILURE() << "cannot return to " << hostFolder_;
}

void MachinePerTest::Install()
{
    testing::UnitTest::GetInstance()->listeners().Append(new MachinePerTest);
}

} // namespace testing_support
