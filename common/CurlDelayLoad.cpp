// libcurl's calls, bound to the library by the first of them instead of when the program starts:
// libcurl brings some thirty libraries with it (TLS, Kerberos, LDAP, SSH, RTMP, ...) that are only
// needed once a transfer is made, and mapping and binding them costs a window's start. What a
// delay-loaded import is to a Windows program. A deliverable that links this library in place of
// libcurl calls libcurl's own names. Without libcurl every call fails as libcurl does when it lacks
// resources: no handle, no version record, CURLE_FAILED_INIT.

#include <curl/curl.h>

#include <cstdarg>

#include <dlfcn.h>

namespace {

struct SCurlCalls {
    decltype(&curl_global_init) globalInit;
    decltype(&curl_global_cleanup) globalCleanup;
    decltype(&curl_version_info) versionInfo;
    decltype(&curl_easy_init) easyInit;
    decltype(&curl_easy_setopt) easySetopt;
    decltype(&curl_easy_perform) easyPerform;
    decltype(&curl_easy_getinfo) easyGetinfo;
    decltype(&curl_easy_reset) easyReset;
    decltype(&curl_easy_cleanup) easyCleanup;
};

template <class Call>
bool Bind(void* library, const char* name, Call& call)
{
    call = reinterpret_cast<Call>(dlsym(library, name));
    return call != nullptr;
}

// Null when libcurl or one of these calls is missing. Bound once, by whichever thread calls first;
// the library stays for the life of the process.
const SCurlCalls* Curl()
{
    static const SCurlCalls* const calls = []() -> const SCurlCalls* {
        void* library = dlopen(QUARNEL_LIBCURL_FILE, RTLD_LAZY | RTLD_LOCAL);
        if (!library)
            return nullptr;
        static SCurlCalls bound {};
        const bool complete = Bind(library, "curl_global_init", bound.globalInit) &&
                              Bind(library, "curl_global_cleanup", bound.globalCleanup) &&
                              Bind(library, "curl_version_info", bound.versionInfo) &&
                              Bind(library, "curl_easy_init", bound.easyInit) &&
                              Bind(library, "curl_easy_setopt", bound.easySetopt) &&
                              Bind(library, "curl_easy_perform", bound.easyPerform) &&
                              Bind(library, "curl_easy_getinfo", bound.easyGetinfo) &&
                              Bind(library, "curl_easy_reset", bound.easyReset) &&
                              Bind(library, "curl_easy_cleanup", bound.easyCleanup);
        return complete ? &bound : nullptr;
    }();
    return calls;
}

} // namespace

CURLcode curl_global_init(long flags)
{
    const SCurlCalls* curl = Curl();
    return curl ? curl->globalInit(flags) : CURLE_FAILED_INIT;
}

void curl_global_cleanup()
{
    if (const SCurlCalls* curl = Curl())
        curl->globalCleanup();
}

curl_version_info_data* curl_version_info(CURLversion version)
{
    const SCurlCalls* curl = Curl();
    return curl ? curl->versionInfo(version) : nullptr;
}

CURL* curl_easy_init()
{
    const SCurlCalls* curl = Curl();
    return curl ? curl->easyInit() : nullptr;
}

CURLcode curl_easy_setopt(CURL* handle, CURLoption option, ...)
{
    const SCurlCalls* curl = Curl();
    if (!curl)
        return CURLE_FAILED_INIT;
    // An option's number tells the type of its one argument.
    va_list arguments;
    va_start(arguments, option);
    CURLcode result = CURLE_OK;
    if (option < CURLOPTTYPE_OBJECTPOINT)
        result = curl->easySetopt(handle, option, va_arg(arguments, long));
    else if (option < CURLOPTTYPE_FUNCTIONPOINT || option >= CURLOPTTYPE_BLOB)
        result = curl->easySetopt(handle, option, va_arg(arguments, void*));
    else if (option < CURLOPTTYPE_OFF_T)
        result = curl->easySetopt(handle, option, va_arg(arguments, void (*)()));
    else
        result = curl->easySetopt(handle, option, va_arg(arguments, curl_off_t));
    va_end(arguments);
    return result;
}

CURLcode curl_easy_perform(CURL* handle)
{
    const SCurlCalls* curl = Curl();
    return curl ? curl->easyPerform(handle) : CURLE_FAILED_INIT;
}

CURLcode curl_easy_getinfo(CURL* handle, CURLINFO info, ...)
{
    const SCurlCalls* curl = Curl();
    if (!curl)
        return CURLE_FAILED_INIT;
    // Every answer is written through the one pointer given.
    va_list arguments;
    va_start(arguments, info);
    const CURLcode result = curl->easyGetinfo(handle, info, va_arg(arguments, void*));
    va_end(arguments);
    return result;
}

void curl_easy_reset(CURL* handle)
{
    if (const SCurlCalls* curl = Curl())
        curl->easyReset(handle);
}

void curl_easy_cleanup(CURL* handle)
{
    if (const SCurlCalls* curl = Curl())
        curl->easyCleanup(handle);
}
