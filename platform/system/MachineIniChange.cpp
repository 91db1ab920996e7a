#include "platform/Machine.h"

#include "ProfileLock.h"

namespace platform {

bool ChangeMachineIni(const std::function<void(IniFile&)>& change)
{
    const std::string path = MachineIniPath();
    bool saved = false;
    {
        const CProfileLock lock(path);
        IniFile ini(path);
        change(ini);
        saved = ini.Save();
    }
    ReloadMachine();
    return saved;
}

} // namespace platform
