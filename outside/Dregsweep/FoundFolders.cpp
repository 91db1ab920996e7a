#include "FoundFolders.h"

CFoundFolders::CFoundFolders(const JunkFindings& findings) : findings_(findings), reached_(findings.folders.size()) {}

CFoundFolders::NodePtr CFoundFolders::Reach(uint32_t index)
{
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (NodePtr known = reached_[index].lock())
            return known;
    }
    const FoundFolder& folder = findings_.folders[index];
    NodePtr node;
    if (folder.parent == FoundFolder::kNoParent) {
        node = std::make_shared<const Node>(nullptr, findings_.chains[folder.chain]);
    } else {
        NodePtr parent = Reach(folder.parent);
        const CHeldFolder& above = parent->folder;
        if (above.GetState() != CHeldFolder::State::Held)
            return parent;  // what holds it is not the folder listed: neither is anything below
        node = std::make_shared<const Node>(parent, above, folder.path.substr(folder.path.rfind(L'\\') + 1),
                                            folder.volume, folder.fileIndex);
    }
    std::lock_guard<std::mutex> guard(lock_);
    reached_[index] = node;
    return node;
}
