// Test seam: where an install stands, for tests that act there (another user's swap, a kill).
#pragma once

#include <functional>

enum class InstallStep {
    StagingRemoved,  // an earlier staging folder is gone, its own not yet made
    StagingMade,     // its own is made and held, before the package is unpacked into it
    Placing,         // a placing is written down and its rename comes next
    Placed,          // that rename is done
};

void SetInstallStepHook(std::function<void(InstallStep)> hook);
void ReachedInstallStep(InstallStep step);
