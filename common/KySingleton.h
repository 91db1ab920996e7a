// The gatherers' factory exports hand out one object per process: the first call makes it, every
// later call adds a reference to the same object. The stored pointer is forgotten when the last
// reference is released, so a factory called again after that makes a fresh object instead of
// handing out freed memory. Calls of the factory must not overlap.
#pragma once

#include <new>

template <class TImpl>
class CKySingleton final : public TImpl {
public:
    // The export's body: `extern "C" IBulkseek* GetImp() { return CKySingleton<CBulkseek>::Get(); }`.
    // Null only when the first object cannot be allocated.
    static TImpl* Get()
    {
        if (instance_) {
            instance_->AddRef();
            return instance_;
        }
        instance_ = new (std::nothrow) CKySingleton();
        return instance_;
    }

    ~CKySingleton() override { instance_ = nullptr; }

private:
    CKySingleton() = default;

    static inline CKySingleton* instance_ = nullptr;
};
