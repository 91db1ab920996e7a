// The Windows defragmenter, standing in for the real one on the machine's volumes:
//
//   defrag <volume> [-a]
//
// The volume is a volume name ("\\?\Volume{...}\") or a drive ("C:", "C:\"). With -a it analyses
// the volume and reports its fragmentation; without, it defragments it (the machine's figure
// becomes 0) and reports again. It prints what the machine's Windows version prints, in English,
// and stops when interrupted (SIGINT or SIGTERM, as a console's break). DefragControls.h tells how
// a test makes a run slow, blocked or failing. A run whose starter has gone stops as if interrupted.
//
// Exit codes: 0 done, 1 bad command line, 2 no such volume, 3 failed, 4 cancelled.

#include "DefragControls.h"
#include "DefragReport.h"

#include "platform/Machine.h"
#include "platform/Windows.h"

#include <csignal>
#include <cwctype>
#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int EXIT_DONE = 0;
constexpr int EXIT_BAD_COMMAND_LINE = 1;
constexpr int EXIT_NO_VOLUME = 2;
constexpr int EXIT_FAILED = 3;
constexpr int EXIT_CANCELLED = 4;

constexpr uint32_t CODE_VOLUME_NOT_FOUND = 0x89000008;
constexpr uint32_t CODE_VOLUME_ERROR = 0x8900002A;
constexpr DWORD STEP_MS = 20;

volatile std::sig_atomic_t g_interrupted = 0;

void OnInterrupt(int) { g_interrupted = 1; }

// A run whose starter has gone stops as if interrupted, so that no blocked run is left behind.
bool Interrupted(pid_t starter) { return g_interrupted || getppid() != starter; }

void Print(const std::string& text)
{
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

struct Request {
    std::wstring volume;
    bool analyse = false;
};

bool ParseCommandLine(Request& request)
{
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!arguments)
        return false;
    bool valid = true;
    for (int i = 1; i < count; ++i) {
        const std::wstring argument = arguments[i];
        if (argument == L"-a" || argument == L"/a" || argument == L"-A" || argument == L"/A")
            request.analyse = true;
        else if (request.volume.empty())
            request.volume = argument;
        else
            valid = false;
    }
    free(arguments);
    return valid && !request.volume.empty();
}

// The drive letter of a volume argument, or 0 when the machine has no such local volume.
wchar_t DriveLetterOf(const std::wstring& volume)
{
    wchar_t letter = 0;
    if (volume.rfind(L"\\\\?\\Volume{", 0) == 0) {
        std::wstring name = volume;
        if (name.back() != L'\\')
            name += L'\\';
        wchar_t paths[MAX_PATH] = {};
        DWORD length = 0;
        if (GetVolumePathNamesForVolumeNameW(name.c_str(), paths, MAX_PATH, &length))
            letter = paths[0];
    } else if (volume.size() >= 2 && volume[1] == L':' && (volume.size() == 2 || volume.substr(2) == L"\\")) {
        letter = volume[0];
    }
    const wchar_t root[] = {letter, L':', L'\\', L'\0'};
    const UINT type = letter ? GetDriveTypeW(root) : DRIVE_NO_ROOT_DIR;
    return type == DRIVE_FIXED || type == DRIVE_REMOVABLE ? static_cast<wchar_t>(std::towupper(letter)) : 0;
}

defrag::VolumeFacts FactsOf(wchar_t letter, int fragmentation)
{
    defrag::VolumeFacts facts;
    facts.letter = letter;
    facts.fragmentation = fragmentation;
    const wchar_t root[] = {letter, L':', L'\\', L'\0'};
    wchar_t label[MAX_PATH] = {};
    if (GetVolumeInformationW(root, label, MAX_PATH, nullptr, nullptr, nullptr, nullptr, 0))
        facts.label = label;
    ULARGE_INTEGER total{}, free{};
    if (GetDiskFreeSpaceExW(root, nullptr, &total, &free)) {
        facts.totalBytes = total.QuadPart;
        facts.freeBytes = free.QuadPart;
    }
    return facts;
}

// Spends the run's time, and waits while the run is blocked; false when interrupted meanwhile.
bool SpendTime(wchar_t letter, DWORD delayMs)
{
    const pid_t starter = getppid();
    const ULONGLONG end = GetTickCount64() + delayMs;
    while (!Interrupted(starter) && (GetTickCount64() < end || defrag::IsBlocked(letter)))
        Sleep(STEP_MS);
    return !Interrupted(starter);
}

void PrintTrailer(unsigned lines)
{
    for (unsigned line = 1; line <= lines; ++line)
        Print("Trace: volume pass " + std::to_string(line) + " of " + std::to_string(lines) + "\r\n");
}

int Work(const Request& request, defrag::Style style, wchar_t letter, const defrag::Controls& controls)
{
    defrag::VolumeFacts facts = FactsOf(letter, controls.fragmentation);
    Print(defrag::Banner() + defrag::StartLine(style, facts, request.analyse));
    if (!SpendTime(letter, controls.delayMs)) {
        Print(defrag::Cancelled(style));
        return EXIT_CANCELLED;
    }
    if (controls.fail == L"EXIT") {
        Print(defrag::ErrorLine(style, "The operation failed on this volume.", CODE_VOLUME_ERROR));
        return EXIT_FAILED;
    }
    if (controls.fail == L"CANCEL") {
        Print(defrag::Cancelled(defrag::Style::Vista));
        return EXIT_DONE;
    }
    if (controls.fail == L"NOREPORT")
        return EXIT_DONE;
    Print(defrag::Completed(style) + defrag::Report(style, facts, false));
    if (!request.analyse) {
        facts.fragmentation = 0;
        defrag::StoreFragmentation(letter, 0);
        Print(defrag::Report(style, facts, true));
    }
    if (controls.fail == L"CODE")
        Print(defrag::ErrorLine(defrag::Style::SevenAndLater, "A volume error was found.", CODE_VOLUME_ERROR));
    return EXIT_DONE;
}

int Run(const Request& request, defrag::Style style)
{
    const wchar_t letter = DriveLetterOf(request.volume);
    if (!letter) {
        Print(defrag::Banner() + defrag::ErrorLine(style, "The volume could not be found.", CODE_VOLUME_NOT_FOUND));
        return EXIT_NO_VOLUME;
    }
    const defrag::Controls controls = defrag::ReadControls(letter);
    if (controls.fail == L"SILENT")
        return EXIT_DONE;
    const int exitCode = Work(request, style, letter, controls);
    PrintTrailer(controls.trailerLines);
    return exitCode;
}

} // namespace

int main()
{
    std::signal(SIGINT, OnInterrupt);
    std::signal(SIGTERM, OnInterrupt);
    Request request;
    if (!ParseCommandLine(request)) {
        Print("Usage: defrag <volume> [-a]\r\n");
        return EXIT_BAD_COMMAND_LINE;
    }
    DWORD major = 0, minor = 0, build = 0;
    RtlGetNtVersionNumbers(&major, &minor, &build);
    return Run(request, defrag::StyleOfVersion(major, minor));
}
