// Handing a child the inheritable handles of its starter, as CreateProcessW does when asked to
// inherit handles: the child finds each under the value it had in the starter. Events and mutexes
// reach it with their memory, pipe ends with their descriptor; other kinds of handle reach a
// child only as its standard handles.
#pragma once

#include "platform/win/Handles.h"

#include <memory>
#include <string>
#include <vector>

namespace platform {

constexpr const char* kInheritedHandlesVariable = "QUARNEL_INHERITED_HANDLES";

struct Bequest {
    std::string variable;           // the child's kInheritedHandlesVariable entry, "" when none
    std::vector<int> descriptors;   // what becomes the child's descriptors from kFirstInherited on
    std::vector<std::shared_ptr<KernelObject>> held; // keeps those descriptors open until the start
};

constexpr int kFirstInheritedDescriptor = 10;

// The inheritable handles open in this process now.
Bequest BequeathHandles();

} // namespace platform
