// The helper threads of a scan. Each acts as the logged-on user (when the scan holds the user's
// token) and works with the file-system redirection off, as the scan's own thread does.
#pragma once

#include "platform/Windows.h"

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class CWorkerThreads {
public:
    CWorkerThreads() = default;
    ~CWorkerThreads() { Join(); }
    CWorkerThreads(const CWorkerThreads&) = delete;
    CWorkerThreads& operator=(const CWorkerThreads&) = delete;

    // Starts count threads running body.
    void Start(unsigned count, HANDLE userToken, const std::function<void()>& body);
    // Sets the flag the bodies watch under their lock, wakes them and waits for them to return.
    void Stop(std::mutex& lock, bool& stopping, std::condition_variable& wake);
    void Join();

    // Threads for one kind of work: one per core beyond the calling thread's, at least one and at
    // most most.
    static unsigned For(unsigned most);

private:
    std::vector<std::thread> threads_;
};
