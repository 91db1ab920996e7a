#include "platform/RegistrySeed.h"

#include "RegistryAccess.h"

namespace platform {

using namespace registry;

LONG SetRegistryKeyProtected(HKEY root, const std::wstring& path, bool isProtected)
{
    return OnTarget(root, path.c_str(), 0, Transaction::Write, [&](RegistrySession& session, KeyTarget& target) -> LSTATUS {
        bool created = false;
        session.Store().SetProtected(session.Store().Create(target.path, created), isProtected);
        return ERROR_SUCCESS;
    });
}

} // namespace platform
