// Reference-check rules ("ProcType" 3) for COM registrations: only a subkey named "CLSID" is
// checked, and the identify step looks for a missing key instead of a missing file.
#pragma once

#include "RegCollect2Proc.h"

namespace RegCollectXProc {

class CRegCollect3Proc : public CRegCollect2Proc {
public:
    using CRegCollect2Proc::CRegCollect2Proc;

    bool CheckSubKey(HKEY key, const std::wstring& name, std::wstring& display) override;

protected:
    bool Identify(HKEY current) override;
};

} // namespace RegCollectXProc
