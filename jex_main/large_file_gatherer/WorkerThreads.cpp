#include "WorkerThreads.h"

#include "common/Wow64FsRedirGuard.h"

#include <algorithm>

void CWorkerThreads::Start(unsigned count, HANDLE userToken, const std::function<void()>& body)
{
    for (unsigned i = 0; i < count; ++i)
        threads_.emplace_back([userToken, body] {
            if (userToken)
                ImpersonateLoggedOnUser(userToken);
            const CWow64FsRedirGuard redirectionOff;
            body();
        });
}

void CWorkerThreads::Stop(std::mutex& lock, bool& stopping, std::condition_variable& wake)
{
    {
        std::lock_guard<std::mutex> hold(lock);
        stopping = true;
    }
    wake.notify_all();
    Join();
}

void CWorkerThreads::Join()
{
    for (std::thread& thread : threads_)
        thread.join();
    threads_.clear();
}

unsigned CWorkerThreads::For(unsigned most)
{
    const unsigned cores = std::max(std::thread::hardware_concurrency(), 2u);
    return std::min(cores - 1, most);
}
