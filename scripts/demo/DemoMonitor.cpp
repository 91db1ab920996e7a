#include "DemoMonitor.h"

#include "platform/Machine.h"
#include "platform/Windows.h"

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

// A background analysis 20 seconds after the main window went to the tray (and after each
// reminder), reminding from 300 MB on, which the demo's junk passes; the processor load never holds
// the analysis back (no load reaches 101 %), so that the demo shows its pop-up on a busy machine too.
const char kSettings[] = R"(; The junk monitor's settings of the demo: intervals in seconds (ShutDownInterval in
; milliseconds), level sizes in MB, the CPU load in percent from which no background scan starts.
[Clean]
ScanInterval=20
RetryInterval=3600
ShutDownInterval=300
StarUpDuration=30
CleanLv=2
lv1=100
lv2=300
lv3=500
lv4=800
lv5=1024
CPULimit=101
ShowAssit=1
ShowClean=1
)";

// No address: the demo machine has no server to ask for a newer pack.
const char kDescription[] = R"([update]
enablescan=1
enableassit=1
resver=1
config=
resurl=
)";

bool Write(const fs::path& path, const std::string& content)
{
    std::error_code ignored;
    fs::create_directories(path.parent_path(), ignored);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    return static_cast<bool>(out);
}

} // namespace

bool MakeDemoMonitor(const std::string& programFolder)
{
    bool ok = Write(fs::path(programFolder) / "GarbageClean.ini", kSettings);
    wchar_t local[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, local)))
        return false;
    const fs::path resources = platform::HostPath(std::wstring(local) + L"\\Orvane\\Quarnel");
    ok = Write(resources / "TrayPop.ini", kDescription) && ok;
    std::error_code copied;
    fs::create_directories(resources / "images", copied);
    fs::copy(fs::path(programFolder) / "res" / "TrayPop", resources / "images",
             fs::copy_options::overwrite_existing | fs::copy_options::recursive, copied);
    return ok && !copied;
}
