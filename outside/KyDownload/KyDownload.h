// The download library's entry points, bound by name. Every one returns 0 on success.
#pragma once

enum KydResult {
    KYD_OK = 0,
    KYD_BAD_ARGUMENT = 1,    // a null handle, address or file name
    KYD_BAD_SCHEME = 2,      // the address is neither http nor https
    KYD_TRANSFER_FAILED = 3, // no connection, a cut connection, a timeout
    KYD_HTTP_ERROR = 4,      // the server answered with a status other than 2xx
    KYD_FILE_ERROR = 5,      // the destination could not be written
    KYD_NO_RESOURCES = 6,    // the transfer could not be set up
};

// *handle receives a new session, released by kyd_uninit.
extern "C" int kyd_init(void** handle);
// Stores the content of url in destFile (replacing it) only when all of it arrived. The last three
// arguments are accepted as the callers pass them (0, 0, 1) and change nothing.
extern "C" int kyd_download(void* handle, const wchar_t* url, const wchar_t* destFile, int, int, int);
extern "C" int kyd_uninit(void* handle);
