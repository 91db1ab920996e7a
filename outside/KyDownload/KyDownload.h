// The download library's entry points, bound by name. Every one returns 0 on success.
#pragma once

enum KydResult {
    KYD_OK = 0,
    KYD_BAD_ARGUMENT = 1,    // a null handle, address or file name
    KYD_BAD_SCHEME = 2,      // the address is neither http nor https
    KYD_TRANSFER_FAILED = 3, // no connection, a cut connection
    KYD_HTTP_ERROR = 4,      // the server answered with a status other than 2xx
    KYD_FILE_ERROR = 5,      // the destination could not be written
    KYD_NO_RESOURCES = 6,    // the transfer could not be set up
    KYD_TOO_LARGE = 7,       // the server announced or sent more bytes than the session takes
    KYD_TIMED_OUT = 8,       // no connection in time, a stall, or the session's deadline passed
    KYD_CANCELLED = 9,       // kyd_cancel ended it
};

// *handle receives a new session, released by kyd_uninit. Until kyd_set_limits says otherwise, a
// download of the session takes at most 256 MiB and 10 minutes.
extern "C" int kyd_init(void** handle);
// Stores the content of url in destFile (replacing it) only when all of it arrived. The last three
// arguments are accepted as the callers pass them (0, 0, 1) and change nothing. A failure sets the
// last error: ERROR_FILE_TOO_LARGE, ERROR_TIMEOUT or ERROR_CANCELLED where one of those ended it.
extern "C" int kyd_download(void* handle, const wchar_t* url, const wchar_t* destFile, int, int, int);
// The bounds of the session's later downloads: at most maxBytes (above 0), all of them within
// deadlineMs (above 0) of the download's start, connecting included.
extern "C" int kyd_set_limits(void* handle, unsigned long long maxBytes, unsigned int deadlineMs);
// Ends the session's download under way within about a second, and makes every later one of the
// session fail at once. Safe from any thread while kyd_download runs, never after kyd_uninit.
extern "C" int kyd_cancel(void* handle);
extern "C" int kyd_uninit(void* handle);
