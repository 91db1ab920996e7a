#include "support/TempMachine.h"

#include "platform/Machine.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace testing_support {

TempMachine::TempMachine()
{
    // Beside each other in the host's temporary folder, never one inside another's: the paths of
    // local sockets in a machine's temporary folder must stay short.
    static const fs::path hostTemp = fs::temp_directory_path();
    std::string pattern = (hostTemp / "quarnel-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot make a temporary machine root");
    root_ = pattern;
    if (const char* previous = std::getenv("QUARNEL_MACHINE")) {
        previousRoot_ = previous;
        hadPrevious_ = true;
    }
    setenv("QUARNEL_MACHINE", root_.c_str(), 1);
    if (const char* previousTmp = std::getenv("TMPDIR")) {
        previousTmp_ = previousTmp;
        hadPreviousTmp_ = true;
    }
    setenv("TMPDIR", (root_ + "/host-tmp").c_str(), 1);
    fs::create_directories(root_ + "/host-tmp");
    platform::ReloadMachine();
}

TempMachine::~TempMachine()
{
    if (hadPrevious_)
        setenv("QUARNEL_MACHINE", previousRoot_.c_str(), 1);
    else
        unsetenv("QUARNEL_MACHINE");
    if (hadPreviousTmp_)
        setenv("TMPDIR", previousTmp_.c_str(), 1);
    else
        unsetenv("TMPDIR");
    platform::ReloadMachine();
    std::error_code ignored;
    fs::remove_all(root_, ignored);
}

void TempMachine::WriteMachineIni(const std::string& text) const
{
    WriteFile("machine.ini", text);
    platform::ReloadMachine();
}

std::string TempMachine::WriteFile(const std::string& relative, const std::string& content) const
{
    const fs::path path = fs::path(root_) / relative;
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << content;
    return path.string();
}

std::string TempMachine::PlantJunk(const std::string& relative, uintmax_t size) const
{
    const std::string path = WriteFile("drive_c/" + relative, "");
    fs::resize_file(path, size);
    fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::hours(72));
    return path;
}

std::string TempMachine::UseProgramFolder(const std::string& name) const
{
    const std::string folder = root_ + "/" + name;
    fs::create_directories(folder);
    platform::SetProgramFolder(folder);
    setenv("QUARNEL_PROGRAM_FOLDER", folder.c_str(), 1);
    return folder;
}

std::string BuildProgramFolder()
{
    const char* bin = std::getenv("QUARNEL_TEST_BIN");
    return bin ? bin : "";
}

std::wstring InstallFromBuild(const std::string& hostFile)
{
    std::string folder = platform::ProgramFolder();
    const std::string root = platform::Machine().root;
    if (folder.compare(0, root.size() + 1, root + "/") != 0) {
        folder = root + "/program";
        fs::create_directories(folder);
        platform::SetProgramFolder(folder);
        setenv("QUARNEL_PROGRAM_FOLDER", folder.c_str(), 1);
    }
    const std::string target = folder + "/" + fs::path(hostFile).filename().string();
    fs::copy_file(hostFile, target, fs::copy_options::overwrite_existing);
    return platform::WindowsPath(target);
}

void InstallCleanupLibrary(const std::string& programFolder)
{
    for (const char* name : {"Sweepdeck.so", "Dregsweep.so", "Config.xml", "ResIDText.xml"})
        fs::copy_file(BuildProgramFolder() + "/" + name, programFolder + "/" + name, fs::copy_options::overwrite_existing);
}

std::string ReadFile(const std::string& hostPath)
{
    std::ifstream in(hostPath, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

} // namespace testing_support
