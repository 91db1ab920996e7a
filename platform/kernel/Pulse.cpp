#include "Pulse.h"

#include "Futex.h"
#include "RunFolder.h"

#include "platform/win/Sync.h"

#include <map>
#include <mutex>
#include <unistd.h>

namespace platform {

std::atomic<uint32_t>& MachinePulse()
{
    static std::mutex mutex;
    static std::map<std::string, std::atomic<uint32_t>*> pulses;
    static std::atomic<uint32_t> processOnly {0}; // when run/ cannot be used
    const std::string path = RunFolder() + "/.pulse";
    std::lock_guard<std::mutex> lock(mutex);
    auto& pulse = pulses[path];
    if (!pulse) {
        const int fd = OpenRunFile(path);
        void* memory = fd < 0 ? nullptr : MapRunFile(fd, sizeof(std::atomic<uint32_t>));
        if (fd >= 0)
            close(fd);
        pulse = memory ? static_cast<std::atomic<uint32_t>*>(memory) : &processOnly;
    }
    return *pulse;
}

void NotifyWaiters()
{
    std::atomic<uint32_t>& pulse = MachinePulse();
    pulse.fetch_add(1);
    FutexWakeAll(pulse);
}

} // namespace platform
