#include "DiskCommands.h"

#include "Console.h"

#include "platform/IniFile.h"
#include "platform/Machine.h"
#include "platform/Text.h"
#include "platform/Windows.h"

#include <cstdint>
#include <iterator>
#include <cwctype>

namespace diskpart {

namespace {

using standin::Print;

HANDLE OpenDisk(int number)
{
    const std::wstring path = L"\\\\.\\PhysicalDrive" + std::to_wstring(number);
    return CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

uint64_t DiskLength(int number)
{
    HANDLE disk = OpenDisk(number);
    if (disk == INVALID_HANDLE_VALUE)
        return 0;
    GET_LENGTH_INFORMATION length {};
    DWORD returned = 0;
    const BOOL ok = DeviceIoControl(disk, IOCTL_DISK_GET_LENGTH_INFO, nullptr, 0, &length, sizeof(length), &returned,
                                    nullptr);
    CloseHandle(disk);
    return ok ? static_cast<uint64_t>(length.Length.QuadPart) : 0;
}

bool IsReadOnly(int number)
{
    HANDLE disk = OpenDisk(number);
    if (disk == INVALID_HANDLE_VALUE)
        return false;
    DWORD returned = 0;
    const bool writable = DeviceIoControl(disk, IOCTL_DISK_IS_WRITABLE, nullptr, 0, nullptr, 0, &returned, nullptr);
    const DWORD error = GetLastError();
    CloseHandle(disk);
    return !writable && error == ERROR_WRITE_PROTECT;
}

// A size the way diskpart writes it: whole units, the largest that keeps the number at 10 or more.
std::string SizeText(uint64_t bytes)
{
    const char* const units[] = {"B", "KB", "MB", "GB", "TB"};
    size_t unit = 0;
    while (unit + 1 < std::size(units) && bytes / 1024 >= 10) {
        bytes /= 1024;
        ++unit;
    }
    return std::to_string(bytes) + " " + units[unit];
}

std::string Padded(const std::string& text, size_t width, bool right)
{
    const std::string fill(text.size() < width ? width - text.size() : 0, ' ');
    return right ? fill + text : text + fill;
}

std::wstring DiskSection(int number) { return L"Disk " + std::to_wstring(number); }

// Writes the disk's whole description when machine.ini did not have it yet (the machine's default
// disk), so that the section does not lose what the machine said of the disk.
bool WriteReadOnly(const platform::DiskInfo& disk, bool readOnly)
{
    const std::wstring section = DiskSection(disk.number);
    return platform::ChangeMachineIni([&](platform::IniFile& ini) {
        if (!ini.Get(section, L"Bus")) {
            ini.Set(section, L"Bus", std::to_wstring(disk.busType));
            ini.Set(section, L"Vendor", disk.vendor);
            ini.Set(section, L"Product", disk.product);
            ini.Set(section, L"Size", std::to_wstring(disk.sizeBytes));
        }
        ini.Set(section, L"ReadOnly", readOnly ? L"1" : L"0");
    });
}

} // namespace

int DiskSession::ListDisks() const
{
    Print("\r\n  Disk ###  Status         Size     Free     Dyn  Gpt\r\n"
          "  --------  -------------  -------  -------  ---  ---\r\n");
    for (const auto& disk : platform::Machine().disks) {
        const std::string marker = disk.number == selected_ ? "* " : "  ";
        Print(marker + Padded("Disk " + std::to_string(disk.number), 8, false) + "  " + Padded("Online", 13, false) +
              "  " + Padded(SizeText(DiskLength(disk.number)), 7, true) + "  " + Padded("0 B", 7, true) + "\r\n");
    }
    return DONE;
}

int DiskSession::SelectDisk(const std::wstring& number)
{
    bool digits = !number.empty() && number.size() <= 4;
    for (wchar_t c : number)
        digits = digits && std::iswdigit(static_cast<wint_t>(c));
    const int wanted = digits ? std::stoi(number) : -1;
    if (wanted < 0 || !platform::Machine().Disk(wanted)) {
        selected_ = -1;
        Print("\r\nThe disk you specified is not valid.\r\n\r\nThere is no disk selected.\r\n");
        return BAD_ARGUMENTS;
    }
    selected_ = wanted;
    Print("\r\nDisk " + std::to_string(wanted) + " is now the selected disk.\r\n");
    return DONE;
}

int DiskSession::DiskAttributes(const std::vector<std::wstring>& words)
{
    if (selected_ < 0) {
        Print("\r\nThere is no disk selected to set the attributes.\r\nPlease select a disk and try again.\r\n");
        return BAD_ARGUMENTS;
    }
    if (words.empty()) {
        const char* state = IsReadOnly(selected_) ? "Yes" : "No";
        Print(std::string("\r\nCurrent Read-only State : ") + state + "\r\nRead-only  : " + state + "\r\n");
        return DONE;
    }
    if (words.size() == 2 && words[1] == L"READONLY" && (words[0] == L"SET" || words[0] == L"CLEAR"))
        return ChangeReadOnly(words[0] == L"SET");
    Print("\r\nThe arguments specified for this command are not valid.\r\n"
          "For more information on the command type: HELP ATTRIBUTES DISK\r\n");
    return BAD_ARGUMENTS;
}

int DiskSession::ChangeReadOnly(bool readOnly) const
{
    const platform::DiskInfo* disk = platform::Machine().Disk(selected_);
    if (!disk || !WriteReadOnly(*disk, readOnly)) {
        Print("\r\nVirtual Disk Service error:\r\nThe operation failed.\r\n");
        return SERVICE_FAILED;
    }
    Print(readOnly ? "\r\nDisk attributes set successfully.\r\n" : "\r\nDisk attributes cleared successfully.\r\n");
    return DONE;
}

} // namespace diskpart
