#include "ShellItemProc.h"


namespace {

constexpr DWORD kNotEntered = FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE;

bool IsPlainFolder(DWORD attributes)
{
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & kNotEntered);
}

} // namespace

CShellItemProc::~CShellItemProc()
{
    if (folder_)
        folder_->Release();
    CoTaskMemFree(idList_);
}

HRESULT CShellItemProc::Bind(PIDLIST_ABSOLUTE idList)
{
    idList_ = idList;
    IShellFolder* desktop = nullptr;
    HRESULT result = SHGetDesktopFolder(&desktop);
    if (FAILED(result))
        return result;
    void* folder = nullptr;
    result = desktop->BindToObject(idList_, nullptr, IID_IShellFolder2, &folder);
    desktop->Release();
    folder_ = static_cast<IShellFolder2*>(folder);
    ReadInfo();
    return result;
}

bool CShellItemProc::ReadInfo()
{
    return SHGetFileInfoW(reinterpret_cast<LPCWSTR>(idList_), 0, &info_, sizeof(info_),
                          SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_DISPLAYNAME | SHGFI_TYPENAME | SHGFI_ATTRIBUTES) != 0;
}

std::wstring CShellItemProc::Path() const
{
    WCHAR path[MAX_PATH];
    return SHGetPathFromIDListW(idList_, path) ? path : L"";
}

bool CShellItemProc::Walk(const FileStep& fileStep, const FolderStep& folderStep, const FolderWalk& walkFolder) const
{
    std::wstring path = Path();
    if (!path.empty()) {
        if (path.back() == L'\\')
            path.pop_back();
        if (folderStep(path))
            return walkFolder(path, fileStep, folderStep);
    }
    const DWORD flags = path.empty() ? SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN
                                     : SHCONTF_FOLDERS | SHCONTF_INCLUDEHIDDEN;
    bool goOn = true;
    ForEachChild(flags, [&](IdList& child) {
        WCHAR childPath[MAX_PATH];
        if (!SHGetPathFromIDListW(child.get(), childPath)) {
            CShellItemProc item;
            if (SUCCEEDED(item.Bind(child.release())))
                goOn = item.Walk(fileStep, folderStep, walkFolder);
            return goOn;
        }
        std::wstring folder = childPath;
        const bool plain = IsPlainFolder(GetFileAttributesW(folder.c_str()));
        if (folder.back() == L'\\')
            folder.pop_back();
        if (plain && folderStep(folder))
            goOn = walkFolder(folder, fileStep, folderStep);
        return goOn;
    });
    return goOn;
}

void CShellItemProc::ForEachChild(DWORD flags, const std::function<bool(IdList& child)>& visit) const
{
    IEnumIDList* children = nullptr;
    if (!folder_ || FAILED(folder_->EnumObjects(nullptr, flags, &children)) || !children)
        return;
    PITEMID_CHILD relative = nullptr;
    ULONG fetched = 0;
    bool goOn = true;
    while (goOn && children->Next(1, &relative, &fetched) == S_OK && fetched == 1) {
        IdList child(ILCombine(idList_, relative));
        CoTaskMemFree(relative);
        goOn = !child || visit(child);
    }
    children->Release();
}
