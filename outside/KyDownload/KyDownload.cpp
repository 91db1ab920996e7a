#include "KyDownload.h"

#include "FileTransfer.h"
#include "platform/Windows.h"

#include <climits>
#include <cstring>
#include <mutex>
#include <new>
#include <strings.h>

namespace {

std::string Utf8(const wchar_t* text)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1)
        return std::string();
    std::string utf8(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8.data(), size, nullptr, nullptr);
    utf8.resize(static_cast<size_t>(size) - 1);
    return utf8;
}

bool HasWebScheme(const std::string& url)
{
    static const char* const kPrefixes[] = {"http://", "https://"};
    for (const char* prefix : kPrefixes)
        if (strncasecmp(url.c_str(), prefix, std::strlen(prefix)) == 0)
            return true;
    return false;
}

TransferSession* SessionOf(void* handle)
{
    return static_cast<TransferSession*>(handle);
}

} // namespace

extern "C" int kyd_init(void** handle)
{
    if (!handle)
        return KYD_BAD_ARGUMENT;
    *handle = nullptr;
    static std::once_flag once;
    static CURLcode global = CURLE_FAILED_INIT;
    std::call_once(once, [] { global = curl_global_init(CURL_GLOBAL_DEFAULT); });
    CURL* curl = global == CURLE_OK ? curl_easy_init() : nullptr;
    if (!curl)
        return KYD_NO_RESOURCES;
    auto* session = new (std::nothrow) TransferSession;
    if (!session) {
        curl_easy_cleanup(curl);
        return KYD_NO_RESOURCES;
    }
    session->curl = curl;
    *handle = session;
    return KYD_OK;
}

extern "C" int kyd_download(void* handle, const wchar_t* url, const wchar_t* destFile, int, int, int)
{
    if (!handle || !url || !destFile || !*destFile)
        return KYD_BAD_ARGUMENT;
    const std::string address = Utf8(url);
    if (!HasWebScheme(address))
        return KYD_BAD_SCHEME;
    return TransferToFile(*SessionOf(handle), address, destFile);
}

extern "C" int kyd_set_limits(void* handle, unsigned long long maxBytes, unsigned int deadlineMs)
{
    // libcurl takes the deadline as a long.
    if (!handle || maxBytes == 0 || deadlineMs == 0 || deadlineMs > static_cast<unsigned int>(LONG_MAX))
        return KYD_BAD_ARGUMENT;
    SessionOf(handle)->maxBytes = maxBytes;
    SessionOf(handle)->deadlineMs = deadlineMs;
    return KYD_OK;
}

extern "C" int kyd_cancel(void* handle)
{
    if (!handle)
        return KYD_BAD_ARGUMENT;
    SessionOf(handle)->cancelled = true;
    return KYD_OK;
}

extern "C" int kyd_uninit(void* handle)
{
    if (!handle)
        return KYD_BAD_ARGUMENT;
    curl_easy_cleanup(SessionOf(handle)->curl);
    delete SessionOf(handle);
    return KYD_OK;
}
