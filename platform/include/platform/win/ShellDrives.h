// The shell's namespace as the system walks it: the desktop, the computer with the machine's
// drives (display names, icons and attributes as the shell shows them), and the folders and files
// below each drive. Identifier lists keep Windows' form: items of a 16-bit size followed by their
// bytes, ended by a size of 0; the lists the functions hand out are allocated with CoTaskMemAlloc
// and freed with CoTaskMemFree.
#pragma once

#include "platform/win/Errors.h"
#include "platform/win/Types.h"
#include "platform/win/Unknown.h"

#pragma GCC visibility push(default)

typedef HANDLE HICON;

typedef struct _SHITEMID {
    USHORT cb;  // the item's size, this field included
    BYTE abID[1];
} SHITEMID;

typedef struct _ITEMIDLIST {
    SHITEMID mkid;
} ITEMIDLIST;

typedef ITEMIDLIST* LPITEMIDLIST;
typedef const ITEMIDLIST* LPCITEMIDLIST;
typedef ITEMIDLIST* PIDLIST_ABSOLUTE;
typedef const ITEMIDLIST* PCIDLIST_ABSOLUTE;
typedef ITEMIDLIST* PIDLIST_RELATIVE;
typedef const ITEMIDLIST* PCUIDLIST_RELATIVE;
typedef ITEMIDLIST* PITEMID_CHILD;
typedef const ITEMIDLIST* PCUITEMID_CHILD;

// Bind contexts are not used: pass null.
struct IBindCtx;

// What EnumObjects lists.
#define SHCONTF_FOLDERS 0x00000020u
#define SHCONTF_NONFOLDERS 0x00000040u
#define SHCONTF_INCLUDEHIDDEN 0x00000080u

// Attributes of an item.
#define SFGAO_CANRENAME 0x00000010u
#define SFGAO_DROPTARGET 0x00000100u
#define SFGAO_HIDDEN 0x00080000u
#define SFGAO_STREAM 0x00400000u
#define SFGAO_FILESYSANCESTOR 0x10000000u
#define SFGAO_FOLDER 0x20000000u
#define SFGAO_FILESYSTEM 0x40000000u
#define SFGAO_HASSUBFOLDER 0x80000000u

// What SHGetFileInfoW fills. Icon handles are not made here: ask for the system icon index.
#define SHGFI_PIDL 0x000000008u
#define SHGFI_DISPLAYNAME 0x000000200u
#define SHGFI_TYPENAME 0x000000400u
#define SHGFI_ATTRIBUTES 0x000000800u
#define SHGFI_SYSICONINDEX 0x000004000u

typedef struct _SHFILEINFOW {
    HICON hIcon;
    int iIcon;
    DWORD dwAttributes;
    WCHAR szDisplayName[MAX_PATH];
    WCHAR szTypeName[80];
} SHFILEINFOW;

class IEnumIDList : public IUnknown {
public:
    // Up to count child items (each a one-item list the caller frees); S_FALSE when fewer were left.
    virtual HRESULT Next(ULONG count, PITEMID_CHILD* items, ULONG* fetched) = 0;
};

class IShellFolder : public IUnknown {
public:
    // The desktop parses "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}" (the computer) and full paths
    // of existing files and folders ("D:\", "D:\Media\film.iso"); another folder parses names
    // relative to itself. A missing file fails with HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND).
    virtual HRESULT ParseDisplayName(HWND owner, IBindCtx* bindContext, LPWSTR displayName, ULONG* eaten,
                                     PIDLIST_RELATIVE* idList, ULONG* attributes) = 0;
    // The desktop lists the computer, the computer its drives (in letter order), a file-system
    // folder its entries in the file system's order.
    virtual HRESULT EnumObjects(HWND owner, DWORD flags, IEnumIDList** enumerator) = 0;
    // A folder below this one; E_INVALIDARG for an item that is not a folder (or an empty list),
    // HRESULT_FROM_WIN32 of the error when it is gone.
    virtual HRESULT BindToObject(PCUIDLIST_RELATIVE idList, IBindCtx* bindContext, REFIID riid, void** object) = 0;
};

class IShellFolder2 : public IShellFolder {};

extern const IID IID_IShellFolder;
extern const IID IID_IShellFolder2;
extern const IID IID_IEnumIDList;

LPVOID CoTaskMemAlloc(SIZE_T size);
void CoTaskMemFree(LPVOID memory);

// CSIDL_DESKTOP (an empty list), CSIDL_DRIVES (the computer) and the file-system folders of
// SHGetFolderPathW.
HRESULT SHGetSpecialFolderLocation(HWND owner, int csidl, PIDLIST_ABSOLUTE* idList);
HRESULT SHGetDesktopFolder(IShellFolder** folder);
// parent followed by child, newly allocated; null when both are null or memory runs out.
PIDLIST_ABSOLUTE ILCombine(PCIDLIST_ABSOLUTE parent, PCUIDLIST_RELATIVE child);

// Fills info for a path (or, with SHGFI_PIDL, an absolute identifier list passed in its place):
// the display name ("Data (D:)", "Local Disk (C:)", a file's name), the type name, the attributes
// and the system icon index. Returns the system image list with SHGFI_SYSICONINDEX, otherwise
// non-zero; 0 when the item does not exist.
DWORD_PTR SHGetFileInfoW(LPCWSTR path, DWORD fileAttributes, SHFILEINFOW* info, UINT infoSize, UINT flags);

// The file-system path of the item into a buffer of MAX_PATH characters ("D:\" for a drive);
// FALSE, with the buffer emptied, for an item without one or a path that does not fit.
BOOL SHGetPathFromIDListW(PCIDLIST_ABSOLUTE idList, LPWSTR path);

// The identifier list of an existing file or folder given by its full path; null (with the last
// error set) when it does not exist. Free it with ILFree.
PIDLIST_ABSOLUTE ILCreateFromPathW(LPCWSTR path);
void ILFree(PIDLIST_RELATIVE idList);

// Shows an item in the file manager. Only the form that names one item by its absolute list is
// known (count 0, no children): the item's folder is opened with the desktop's opener, as
// ShellExecuteW opens a folder (a drive opens itself); file managers reached that way cannot be
// told which entry to select. E_INVALIDARG for other forms and for items outside the file system,
// HRESULT_FROM_WIN32 of the error when the folder cannot be opened.
HRESULT SHOpenFolderAndSelectItems(PCIDLIST_ABSOLUTE folder, UINT count, PCUITEMID_CHILD* children, DWORD flags);

#pragma GCC visibility pop
