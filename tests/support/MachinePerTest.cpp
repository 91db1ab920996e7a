#include "support/MachinePerTest.h"

#include "platform/Machine.h"

#include <cstdlib>

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

} // namespace

void MachinePerTest::OnTestStart(const testing::TestInfo&)
{
    environment_ = Environment();
    programFolder_ = platform::ProgramFolder();
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
}

void MachinePerTest::Install()
{
    testing::UnitTest::GetInstance()->listeners().Append(new MachinePerTest);
}

} // namespace testing_support
