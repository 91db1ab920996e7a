#include "platform/Machine.h"

#include "ProfileLock.h"

#include "platform/win/Errors.h"

#include <cerrno>

namespace platform {

bool ChangeMachineIni(const std::function<void(IniFile&)>& change)
{
    const std::string path = MachineIniPath();
    bool saved = false;
    {
        const CProfileLock lock(path);
        if (!lock.Held()) {
            SetLastError(ERROR_TIMEOUT);
            return false;
        }
        IniFile ini(path);
        // a file that is there but cannot be read is not replaced by one without its lines
        if (!ini.Exists() && ini.Error() != ENOENT) {
            SetLastError(ErrorFromErrno(ini.Error()));
            return false;
        }
        change(ini);
        saved = ini.Save();
    }
    ReloadMachine();
    return saved;
}

} // namespace platform
