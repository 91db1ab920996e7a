#include "UpdateLibrary.h"

#include "common/ProcAddress.h"
#include "update/IUnzipFile.h"
#include "update/IUpdateFixt.h"

#include <cinttypes>
#include <cstdio>

namespace {

HMODULE UpdateModule()
{
    static const HMODULE module = LoadLibraryW(L"Update.dll");
    return module;
}

template <typename Interface>
Interface* Make(const char* name)
{
    typedef Interface* (*Factory)();
    const HMODULE module = UpdateModule();
    const Factory factory = module ? ProcAddress<Factory>(module, name) : nullptr;
    return factory ? factory() : nullptr;
}

} // namespace

IUpdateFixt* UpdateFetcher()
{
    static IUpdateFixt* const fetcher = Make<IUpdateFixt>("BuildUpdateObj");
    return fetcher;
}

IUnzipFile* CreateExtractor()
{
    return Make<IUnzipFile>("CreateUnzipFile");
}

std::string ResultText(OpResult result)
{
    char text[32];
    std::snprintf(text, sizeof text, "0x%" PRIx64, static_cast<uint64_t>(result));
    return text;
}
