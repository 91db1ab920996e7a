// The folder objects of the shell's namespace and the lists of their children.
#pragma once

#include "ShellItem.h"

#include <atomic>

namespace platform::shell {

// A COM object's reference count; the object deletes itself at zero.
template <class Interface>
class RefCounted : public Interface {
public:
    ULONG AddRef() override { return ++count_; }
    ULONG Release() override
    {
        const ULONG left = --count_;
        if (left == 0)
            delete this;
        return left;
    }

protected:
    virtual ~RefCounted() = default;

private:
    std::atomic<ULONG> count_{1};
};

class ShellFolderObject final : public RefCounted<IShellFolder2> {
public:
    explicit ShellFolderObject(ShellItem item) : item_(std::move(item)) {}

    HRESULT QueryInterface(REFIID riid, void** object) override;
    HRESULT ParseDisplayName(HWND owner, IBindCtx* bindContext, LPWSTR displayName, ULONG* eaten,
                             PIDLIST_RELATIVE* idList, ULONG* attributes) override;
    HRESULT EnumObjects(HWND owner, DWORD flags, IEnumIDList** enumerator) override;
    HRESULT BindToObject(PCUIDLIST_RELATIVE idList, IBindCtx* bindContext, REFIID riid, void** object) override;

private:
    ShellItem item_;
};

class IdListEnumerator final : public RefCounted<IEnumIDList> {
public:
    explicit IdListEnumerator(std::vector<ItemBytes> children) : children_(std::move(children)) {}

    HRESULT QueryInterface(REFIID riid, void** object) override;
    HRESULT Next(ULONG count, PITEMID_CHILD* items, ULONG* fetched) override;

private:
    std::vector<ItemBytes> children_;
    size_t next_ = 0;
};

} // namespace platform::shell
