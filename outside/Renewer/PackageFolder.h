// The folder where Renewer downloads an update package (common/UpdatePackagePlace.h says where and
// why), held by handle from the program folder; nothing in it is reached through a link. A download
// lands under a name of its own; the SHA-256 digest of what landed is recorded beside it, and only
// then does it take the package's name, so that a package the main program finds always has its
// digest. An install takes only a package whose bytes, read once through one handle, have the
// digest recorded for them.
#pragma once

#include "common/HeldFolder.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CPackageFolder {
public:
    // The folder in the program folder (a Windows path, with or without its trailing backslash);
    // made where missing when make is set.
    CPackageFolder(const std::wstring& programFolder, bool make);

    // Empty when the folder is held; otherwise why not.
    const std::string& Failure() const { return failure_; }

    // Removes what the folder holds: an earlier package and its digest, and what a download cut
    // short left. Empty on success, otherwise why a package or digest stayed.
    std::string Clear() const;
    // The Windows path a download lands at.
    std::wstring LandingPath() const;
    // Records the digest of what landed and gives it the package's name; what landed goes when
    // that fails. Empty on success, otherwise why.
    std::string Record() const;
    // The package's bytes, when they have the digest recorded for them. Empty on success,
    // otherwise why the package is not taken.
    std::string Read(std::vector<uint8_t>& bytes) const;
    // Removes the package and its digest, once the package is installed.
    void Remove() const;

private:
    std::wstring path_;
    std::unique_ptr<CHeldFolder> program_;
    std::unique_ptr<CHeldFolder> folder_;
    std::string failure_;
};
