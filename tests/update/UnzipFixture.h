// A machine of the test's own, an extractor, and the files an extraction left behind.
#pragma once

#include "ZipBuilder.h"
#include "support/TempMachine.h"
#include "update/IUnzipFile.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>

namespace update_test {

struct ReleaseUnzip {
    void operator()(IUnzipFile* unzip) const { unzip->Release(); }
};
struct ReleaseEntry {
    void operator()(IFileEntry* entry) const { entry->Release(); }
};
typedef std::unique_ptr<IFileEntry, ReleaseEntry> EntryPtr;

// The low half of a result: the failure site and its kind.
inline uint32_t Low(OpResult result) { return static_cast<uint32_t>(result); }
// The high half: the Windows error that tells why.
inline uint32_t High(OpResult result) { return static_cast<uint32_t>(result >> 32); }

class UnzipFixture : public testing::Test {
protected:
    UnzipFixture();

    // Writes the bytes to a file of the machine and returns its host path.
    std::string WriteArchive(const std::string& name, const std::string& bytes) const;
    OpResult OpenBuilt(const std::vector<ZipEntrySpec>& entries);
    // A folder below the machine root (not made).
    std::string Folder(const std::string& name) const;
    EntryPtr Entry(int index);

    testing_support::TempMachine machine_;
    std::unique_ptr<IUnzipFile, ReleaseUnzip> unzip_;
};

// The Windows path of a host path inside the machine.
std::wstring Wide(const std::string& hostPath);

// Every file and folder below a folder, relative, with '/' separators.
std::set<std::string> Listing(const std::string& folder);

} // namespace update_test
