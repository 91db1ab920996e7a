#include "Inheritance.h"

#include "EventObject.h"
#include "MutexObject.h"
#include "PipeEnd.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sstream>

namespace platform {

namespace {

// One entry a line: the handle's value, its kind, the child's descriptor and, for a named event
// or mutex, the path of its run/ file.
enum Kind : char { kEvent = 'E', kMutex = 'M', kPipe = 'P' };

KernelObject* Rebuilt(char kind, int fd, const std::string& path)
{
    if (kind == kPipe)
        return new PipeEnd(fd, true);
    SyncBlock* block = SyncBlock::Inherit(path, fd);
    if (!block)
        return nullptr;
    if (kind == kEvent)
        return new EventObject(block, true);
    return new MutexObject(block, true);
}

} // namespace

Bequest BequeathHandles()
{
    Bequest bequest;
    std::ostringstream entries;
    ForEachHandle([&](HANDLE value, const std::shared_ptr<KernelObject>& held) {
        KernelObject& object = *held;
        char kind = 0;
        std::string path;
        int fd = -1;
        if (const auto* sync = dynamic_cast<SyncObject*>(&object); sync && sync->Inheritable()) {
            kind = dynamic_cast<EventObject*>(&object) ? kEvent : kMutex;
            fd = sync->Block().Descriptor();
            path = sync->Block().Path();
        } else if (const auto* pipe = dynamic_cast<PipeEnd*>(&object); pipe && pipe->Inheritable()) {
            kind = kPipe;
            fd = pipe->Descriptor();
        }
        if (!kind || fd < 0)
            return;
        const int target = kFirstInheritedDescriptor + static_cast<int>(bequest.descriptors.size());
        bequest.descriptors.push_back(fd);
        bequest.held.push_back(held);
        entries << reinterpret_cast<uintptr_t>(value) << ' ' << kind << ' ' << target << ' ' << path << '\n';
    });
    if (!bequest.descriptors.empty())
        bequest.variable = std::string(kInheritedHandlesVariable) + "=" + entries.str();
    return bequest;
}

void AdoptInheritedHandles()
{
    const char* text = std::getenv(kInheritedHandlesVariable);
    if (!text)
        return;
    std::istringstream entries(text);
    std::string line;
    while (std::getline(entries, line)) {
        uintptr_t value = 0;
        char kind = 0;
        int fd = -1;
        int consumed = 0;
        if (std::sscanf(line.c_str(), "%" SCNuPTR " %c %d %n", &value, &kind, &fd, &consumed) < 3 ||
            fd < kFirstInheritedDescriptor || fcntl(fd, F_GETFD) < 0 || (kind != kEvent && kind != kMutex && kind != kPipe))
            continue;
        // this process hands it on through its own bequests only
        fcntl(fd, F_SETFD, FD_CLOEXEC);
        if (KernelObject* object = Rebuilt(kind, fd, line.substr(static_cast<size_t>(consumed))))
            AdoptHandle(reinterpret_cast<HANDLE>(value), object);
    }
}

} // namespace platform
