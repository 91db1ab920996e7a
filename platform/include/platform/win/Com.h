// COM as a Windows program meets it here: each thread joins an apartment before it creates
// objects, and classes are found through the machine's registry (HKEY_CLASSES_ROOT\CLSID).
//
// The servers registered for a class are Windows code, which does not run here: a class whose
// server file is present gives a stand-in class object that answers IUnknown and IClassFactory,
// and whose instances answer IUnknown only. So a caller learns what Windows would tell it about
// registration and server files; an interface the real server would add is answered with
// E_NOINTERFACE. The shell's link class (CLSID_ShellLink, ShellLink.h) is the layer's own: it is
// served in process without a look at the registry.
#pragma once

#include "platform/win/Errors.h"
#include "platform/win/Unknown.h"

#pragma GCC visibility push(default)

typedef GUID CLSID;
typedef const CLSID& REFCLSID;
typedef const wchar_t* LPCOLESTR;

#define COINIT_APARTMENTTHREADED 0x2
#define COINIT_MULTITHREADED 0x0
#define COINIT_DISABLE_OLE1DDE 0x4
#define COINIT_SPEED_OVER_MEMORY 0x8

#define CLSCTX_INPROC_SERVER 0x1
#define CLSCTX_INPROC_HANDLER 0x2
#define CLSCTX_LOCAL_SERVER 0x4
#define CLSCTX_REMOTE_SERVER 0x10
#define CLSCTX_ALL (CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER)

#define RPC_E_CHANGED_MODE (static_cast<HRESULT>(0x80010106L))
#define CO_E_NOTINITIALIZED (static_cast<HRESULT>(0x800401F0L))
#define CO_E_CLASSSTRING (static_cast<HRESULT>(0x800401F3L))
#define CO_E_SERVER_EXEC_FAILURE (static_cast<HRESULT>(0x80080005L))
#define REGDB_E_CLASSNOTREG (static_cast<HRESULT>(0x80040154L))
#define CLASS_E_NOAGGREGATION (static_cast<HRESULT>(0x80040110L))

class IClassFactory : public IUnknown {
public:
    virtual HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** object) = 0;
    virtual HRESULT LockServer(BOOL lock) = 0;

protected:
    ~IClassFactory() = default;
};

extern const IID IID_IClassFactory;

// The calling thread's apartment: S_OK for the first call, S_FALSE for each further call in the
// same mode (each needs its CoUninitialize), RPC_E_CHANGED_MODE when the thread is in the other
// mode (that call needs none). CoInitialize is the single-threaded form; reserved must be null.
HRESULT CoInitialize(LPVOID reserved);
HRESULT CoInitializeEx(LPVOID reserved, DWORD coInit);
// Leaves the apartment once; the thread is out of it when its last successful call is balanced.
void CoUninitialize();

// "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}" only; CO_E_CLASSSTRING, with a zero identifier, for
// any other text (program identifiers are not looked up).
HRESULT CLSIDFromString(LPCOLESTR text, CLSID* classId);

// CO_E_NOTINITIALIZED outside an apartment; REGDB_E_CLASSNOTREG when the class has no server of
// the asked kinds; a missing in-process server file fails with HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND),
// a missing local server program with HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND). A server named
// without a folder is looked for in the system folder.
HRESULT CoGetClassObject(REFCLSID classId, DWORD classContext, LPVOID serverInfo, REFIID riid, LPVOID* object);
HRESULT CoCreateInstance(REFCLSID classId, IUnknown* outer, DWORD classContext, REFIID riid, LPVOID* object);

#pragma GCC visibility pop
