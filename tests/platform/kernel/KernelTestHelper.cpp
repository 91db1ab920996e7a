// A small program the kernel tests start as a child: it exits with given codes, prints what it
// received, takes or signals named objects, starts another copy of itself or moves its own file
// aside, as its first argument asks.
#include "platform/Text.h"
#include "platform/Windows.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

std::wstring Wide(const char* text) { return platform::FromUtf8(text); }

// As QUARNEL_OPEN_COMMAND: notes the arguments it was started with in the file the test names.
int Record(const char* file, int argc, char** argv)
{
    std::ofstream out(file, std::ios::app);
    for (int i = 1; i < argc; ++i)
        out << argv[i] << '\n';
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (const char* record = std::getenv("KERNEL_HELPER_RECORD"))
        return Record(record, argc, argv);
    const std::string mode = argc > 1 ? argv[1] : "";
    const char* first = argc > 2 ? argv[2] : "";
    WCHAR path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (mode == "exit")
        ExitProcess(static_cast<UINT>(std::strtoul(first, nullptr, 16)));
    if (mode == "return")
        return std::atoi(first);
    if (mode == "crash")
        std::raise(SIGSEGV);
    if (mode == "sleep")
        Sleep(INFINITE);
    if (mode == "start") {
        // another copy of itself with the remaining arguments, through the layer; prints its id
        std::wstring line = L"\"" + std::wstring(path) + L"\"";
        for (int i = 2; i < argc; ++i)
            line += L" " + Wide(argv[i]);
        STARTUPINFOW startup {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info {};
        if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
            return 2;
        std::printf("%lu\n", static_cast<unsigned long>(info.dwProcessId));
        std::fflush(stdout);
        Sleep(INFINITE);
    }
    if (mode == "args") {
        std::printf("%s\n", platform::ToUtf8(GetCommandLineW()).c_str());
        for (int i = 0; i < argc; ++i)
            std::printf("%s\n", argv[i]);
        return 0;
    }
    if (mode == "moved") {
        // its name, then its name after its file was moved aside as an update moves the old one
        std::printf("%s\n", platform::ToUtf8(path).c_str());
        if (!MoveFileW(path, (std::wstring(path) + L".old").c_str()))
            return 2;
        WCHAR after[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, after, MAX_PATH);
        std::printf("%s\n", platform::ToUtf8(after).c_str());
        return 0;
    }
    if (mode == "cwd") {
        char folder[4096];
        std::printf("%s\n", getcwd(folder, sizeof(folder)) ? folder : "");
        return 0;
    }
    if (mode == "env") {
        const char* value = std::getenv(first);
        std::printf("%s\n", value ? value : "(unset)");
        return 0;
    }
    if (mode == "big") {
        // the pattern 0..250 repeated, so that the reader can check every byte
        const long count = std::atol(first);
        for (long i = 0; i < count; ++i)
            std::putchar(static_cast<int>(i % 251));
        return 0;
    }
    if (mode == "stderr") {
        std::fprintf(stderr, "to stderr\n");
        return 0;
    }
    if (mode == "hold-mutex") {
        HANDLE mutex = CreateMutexW(nullptr, FALSE, Wide(first).c_str());
        if (!mutex || WaitForSingleObject(mutex, INFINITE) == WAIT_FAILED)
            return 2;
        std::printf("owned\n");
        std::fflush(stdout);
        Sleep(INFINITE);
    }
    if (mode == "set-event") {
        HANDLE event = OpenEventW(EVENT_MODIFY_STATE, FALSE, Wide(first).c_str());
        return event && SetEvent(event) ? 0 : 2;
    }
    if (mode == "inherited") {
        // the handles' values as the starter had them: an event to set, a pipe end to write to
        const auto handle = [](const char* value) { return reinterpret_cast<HANDLE>(std::strtoull(value, nullptr, 10)); };
        if (!SetEvent(handle(first)))
            return 2;
        DWORD written = 0;
        return argc > 4 && WriteFile(handle(argv[3]), argv[4], static_cast<DWORD>(std::strlen(argv[4])), &written, nullptr)
                   ? 0
                   : 3;
    }
    if (mode == "wait-event") {
        HANDLE event = OpenEventW(SYNCHRONIZE, FALSE, Wide(first).c_str());
        if (!event)
            return 2;
        std::printf("waiting\n");
        std::fflush(stdout);
        const DWORD result = WaitForSingleObject(event, static_cast<DWORD>(std::atol(argc > 3 ? argv[3] : "0")));
        return result == WAIT_OBJECT_0 ? 0 : result == WAIT_TIMEOUT ? 1 : 2;
    }
    return 100;
}
