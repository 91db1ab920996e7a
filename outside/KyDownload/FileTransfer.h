// One transfer of an http or https address into a file.
#pragma once

#include <curl/curl.h>

#include <string>

// Fetches url into destFile with the session: the content goes to a temporary file beside the
// destination, which takes the destination's name only when the server answered 2xx and every
// byte arrived; otherwise it is removed and the destination is left as it was. Returns a KydResult.
int TransferToFile(CURL* session, const std::string& url, const std::wstring& destFile);
