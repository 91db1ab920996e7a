#include "CleanupExports.h"

#include "FixPageId.h"

#include "platform/Text.h"
#include "platform/Windows.h"

namespace {

const wchar_t kCleanupLibrary[] = L"Sweepdeck.dll";

IExportWidget* g_sysCleanExport = nullptr;
IExportWidget* g_largeFileExport = nullptr;

} // namespace

void* LoadProcFromLibrary(const wchar_t* library, const char* procedure)
{
    const HMODULE module = LoadLibraryW(library);
    return module ? reinterpret_cast<void*>(GetProcAddress(module, procedure)) : nullptr;
}

IExportWidget* GetSysCleanExport()
{
    return g_sysCleanExport;
}

IExportWidget* GetLargeFileExport()
{
    return g_largeFileExport;
}

IExportWidget* MakeCleanupExport(int pageType, QWidget* parent)
{
    IExportWidget** kept = pageType == PAGE_SYSTEM_CLEANUP       ? &g_sysCleanExport
                           : pageType == PAGE_LARGE_FILE_CLEANUP ? &g_largeFileExport
                                                                 : nullptr;
    if (!kept || *kept)
        return nullptr;
    const char* exportName = pageType == PAGE_SYSTEM_CLEANUP ? "BuildSysCleanExportWgt" : "BuildLargeFileExportWgt";
    const auto build = reinterpret_cast<BuildExportWgtFunc>(LoadProcFromLibrary(kCleanupLibrary, exportName));
    if (!build)
        return nullptr;
    *kept = build(parent);
    return *kept;
}
