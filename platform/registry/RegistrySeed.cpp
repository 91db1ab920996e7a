#include "platform/RegistrySeed.h"

#include "RegistryAccess.h"
#include "RegistryImport.h"

#include <string>

namespace platform {

using namespace registry;

RegistryImportResult ImportRegistryText(const std::wstring& text)
{
    RegistryImportResult result;
    const LSTATUS status = InSession(Transaction::Write, [&](RegistrySession& session) -> LSTATUS {
        return ImportInto(session.Store(), text, result.message) ? ERROR_SUCCESS : ERROR_INVALID_DATA;
    });
    result.ok = status == ERROR_SUCCESS;
    if (!result.ok && result.message.empty()) // the text was sound, the store failed
        result.message = L"the registry could not be written (error " + std::to_wstring(status) + L")";
    return result;
}

RegistryImportResult ImportRegistryFile(const std::string& hostPath)
{
    std::wstring text;
    RegistryImportResult result;
    if (!ReadRegFile(hostPath, text, result.message))
        return result;
    return ImportRegistryText(text);
}

LONG SetRegistryKeyProtected(HKEY root, const std::wstring& path, bool isProtected)
{
    return OnTarget(root, path.c_str(), 0, Transaction::Write, [&](RegistrySession& session, KeyTarget& target) -> LSTATUS {
        bool created = false;
        session.Store().SetProtected(session.Store().Create(target.path, created), isProtected);
        return ERROR_SUCCESS;
    });
}

} // namespace platform
