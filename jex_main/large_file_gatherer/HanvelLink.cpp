#include "HanvelLink.h"

#include "outside/Hanvel/Hanvel.h"
#include "platform/Windows.h"

void CHanvelLink::Start()
{
    if (loaded_)
        return;
    loaded_ = true;
    HMODULE module = LoadLibraryW(L"Hanvel.dll");
    const auto getImp = module ? reinterpret_cast<IHanvel* (*)()>(reinterpret_cast<void (*)()>(GetProcAddress(module, "GetImp"))) : nullptr;
    hanvel_ = getImp ? getImp() : nullptr;
    if (hanvel_)
        hanvel_->OnGathererStarted();
}

void CHanvelLink::DeletionStarting()
{
    if (hanvel_)
        hanvel_->OnDeletionStarting();
}
