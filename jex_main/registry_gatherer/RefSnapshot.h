// The objects of a list, each held by a reference for as long as the snapshot lives: a sink or
// collect context that calls back into the gatherer (Uninit, a new Init) cannot free an object
// that is still being handed out or scanned.
#pragma once

#include <vector>

template <class T>
class CRefSnapshot {
public:
    explicit CRefSnapshot(const std::vector<T*>& objects) : objects_(objects)
    {
        for (T* object : objects_)
            object->AddRef();
    }
    ~CRefSnapshot()
    {
        for (T* object : objects_)
            object->Release();
    }
    CRefSnapshot(const CRefSnapshot&) = delete;
    CRefSnapshot& operator=(const CRefSnapshot&) = delete;

    typename std::vector<T*>::const_iterator begin() const { return objects_.begin(); }
    typename std::vector<T*>::const_iterator end() const { return objects_.end(); }

private:
    std::vector<T*> objects_;
};
