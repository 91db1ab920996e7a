// The update fetcher handed out by BuildUpdateObj.
#pragma once

#include "update/IUpdateFixt.h"

#include <string>

// The outside download library's entry points.
typedef int (*KydInitProc)(void** handle);
typedef int (*KydUninitProc)(void* handle);
typedef int (*KydDownloadProc)(void* handle, const wchar_t* url, const wchar_t* destFile, int, int, int);

class CUpdateFixt : public IUpdateFixt {
public:
    // Binds KyDownload when it is there; the library is never freed.
    CUpdateFixt();
    virtual ~CUpdateFixt() = default;

    bool CheckUpdate(_Update_Info_* info) override;
    OpResult Download(const wchar_t* url, const wchar_t* destFile) override;
    OpResult ValidateArgs(const wchar_t* text, void* out) override;
    OpResult ReadUpdateInfo(const wchar_t* source, _Update_Info_* info) override;

private:
    KydInitProc kyd_init_ = nullptr;
    KydUninitProc kyd_uninit_ = nullptr;
    KydDownloadProc kyd_download_ = nullptr;
};
