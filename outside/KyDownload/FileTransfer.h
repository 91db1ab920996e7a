// One transfer of an http or https address into a file, within the bounds of its session.
#pragma once

#include <curl/curl.h>

#include <atomic>
#include <cstdint>
#include <string>

// A session of the library: libcurl's handle, the bounds of its downloads, and whether it has
// been cancelled (the one field another thread touches).
struct TransferSession {
    CURL* curl = nullptr;
    uint64_t maxBytes = 256ull << 20;
    uint32_t deadlineMs = 10 * 60 * 1000;
    std::atomic<bool> cancelled {false};
};

// Fetches url into destFile with the session: the content goes to a temporary file beside the
// destination, which takes the destination's name only when the server answered 2xx and every
// byte arrived within the session's bounds; otherwise it is removed and the destination is left as
// it was. Returns a KydResult; a failure that a bound or the cancel caused sets the last error.
int TransferToFile(TransferSession& session, const std::string& url, const std::wstring& destFile);
