// The shell's link object: CoCreateInstance(CLSID_ShellLink) gives an object that answers
// IShellLinkW (the link's target, texts, icon, hot key and show command) and IPersistFile (loading
// and saving a ".lnk" file in the documented shell-link format). What the object does not
// interpret of a loaded file is written back unchanged.
#pragma once

#include "platform/win/Com.h"
#include "platform/win/Files.h"

#pragma GCC visibility push(default)

// GetPath: the target in its short (8.3) form, as GetShortPathNameW gives it (the stored form
// when that query fails).
#define SLGP_SHORTPATH 0x1

#define STGM_READ 0x0
#define STGM_WRITE 0x1
#define STGM_READWRITE 0x2

extern const CLSID CLSID_ShellLink;
extern const IID IID_IShellLinkW;
extern const IID IID_IPersistFile;

// Texts are copied into the caller's buffer of cch characters, cut to fit and always terminated.
class IShellLinkW : public IUnknown {
public:
    // S_FALSE, with an empty text, when the link names no target. findData (optional) receives
    // what FindFirstFileW finds for the target, zeroes when it finds nothing.
    virtual HRESULT GetPath(LPWSTR file, int cch, WIN32_FIND_DATAW* findData, DWORD flags) = 0;
    virtual HRESULT GetDescription(LPWSTR name, int cch) = 0;
    virtual HRESULT SetDescription(LPCWSTR name) = 0;
    virtual HRESULT GetWorkingDirectory(LPWSTR folder, int cch) = 0;
    virtual HRESULT SetWorkingDirectory(LPCWSTR folder) = 0;
    virtual HRESULT GetArguments(LPWSTR arguments, int cch) = 0;
    virtual HRESULT SetArguments(LPCWSTR arguments) = 0;
    virtual HRESULT GetHotkey(WORD* hotKey) = 0;
    virtual HRESULT SetHotkey(WORD hotKey) = 0;
    virtual HRESULT GetShowCmd(int* showCommand) = 0;
    virtual HRESULT SetShowCmd(int showCommand) = 0;
    virtual HRESULT GetIconLocation(LPWSTR iconPath, int cch, int* index) = 0;
    virtual HRESULT SetIconLocation(LPCWSTR iconPath, int index) = 0;
    virtual HRESULT SetPath(LPCWSTR file) = 0;

protected:
    ~IShellLinkW() = default;
};

class IPersistFile : public IUnknown {
public:
    // A file that cannot be read gives the Windows error as an HRESULT; one that is not a whole
    // shell link gives E_FAIL and leaves the object empty.
    virtual HRESULT Load(LPCOLESTR fileName, DWORD mode) = 0;
    // fileName null: the file last loaded or saved under remember. The file is written beside
    // its place first and then put in place, so a failed save leaves the old file whole.
    virtual HRESULT Save(LPCOLESTR fileName, BOOL remember) = 0;

protected:
    ~IPersistFile() = default;
};

#pragma GCC visibility pop
