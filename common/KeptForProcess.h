// For objects whose library gives no way to release them: whoever builds one keeps it for the life
// of the process. The list is never destroyed, so the objects are still held when the process
// ends. Not for use from several threads at once.
#pragma once

#include <vector>

template <class Object>
Object* KeptForProcess(Object* object)
{
    static auto* const kept = new std::vector<Object*>;
    if (object)
        kept->push_back(object);
    return object;
}
