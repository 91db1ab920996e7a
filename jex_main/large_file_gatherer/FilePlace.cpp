#include "FilePlace.h"

#include <algorithm>

CFolderWay::~CFolderWay()
{
    // A way held by nothing else goes with this one; taking its own way above first keeps the
    // stack flat however deep the tree. Ways are made as changeable objects (WayBelow), so taking
    // one apart is sound.
    std::shared_ptr<const CFolderWay> above = std::move(above_);
    while (above && above.use_count() == 1) {
        std::shared_ptr<const CFolderWay> further = std::move(const_cast<CFolderWay&>(*above).above_);
        above = std::move(further);
    }
}

FolderChain CFolderWay::Chain() const
{
    FolderChain chain;
    for (const CFolderWay* way = this; way; way = way->above_.get())
        chain.push_back(way->link_);
    std::reverse(chain.begin(), chain.end());
    return chain;
}

FolderWayPtr WayBelow(FolderWayPtr above, FolderLink link)
{
    return std::make_shared<CFolderWay>(std::move(above), std::move(link));
}

FolderWayPtr WayOf(const FolderChain& chain)
{
    FolderWayPtr way;
    for (const FolderLink& link : chain)
        way = WayBelow(std::move(way), link);
    return way;
}

HANDLE OpenPlaceForDeletion(const FilePlace& place, DWORD& error)
{
    if (!place.folder) {
        error = ERROR_DIRECTORY;
        return nullptr;
    }
    const folder_chain::Held folder = folder_chain::Reach(place.folder->Chain(), error);
    if (!folder) {
        if (!folder_chain::IsGone(error))
            error = ERROR_DIRECTORY;
        return nullptr;
    }
    return folder_chain::OpenEntry(folder.get(), place.name, DELETE | FILE_READ_ATTRIBUTES, 0, 0, error);
}
