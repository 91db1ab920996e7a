// The update fetcher of the Update library, handed out by the export BuildUpdateObj: reads update
// descriptions, compares their builds and downloads through the outside download library.
#pragma once

#include "common/OpResult.h"
#include "platform/Windows.h"

#define UPDATE_FLAG_NEWER 0x1u   // a newer build is offered (set by CheckUpdate)
#define UPDATE_FLAG_FORCED 0x2u  // the update is forced ("force" bit 0)

struct _Update_Info_ {
    DWORD flags;
    wchar_t des[MAX_PATH];
    wchar_t url[MAX_PATH];
    wchar_t build[32];  // four numbers separated by single characters: a.b.c.d
    wchar_t config[MAX_PATH];  // where the next description is read: a URL or a file path
};

// Kept for the life of the process by its caller; never deleted through this interface.
class IUpdateFixt {
public:
    // True when the description named by the installed one offers a newer build.
    virtual bool CheckUpdate(_Update_Info_* info) = 0;
    virtual OpResult Download(const wchar_t* url, const wchar_t* destFile) = 0;
    // Accepts anything and changes nothing.
    virtual OpResult ValidateArgs(const wchar_t* text, void* out) = 0;
    // Reads a description from a file, or from a URL when the source names one.
    virtual OpResult ReadUpdateInfo(const wchar_t* source, _Update_Info_* info) = 0;

protected:
    ~IUpdateFixt() = default;
};

extern "C" IUpdateFixt* BuildUpdateObj();
