// The folders of one rule's findings reached again by handle for their removal: each rule folder
// from its drive's folder down, every folder on the way checked to be the one its resolution
// recorded, and each folder below opened relative to the folder above it, held, and kept only
// where its handle shows the folder the walk listed. A folder held keeps the folders above it held,
// so that the folders a thread works in stay open while it goes from one to the next.
#pragma once

#include "JunkFindings.h"

#include "common/HeldFolder.h"

#include <memory>
#include <mutex>
#include <vector>

class CFoundFolders {
public:
    struct Node;
    using NodePtr = std::shared_ptr<const Node>;

    explicit CFoundFolders(const JunkFindings& findings);

    // The folder of the findings' index; its state tells whether it is the one listed (Held).
    NodePtr Reach(uint32_t index);

private:
    const JunkFindings& findings_;
    std::mutex lock_;
    std::vector<std::weak_ptr<const Node>> reached_;
};

struct CFoundFolders::Node {
    template <typename... Args>
    explicit Node(NodePtr above, Args&&... args) : parent(std::move(above)), folder(std::forward<Args>(args)...)
    {
    }

    NodePtr parent;
    CHeldFolder folder;
};
