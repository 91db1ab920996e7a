#include "Pulse.h"

#include "Futex.h"
#include "RunFolder.h"

#include "platform/win/Sync.h"

#include <map>
#include <mutex>
#include <unistd.h>

namespace platform {

namespace {

constexpr const char* kPulseName = ".pulse";

// Threads that reap children may still notify while the program exits: never destroyed.
struct Pulses {
    std::mutex mutex;
    std::map<std::string, std::atomic<uint32_t>*> byPath;
    std::atomic<uint32_t> processOnly {0}; // when run/ cannot be used
};
Pulses& ThePulses()
{
    static auto* pulses = new Pulses;
    return *pulses;
}

} // namespace

std::atomic<uint32_t>& MachinePulse()
{
    Pulses& pulses = ThePulses();
    const std::string path = RunFolder() + "/" + kPulseName;
    std::lock_guard<std::mutex> lock(pulses.mutex);
    auto& pulse = pulses.byPath[path];
    if (!pulse) {
        bool created = false;
        const int fd = OpenRunFolder().OpenSharedFile(kPulseName, created);
        void* memory = fd < 0 ? nullptr : MapRunFile(fd, sizeof(std::atomic<uint32_t>));
        if (fd >= 0)
            close(fd);
        pulse = memory ? static_cast<std::atomic<uint32_t>*>(memory) : &pulses.processOnly;
    }
    return *pulse;
}

void Bump(std::atomic<uint32_t>& pulse)
{
    pulse.fetch_add(1);
    FutexWakeAll(pulse);
}

void NotifyWaiters() { Bump(MachinePulse()); }

} // namespace platform
