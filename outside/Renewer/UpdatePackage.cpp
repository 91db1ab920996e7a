#include "UpdatePackage.h"

#include "PackageFolder.h"
#include "UpdateLibrary.h"

#include "platform/Text.h"
#include "platform/Windows.h"
#include "update/IUpdateFixt.h"

void CheckForUpdate()
{
    if (IUpdateFixt* fetcher = UpdateFetcher()) {
        _Update_Info_ offer = {};
        fetcher->CheckUpdate(&offer);
    }
}

std::string DownloadUpdatePackage(const std::wstring& programFolder)
{
    const CPackageFolder folder(programFolder, true);
    if (!folder.Failure().empty())
        return folder.Failure();
    if (const std::string cleared = folder.Clear(); !cleared.empty())
        return cleared;

    IUpdateFixt* fetcher = UpdateFetcher();
    if (!fetcher)
        return "the Update library cannot be loaded";
    _Update_Info_ offer = {};
    if (!fetcher->CheckUpdate(&offer))
        return "no newer update is offered";
    // The download library hands over the file only once every byte arrived, within a package's
    // bounds of size and time.
    if (const OpResult result = fetcher->DownloadAs(DownloadKind::Package, offer.url, folder.LandingPath().c_str()))
        return "the package " + platform::ToUtf8(offer.url) + " was not downloaded (" + ResultText(result) + ")";
    return folder.Record();
}
