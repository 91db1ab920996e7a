// The Windows disk check, standing in for the real one on the machine's volumes:
//
//   chkdsk [<drive>:] [/F] [/R] [/X]
//
// /F fixes what it finds, /R also looks for bad clusters, /X first forces a dismount; /R and /X
// imply /F. Without a drive it checks the current one. What the machine says of a drive in
// machine.ini [Drive X]:
//   Dirty=1    the file system has errors: reported without /F (exit code 2), corrected with /F
//              (the flag is cleared, exit code 1)
//   InUse=1    another process holds the volume: /F without /X asks "(Y/N)" whether to force a
//              dismount; no, or the system drive (which cannot be locked), asks whether to check
//              the volume at the next restart instead
// A write-protected drive cannot be fixed. Questions end without a line break and read one answer
// line from the standard input (an ended input answers no). FailMode.h tells how a test makes it
// fail ("Cannot open volume for direct access.").
//
// Exit codes: 0 no problems found (or a check at restart arranged), 1 problems found and fixed,
// 2 problems found and not fixed, 3 the volume could not be checked.

#include "Console.h"
#include "FailMode.h"
#include "VolumeReport.h"

#include "platform/Machine.h"
#include "platform/Text.h"
#include "platform/Windows.h"

#include <cwctype>
#include <string>
#include <vector>

namespace {

using standin::Print;

constexpr DWORD EXIT_CLEAN = 0;
constexpr DWORD EXIT_FIXED = 1;
constexpr DWORD EXIT_FOUND = 2;
constexpr DWORD EXIT_NOT_CHECKED = 3;

struct Request {
    wchar_t letter = 0;
    bool fix = false;
    bool badClusters = false;
    bool dismount = false;
};

bool ParseArguments(const std::vector<std::wstring>& arguments, Request& request)
{
    for (const auto& argument : arguments) {
        const std::wstring upper = platform::UpperCase(argument);
        if (upper == L"/F") {
            request.fix = true;
        } else if (upper == L"/R") {
            request.fix = request.badClusters = true;
        } else if (upper == L"/X") {
            request.fix = request.dismount = true;
        } else if (!request.letter && (upper.size() == 2 || upper == std::wstring {upper[0], L':', L'\\'}) &&
                   std::iswalpha(static_cast<wint_t>(upper[0])) && upper[1] == L':') {
            request.letter = upper[0];
        } else {
            Print("Invalid parameter - " + platform::ToUtf8(argument) + "\r\n");
            return false;
        }
    }
    if (!request.letter) {
        wchar_t current[MAX_PATH] = {};
        GetCurrentDirectoryW(MAX_PATH, current);
        request.letter = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(current[0])));
    }
    return true;
}

std::wstring DriveSection(wchar_t letter) { return std::wstring(L"Drive ") + letter; }

int DriveFlag(wchar_t letter, const wchar_t* key)
{
    return static_cast<int>(platform::IniFile(platform::MachineIniPath()).GetInt(DriveSection(letter), key, 0));
}

bool ClearDirty(wchar_t letter)
{
    return platform::ChangeMachineIni([letter](platform::IniFile& ini) { ini.Set(DriveSection(letter), L"Dirty", L"0"); });
}

bool IsSystemDrive(wchar_t letter)
{
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    return std::towupper(static_cast<wint_t>(system[0])) == static_cast<wint_t>(letter);
}

[[noreturn]] void OfferCheckAtRestart()
{
    const bool yes = standin::AskYesNo("Chkdsk cannot run because the volume is in use by another\r\n"
                                       "process.  Would you like to schedule this volume to be\r\n"
                                       "checked the next time the system restarts? (Y/N) ");
    Print(yes ? "\r\nThis volume will be checked the next time the system restarts.\r\n" : "\r\n");
    standin::Exit(yes ? EXIT_CLEAN : EXIT_NOT_CHECKED);
}

// Takes the volume for fixing; ends the process when it cannot be had now.
void LockVolume(const Request& request, DWORD fileSystemFlags)
{
    if (fileSystemFlags & FILE_READ_ONLY_VOLUME) {
        Print("Windows cannot run disk checking on this volume because it is write protected.\r\n");
        standin::Exit(EXIT_NOT_CHECKED);
    }
    if (IsSystemDrive(request.letter)) {
        Print("Cannot lock current drive.\r\n\r\n");
        OfferCheckAtRestart();
    }
    if (!DriveFlag(request.letter, L"InUse"))
        return;
    if (!request.dismount &&
        !standin::AskYesNo("Chkdsk cannot run because the volume is in use by another\r\n"
                           "process.  Chkdsk may run if this volume is dismounted first.\r\n"
                           "ALL OPENED HANDLES TO THIS VOLUME WOULD THEN BE INVALID.\r\n"
                           "Would you like to force a dismount on this volume? (Y/N) ")) {
        Print("\r\n");
        OfferCheckAtRestart();
    }
    Print(request.dismount ? "" : "\r\n");
    Print("Volume dismounted.  All opened handles to this volume are now invalid.\r\n");
}

DWORD Check(const Request& request)
{
    const std::wstring root = {request.letter, L':', L'\\'};
    wchar_t label[MAX_PATH] = {}, fileSystem[MAX_PATH] = {};
    DWORD flags = 0;
    if (!GetVolumeInformationW(root.c_str(), label, MAX_PATH, nullptr, nullptr, &flags, fileSystem, MAX_PATH)) {
        Print("Cannot open volume for direct access.\r\n");
        return EXIT_NOT_CHECKED;
    }
    const std::string type = platform::ToUtf8(fileSystem);
    Print("The type of the file system is " + type + ".\r\n");
    if (standin::MustFail(L"chkdsk")) {
        Print("Cannot open volume for direct access.\r\n");
        return EXIT_NOT_CHECKED;
    }
    const std::wstring upperType = platform::UpperCase(fileSystem);
    if (upperType != L"NTFS" && upperType != L"FAT" && upperType != L"FAT32" && upperType != L"EXFAT") {
        Print("CHKDSK is not available for " + type + " drives.\r\n");
        return EXIT_NOT_CHECKED;
    }
    if (request.fix)
        LockVolume(request, flags);
    if (label[0])
        Print("Volume label is " + platform::ToUtf8(label) + ".\r\n");
    if (!request.fix)
        Print("\r\nWARNING!  /F parameter not specified.\r\nRunning CHKDSK in read-only mode.\r\n");

    const chkdsk::VolumeFigures figures = chkdsk::ExamineVolume(request.letter);
    Print(chkdsk::Stages(figures, request.badClusters));
    DWORD result = EXIT_CLEAN;
    if (!DriveFlag(request.letter, L"Dirty")) {
        Print("\r\nWindows has scanned the file system and found no problems.\r\nNo further action is required.\r\n");
    } else if (!request.fix) {
        Print("\r\nWindows has scanned the file system and found problems.\r\n"
              "Run CHKDSK with the /F (fix) option to correct these.\r\n");
        result = EXIT_FOUND;
    } else if (ClearDirty(request.letter)) {
        Print("\r\nWindows has scanned the file system and found problems.\r\n"
              "Windows has made corrections to the file system.\r\nNo further action is required.\r\n");
        result = EXIT_FIXED;
    } else {
        Print("\r\nWindows has scanned the file system and found problems.\r\n"
              "Windows was unable to correct them.\r\n");
        result = EXIT_NOT_CHECKED;
    }
    Print(chkdsk::Summary(figures));
    return result;
}

} // namespace

int main()
{
    Request request;
    if (!ParseArguments(standin::Arguments(), request))
        standin::Exit(EXIT_NOT_CHECKED);
    standin::Exit(Check(request));
}
