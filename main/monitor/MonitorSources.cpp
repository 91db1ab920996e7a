#include "MonitorSources.h"

namespace {

class CMachineSources : public IMonitorSources {
public:
    bool SystemTimes(FILETIME* idle, FILETIME* kernel, FILETIME* user) override
    {
        return GetSystemTimes(idle, kernel, user) != FALSE;
    }
    DWORD TickCount() override { return GetTickCount(); }
    QDate Today() override { return QDate::currentDate(); }
};

} // namespace

std::shared_ptr<IMonitorSources> MachineSources()
{
    static const std::shared_ptr<IMonitorSources> machine = std::make_shared<CMachineSources>();
    return machine;
}
