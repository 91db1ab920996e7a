// Makes the demo machine of the README's run command, once: a Windows 10 PC with a system drive
// C: and a data drive D: on one SATA disk and a USB stick E:, a user's everyday files, large and
// duplicate files, junk (temporary files, logs, an update cache, the recycle bin), a USB stick
// whose files a virus hid, the registry the product's tools read and change, the stand-in
// Windows programs, a few stored server messages, and the junk monitor's settings and resources.
// A machine that exists already is left as it is.
//
//   MakeDemoMachine <machine root> <program folder>

#include "DemoJunk.h"
#include "DemoMessages.h"
#include "DemoMonitor.h"
#include "DemoRegistry.h"

#include "platform/Machine.h"
#include "platform/RegistrySeed.h"
#include "platform/SystemPrograms.h"
#include "platform/Text.h"
#include "platform/Windows.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

constexpr unsigned long long MB = 1024ull * 1024;
constexpr unsigned long long GB = 1024 * MB;

const char kMachineIni[] = R"([Machine]
WindowsVersion=10.0.19045
TrueVersion=10.0.19045
Is64Bit=1
Administrator=1
UserName=Owner
ComputerName=DESKTOP-7H3KQ2M
ScreenHeight=1024
ScreenWidth=1280

[Drive C]
Folder=drive_c
Type=3
Bus=11
Disk=0
Label=System
FileSystem=NTFS
TotalBytes=255398518784
FreeBytes=92341653504

[Drive D]
Folder=drive_d
Type=3
Bus=11
Disk=0
Label=Data
FileSystem=NTFS
TotalBytes=744704868352
FreeBytes=406421405696

[Drive E]
Folder=drive_e
Type=2
Bus=7
Disk=1
Label=KINGFOX 16G
FileSystem=FAT32
TotalBytes=15938355200
FreeBytes=9876543488

[Disk 0]
Bus=11
Vendor=ATA
Product=SSD 1TB SATA
Size=1000204886016

[Disk 1]
Bus=7
Vendor=KINGFOX
Product=USB Flash Disk
Size=16008609792
)";

const wchar_t kUser[] = L"C:\\Users\\Owner\\";
const wchar_t kRecycleBin[] = L"C:\\$Recycle.Bin\\S-1-5-21-3623811015-3361044348-30300820-1001\\";

bool g_ok = true;

void Fail(const std::wstring& what)
{
    std::fprintf(stderr, "MakeDemoMachine: %s\n", platform::ToUtf8(what).c_str());
    g_ok = false;
}

std::string Host(const std::wstring& windowsPath)
{
    const std::string host = platform::HostPath(windowsPath);
    std::error_code ignored;
    fs::create_directories(fs::path(host).parent_path(), ignored);
    return host;
}

void Text(const std::wstring& path, const std::string& content)
{
    std::ofstream out(Host(path), std::ios::binary | std::ios::trunc);
    out << content;
    if (!out)
        Fail(L"cannot write " + path);
}

// A file of that size that takes no room on the host: the gatherers read its length, not its data.
void Large(const std::wstring& path, unsigned long long size)
{
    const std::string host = Host(path);
    std::ofstream(host, std::ios::binary | std::ios::trunc).close();
    std::error_code error;
    fs::resize_file(host, size, error);
    if (error)
        Fail(L"cannot size " + path);
}

void Attributes(const std::wstring& path, DWORD attributes)
{
    if (!SetFileAttributesW(path.c_str(), attributes))
        Fail(L"cannot set the attributes of " + path);
}

// A small picture-like file whose bytes depend on the seed, so that copies are equal and others
// are not.
std::string Bytes(unsigned seed, size_t size)
{
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) {
        seed = seed * 1103515245u + 12345u;
        bytes[i] = static_cast<char>(seed >> 16);
    }
    return bytes;
}

void MakeUserFiles()
{
    const std::wstring user = kUser;
    Text(user + L"Documents\\Budget 2024.xlsx", Bytes(11, 18 * 1024));
    Text(user + L"Documents\\Letter to the landlord.docx", Bytes(12, 24 * 1024));
    Text(user + L"Desktop\\Shopping list.txt", "milk\r\nbread\r\ncoffee\r\n");
    Large(user + L"Videos\\Family trip 2023.mp4", 2 * GB + 180 * MB);
    Large(user + L"Downloads\\photoeditor_setup_4.2.1.exe", 312 * MB);
    Large(user + L"Downloads\\photoeditor_setup_4.2.1 (1).exe", 312 * MB);
    Text(user + L"Pictures\\Garden.jpg", Bytes(21, 96 * 1024));
    Text(user + L"Pictures\\Garden (copy).jpg", Bytes(21, 96 * 1024));

    Large(L"D:\\Backups\\System image 2023-11.vhdx", 38 * GB);
    Large(L"D:\\Videos\\Wedding.mov", 3 * GB + 820 * MB);
    Large(L"D:\\Software\\office-disc.iso", 4 * GB + 700 * MB);
    Text(L"D:\\Photos\\2023\\IMG_2041.jpg", Bytes(31, 128 * 1024));
    Text(L"D:\\Photos\\Copies\\IMG_2041.jpg", Bytes(31, 128 * 1024));
    Text(L"D:\\Photos\\2023\\IMG_2042.jpg", Bytes(32, 131 * 1024));
    Text(L"D:\\Music\\Road trip\\01 - Morning.mp3", Bytes(41, 64 * 1024));
}

void MakeJunk()
{
    const std::wstring temp = std::wstring(kUser) + L"AppData\\Local\\Temp\\";
    Text(temp + L"~DF3A1B7C.tmp", Bytes(51, 4096));
    Text(temp + L"~DF90E2D4.tmp", Bytes(52, 8192));
    Text(temp + L"setup_installer.log", "Installing...\r\nDone.\r\n");
    Large(temp + L"Installer\\{6C1A4F0B}\\package.cab", 120 * MB);
    Text(L"C:\\Windows\\Temp\\MpCmdRun.log", "Signature update finished.\r\n");
    Text(L"C:\\Windows\\Temp\\CBS_0001.tmp", Bytes(53, 2048));
    Large(L"C:\\Windows\\Logs\\CBS\\CBS.log", 48 * MB);
    Text(L"C:\\Windows\\Logs\\DISM\\dism.log", "DISM initialized.\r\n");
    Large(L"C:\\Windows\\SoftwareDistribution\\Download\\8a5e2f1c0b\\windows10.0-kb5031356-x64.cab", 640 * MB);
    const std::wstring local = std::wstring(kUser) + L"AppData\\Local\\Microsoft\\Windows\\";
    Text(local + L"INetCache\\IE\\K3J8Q2ZP\\logo[1].png", Bytes(61, 6 * 1024));
    Text(local + L"INetCache\\IE\\K3J8Q2ZP\\style[2].css", "body{margin:0}\n");
    Large(local + L"Explorer\\thumbcache_256.db", 30 * MB);

    const std::wstring bin = kRecycleBin;
    Text(bin + L"$IQ7X2LD.docx", Bytes(71, 544));
    Large(bin + L"$RQ7X2LD.docx", 2 * MB);
    Text(bin + L"$I8KD31F.zip", Bytes(72, 544));
    Large(bin + L"$R8KD31F.zip", 85 * MB);
    Attributes(L"C:\\$Recycle.Bin", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
}

// The stick's own files hidden as a virus leaves them, and the shortcut-looking bait beside them.
void MakeUsbStick()
{
    const DWORD hiddenSystem = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    Text(L"E:\\Documents\\Thesis draft.docx", Bytes(81, 40 * 1024));
    Text(L"E:\\Documents\\Thesis notes.txt", "Chapter 3: results\r\n");
    Text(L"E:\\Photos\\Beach.jpg", Bytes(82, 90 * 1024));
    Text(L"E:\\Readme.txt", "Property of the owner.\r\n");
    Text(L"E:\\autorun.inf", "[autorun]\r\nopen=run.exe\r\n");
    for (const wchar_t* path : {L"E:\\Documents\\Thesis draft.docx", L"E:\\Documents\\Thesis notes.txt",
                                L"E:\\Photos\\Beach.jpg", L"E:\\Documents", L"E:\\Photos", L"E:\\autorun.inf"})
        Attributes(path, hiddenSystem);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: MakeDemoMachine <machine root> <program folder>\n");
        return 2;
    }
    const std::string root = fs::absolute(argv[1]).string();
    const std::string programFolder = fs::absolute(argv[2]).string();
    if (fs::exists(root + "/machine.ini"))
        return 0;

    fs::create_directories(root);
    std::ofstream(root + "/machine.ini") << kMachineIni;
    setenv("QUARNEL_MACHINE", root.c_str(), 1);
    platform::ReloadMachine();
    platform::SetProgramFolder(programFolder);
    // The maker's shared resources lie beside the program folder, as the installer lays them out.
    std::error_code copied;
    const fs::path common =
        fs::path(Host(platform::Machine().programFolder + L"\\..\\res\\Common\\langind.ini")).parent_path();
    fs::copy(fs::path(programFolder).parent_path() / "res" / "Common", common,
             fs::copy_options::recursive | fs::copy_options::overwrite_existing, copied);
    if (copied)
        Fail(L"the shared resources could not be installed");

    const platform::RegistryImportResult imported =
        platform::ImportRegistryText(DemoRegistryText(platform::WindowsPath(programFolder)));
    if (!imported.ok)
        Fail(L"registry: " + imported.message);
    if (!platform::InstallSystemPrograms(programFolder))
        Fail(L"the Windows programs could not be installed");
    MakeUserFiles();
    MakeJunk();
    g_ok = MakeDemoJunk() && g_ok;
    MakeUsbStick();
    if (!MakeDemoMessages())
        Fail(L"the stored messages could not be written");
    if (!MakeDemoMonitor(programFolder))
        Fail(L"the junk monitor's settings and resources could not be written");
    if (!g_ok) {
        std::fprintf(stderr, "MakeDemoMachine: the demo machine at %s is incomplete\n", root.c_str());
        return 1;
    }
    std::printf("Made the demo machine at %s\n", root.c_str());
    return 0;
}
