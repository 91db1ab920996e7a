#include "RegCollect3Proc.h"

#include "RegKeyHandle.h"

#include "platform/Text.h"

namespace RegCollectXProc {

bool CRegCollect3Proc::CheckSubKey(HKEY key, const std::wstring& name, std::wstring& display)
{
    return platform::EqualsIgnoringCase(name, L"CLSID") && CRegCollect2Proc::CheckSubKey(key, name, display);
}

// Only a key that is not there is junk; any other failure to open it says nothing.
bool CRegCollect3Proc::Identify(HKEY current)
{
    const RegAlgStep_& step = IdentifyStep();
    if (step.params.empty())
        return false;
    const HKEY base = step.rootType == -1 ? current : step.Root();
    if (!base)
        return false;
    CRegKeyHandle key;
    return key.Open(base, Substitute(step.params.front()), KEY_READ) == ERROR_FILE_NOT_FOUND;
}

} // namespace RegCollectXProc
