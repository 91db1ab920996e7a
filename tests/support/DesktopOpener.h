// Stands in for the desktop's opener (the program QUARNEL_OPEN_COMMAND names) for the life of the
// object: every path the layer hands it to open is noted, one a line.
#pragma once

#include "support/TempMachine.h"

#include <string>
#include <vector>

namespace testing_support {

class DesktopOpener {
public:
    explicit DesktopOpener(const TempMachine& machine);
    ~DesktopOpener();
    DesktopOpener(const DesktopOpener&) = delete;
    DesktopOpener& operator=(const DesktopOpener&) = delete;

    // From now on the opener is missing, so that opening fails.
    void Remove() const;

    // The host paths opened so far, once there are at least count of them; after a few seconds
    // whatever there is. The opener runs as a child process of its own and may come late.
    std::vector<std::string> Opened(size_t count) const;

private:
    std::string record_;
    std::string missing_;
};

} // namespace testing_support
