// The window test helper program run by a test: a window of another process of the test's machine,
// found by its title, which logs what it hears.
#pragma once

#include "platform/Windows.h"
#include "support/TempMachine.h"

#include <QCoreApplication>
#include <QProcess>

#include <chrono>
#include <cstring>
#include <dirent.h>
#include <functional>
#include <string>
#include <thread>

namespace testing_support {

constexpr int kHelperWaitMs = 20000;
constexpr wchar_t kHelperTitle[] = L"Helper Window";

// Waits for the condition while this process's own events go on.
inline bool WaitWithEvents(const std::function<bool()>& condition)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(kHelperWaitMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > until)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

inline LRESULT SendCopy(HWND window, const std::string& data, ULONG_PTR dwData = 0)
{
    COPYDATASTRUCT copy {dwData, static_cast<DWORD>(data.size()), const_cast<char*>(data.data())};
    return SendMessageW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&copy));
}

class CHelperWindowProcess {
public:
    explicit CHelperWindowProcess(const TempMachine& machine) : machine_(machine) {}
    ~CHelperWindowProcess()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished();
        }
    }

    // Starts the helper program with a window of the title; its window's handle, found by title.
    HWND Start()
    {
        const std::string program = BuildProgramFolder() + "/../tests/bin/window_test_helper";
        process.start(QString::fromStdString(program),
                      {QString::fromWCharArray(kHelperTitle), QString::fromStdString(LogPath())});
        HWND found = nullptr;
        WaitWithEvents([&] { return (found = FindWindowW(nullptr, kHelperTitle)) != nullptr; });
        return found;
    }
    std::string LogPath() const { return machine_.Root() + "/heard.txt"; }
    std::string Heard() const { return ReadFile(LogPath()); }

    // The host path of the helper's message port ("" when there is none).
    std::string PortPath() const
    {
        const std::string folder = machine_.Root() + "/run/windows";
        const std::string prefix = std::to_string(process.processId()) + "-";
        std::string port;
        if (DIR* dir = opendir(folder.c_str())) {
            while (const dirent* entry = readdir(dir))
                if (std::strncmp(entry->d_name, prefix.c_str(), prefix.size()) == 0 && std::strstr(entry->d_name, ".port"))
                    port = folder + "/" + entry->d_name;
            closedir(dir);
        }
        return port;
    }

    QProcess process;

private:
    const TempMachine& machine_;
};

} // namespace testing_support
