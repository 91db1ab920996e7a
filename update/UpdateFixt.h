// The update fetcher handed out by BuildUpdateObj.
#pragma once

#include "update/IUpdateFixt.h"

#include <mutex>
#include <string>
#include <vector>

// The outside download library's entry points.
typedef int (*KydInitProc)(void** handle);
typedef int (*KydUninitProc)(void* handle);
typedef int (*KydDownloadProc)(void* handle, const wchar_t* url, const wchar_t* destFile, int, int, int);
typedef int (*KydSetLimitsProc)(void* handle, unsigned long long maxBytes, unsigned int deadlineMs);
typedef int (*KydCancelProc)(void* handle);

class CUpdateFixt : public IUpdateFixt {
public:
    // Binds KyDownload when it is there; the library is never freed.
    CUpdateFixt();
    virtual ~CUpdateFixt() = default;

    bool CheckUpdate(_Update_Info_* info) override;
    OpResult Download(const wchar_t* url, const wchar_t* destFile) override;
    OpResult ValidateArgs(const wchar_t* text, void* out) override;
    OpResult ReadUpdateInfo(const wchar_t* source, _Update_Info_* info) override;
    OpResult DownloadAs(DownloadKind kind, const wchar_t* url, const wchar_t* destFile) override;
    void CancelDownloads() override;

    // Test seam: every kind's deadline in milliseconds in place of its own; 0 gives each its own.
    static void SetDeadlineForTests(unsigned int milliseconds);

private:
    // Registers a session for CancelDownloads; false when the object has been cancelled already.
    bool Enter(void* session);
    void Leave(void* session);

    KydInitProc kyd_init_ = nullptr;
    KydUninitProc kyd_uninit_ = nullptr;
    KydDownloadProc kyd_download_ = nullptr;
    KydSetLimitsProc kyd_set_limits_ = nullptr;
    KydCancelProc kyd_cancel_ = nullptr;
    std::mutex sessionsMutex_;
    std::vector<void*> sessions_;
    bool cancelled_ = false;
};
