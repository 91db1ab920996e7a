// The folder objects of the shell's namespace and the lists of their children.
#pragma once

#include "ShellItem.h"

#include "platform/RefCounted.h"

namespace platform::shell {

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
