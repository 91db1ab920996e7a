#include "InstallSteps.h"

namespace {

std::function<void(InstallStep)>& StepHook()
{
    static std::function<void(InstallStep)> hook;
    return hook;
}

} // namespace

void SetInstallStepHook(std::function<void(InstallStep)> hook)
{
    StepHook() = std::move(hook);
}

void ReachedInstallStep(InstallStep step)
{
    if (StepHook())
        StepHook()(step);
}
