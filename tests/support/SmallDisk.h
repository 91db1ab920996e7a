// A full disk for tests: a small file system of the test's own, mounted in a forked child that has
// mounts of its own (nothing of them reaches the host), and filled to its last byte.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace testing_support {

// One check of the child's: a failed one fails the test with what it says.
using DiskCheck = std::function<void(bool ok, const char* what)>;

// Runs body in a forked child with a small file system (of 1 MiB unless bytes says otherwise)
// mounted at folder, which must exist; the child's failed checks fail the test. Programs the body
// starts see the same file system. Skips the test where no file system can be mounted (it needs
// root, or mount and user namespaces), so the test ends with this call.
void OnSmallDisk(const std::string& folder, const std::function<void(const DiskCheck& check)>& body,
                 size_t bytes = 1 << 20);

// Fills the file system of folder to its last byte, with the file "filler" in that folder.
void FillDisk(const std::string& folder);

} // namespace testing_support
