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

// What a download is; its kind bounds its size and its time (DownloadLimits.h).
enum class DownloadKind {
    Description,  // an update description, or the resource pack's
    Pack,         // the start-up assistant's resource pack
    Package,      // an update package
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
    // Download within the bounds of the kind; Download itself takes those of a package, the
    // largest. A download that overran its bound fails with ERROR_FILE_TOO_LARGE or ERROR_TIMEOUT
    // in the high half.
    virtual OpResult DownloadAs(DownloadKind kind, const wchar_t* url, const wchar_t* destFile) = 0;
    // From any thread: ends the download under way on this object within about a second, and makes
    // every later one fail at once (ERROR_CANCELLED in the high half), for an owner that is going.
    virtual void CancelDownloads() = 0;

protected:
    ~IUpdateFixt() = default;
};

extern "C" IUpdateFixt* BuildUpdateObj();
