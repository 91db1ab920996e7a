#include "support/DesktopOpener.h"
#include "support/WaitUntil.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <thread>

namespace testing_support {

namespace {

std::vector<std::string> Lines(const std::string& file)
{
    std::istringstream text(ReadFile(file));
    std::vector<std::string> lines;
    for (std::string line; std::getline(text, line);)
        lines.push_back(line);
    return lines;
}

} // namespace

DesktopOpener::DesktopOpener(const TempMachine& machine)
    : record_(machine.Root() + "/opened.txt"), missing_(machine.Root() + "/no-opener")
{
    const std::string opener = machine.WriteFile("opener.sh", "#!/bin/sh\necho \"$1\" >> \"" + record_ + "\"\n");
    std::filesystem::permissions(opener, std::filesystem::perms::owner_all);
    setenv("QUARNEL_OPEN_COMMAND", opener.c_str(), 1);
}

DesktopOpener::~DesktopOpener() { unsetenv("QUARNEL_OPEN_COMMAND"); }

void DesktopOpener::Remove() const { setenv("QUARNEL_OPEN_COMMAND", missing_.c_str(), 1); }

std::vector<std::string> DesktopOpener::Opened(size_t count) const
{
    WaitUntil([&] { return Lines(record_).size() >= count; });
    return Lines(record_);
}

} // namespace testing_support
