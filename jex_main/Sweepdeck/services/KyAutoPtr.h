// Owns one plug-in object: adopts the reference its factory handed out (never adding one) and gives
// it back through IKyObject::Release when reset or destroyed.
#pragma once

#include "common/KyObject.h"

template <class T>
class CKyAutoPtr {
public:
    CKyAutoPtr() = default;
    virtual ~CKyAutoPtr() { Release(); }
    CKyAutoPtr(const CKyAutoPtr&) = delete;
    CKyAutoPtr& operator=(const CKyAutoPtr&) = delete;

    // Releases the object held before, then keeps the new one.
    void Attach(T* object)
    {
        Release();
        object_ = object;
    }

    // Hands the object over without releasing it.
    T* Detach()
    {
        T* object = object_;
        object_ = nullptr;
        return object;
    }

    T* Get() const { return object_; }
    T* operator->() const { return object_; }

    void Release()
    {
        // Emptied first, so that nothing reached from the object's own release sees it still held.
        if (T* object = Detach())
            static_cast<IKyObject*>(object)->Release();
    }

private:
    T* object_ = nullptr;
};
