#include "WebService.h"

#include "MD5Encryption.h"
#include "common/ModuleDir.h"
#include "common/WriteLog.h"
#include "platform/Text.h"
#include "platform/Windows.h"

#include <curl/curl.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <ctime>
#include <mutex>

#ifndef QUARNEL_SIGN_SALT
#error "QUARNEL_SIGN_SALT names the web service's signature salt"
#endif

namespace {

constexpr char SignSalt[] = QUARNEL_SIGN_SALT;
static_assert(sizeof SignSalt == 65, "the signature salt is 64 characters");

// Two tasks may make their first request at the same moment; the lock keeps the one-time read of
// the base address whole.
std::mutex g_webSiteLock;
char g_webSite[260] = {};

std::atomic<long> g_transferTimeoutMs{60 * 1000};

// The base address comes from a settings file that an update rewrites from what a server sent:
// no other scheme libcurl knows (file, dict, gopher, ...) may be reached through it, nor through
// a redirect.
const char kSchemes[] = "http,https";

std::mutex g_authoritiesLock;
std::string g_authoritiesFile;

// The sign-up page asks for libcurl's set-up when it is built, with the main window, long before
// any request. libcurl is bound by its first call, so the set-up is made with the first request
// instead, once, before anything else of libcurl runs.
std::atomic<bool> g_setUpAsked{false};
std::once_flag g_setUpMade;

void MakeAskedSetUp()
{
    if (g_setUpAsked)
        std::call_once(g_setUpMade, [] { curl_global_init(CURL_GLOBAL_ALL); });
}

const char* RequestPath(ERequestType kind)
{
    switch (kind) {
    case REQUEST_REGISTER: return "/email_reg";
    case REQUEST_LOGIN: return "/quarnel_login";
    case REQUEST_CHANGE_PWD: return "/email_wjmm";
    case REQUEST_MESSAGES: return "/Msg/msg_push";
    }
    return "";
}

size_t WriteReply(char* data, size_t size, size_t nmemb, void* reply)
{
    return OnRecvData(data, size, nmemb, static_cast<std::string*>(reply));
}

std::string AuthoritiesFile()
{
    std::lock_guard<std::mutex> lock(g_authoritiesLock);
    return g_authoritiesFile;
}

// Where libcurl looks for the certificate authorities when it was not told otherwise.
std::string DefaultAuthoritiesText()
{
    const curl_version_info_data* info = curl_version_info(CURLVERSION_NOW);
    std::string where;
    if (info && info->age >= CURLVERSION_SEVENTH) {
        if (info->cainfo)
            where = info->cainfo;
        if (info->capath)
            where += (where.empty() ? "" : ", ") + std::string(info->capath);
    }
    return where.empty() ? "libcurl's built-in store" : where;
}

// Without the certificate authorities no HTTPS service can be reached at all, which the bare
// result code does not make plain.
void LogTransferFailure(int result, const char* detail)
{
    if (result == CURLE_SSL_CACERT_BADFILE) {
        const std::string file = AuthoritiesFile();
        WriteLogA("PostMsg : the certificate store (%s) is missing or cannot be read, so no HTTPS service can be "
                  "reached; install the system's certificate authorities",
                  (file.empty() ? DefaultAuthoritiesText() : file).c_str());
    } else if (result == CURLE_PEER_FAILED_VERIFICATION) {
        WriteLogA("PostMsg : the service's certificate is not trusted: not signed by a known certificate authority, "
                  "or not made out to its host");
    }
    if (detail[0] != '\0')
        WriteLogA("PostMsg : %s", detail);
}

} // namespace

std::string GetWebSite()
{
    std::lock_guard<std::mutex> lock(g_webSiteLock);
    if (g_webSite[0] == '\0') {
        const std::wstring folder = GetModuleDir();
        if (!folder.empty()) {
            const std::string settings = platform::ToUtf8(folder + L"kyphtupdate.ini");
            GetPrivateProfileStringA("update", "website", "", g_webSite, sizeof g_webSite, settings.c_str());
        }
    }
    return g_webSite;
}

std::string MakeRequestUrl(ERequestType kind)
{
    std::string base = GetWebSite();
    if (kind == REQUEST_MESSAGES && base.size() >= 4)
        base.resize(base.size() - 4);
    // One reading of the clock serves both the signature and the URL.
    const std::string seconds = std::to_string(static_cast<long long>(std::time(nullptr)));
    const std::string signing = "time=" + seconds + SignSalt;
    return base + RequestPath(kind) + "/sign/" + GetMd5LowerHex(signing) + "/time/" + seconds;
}

int PostMsg(std::string url, std::string* reply)
{
    MakeAskedSetUp();
    CURL* handle = curl_easy_init();
    int result = 30;
    char detail[CURL_ERROR_SIZE] = {};
    if (handle) {
        const long timeoutMs = g_transferTimeoutMs;
        curl_easy_setopt(handle, CURLOPT_POST, 1L);
        curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
        curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, kSchemes);
        curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, kSchemes);
        // Every parameter travels in the path: the body is empty, and said to be, so that nothing
        // is read from standard input and no chunking or 100-continue wait comes into play.
        curl_easy_setopt(handle, CURLOPT_POSTFIELDS, "");
        curl_easy_setopt(handle, CURLOPT_POSTFIELDSIZE, 0L);
        curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, timeoutMs);
        curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, timeoutMs);
        // Requests run on worker threads, where libcurl must not use signals for its time-outs.
        curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, WriteReply);
        curl_easy_setopt(handle, CURLOPT_WRITEDATA, reply);
        curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, detail);
        const std::string authorities = AuthoritiesFile();
        if (!authorities.empty()) {
            curl_easy_setopt(handle, CURLOPT_CAINFO, authorities.c_str());
            curl_easy_setopt(handle, CURLOPT_CAPATH, static_cast<const char*>(nullptr));
        }
        result = curl_easy_perform(handle);
        if (result == CURLE_OK) {
            // An error page is no answer of the service, whatever its body holds.
            long status = 0;
            curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
            if (status < 200 || status > 299) {
                result = HTTP_STATUS_FAILURE;
                std::snprintf(detail, sizeof detail, "the service answered with HTTP status %ld", status);
            }
        }
    }
    WriteLogA("PostMsg : %d", result);
    if (result != CURLE_OK)
        LogTransferFailure(result, detail);
    if (handle)
        curl_easy_cleanup(handle);
    return result;
}

size_t OnRecvData(const char* data, size_t size, size_t nmemb, std::string* reply)
{
    if (!reply)
        return 0;
    const size_t bytes = size * nmemb;
    if (bytes > MAX_REPLY_BYTES - std::min(reply->size(), MAX_REPLY_BYTES))
        return 0;
    // Text before the reply's first "{" (a byte-order mark, blanks) is dropped; once the reply
    // starts there, every later chunk is kept whole.
    const bool started = !reply->empty() && reply->front() == '{';
    const size_t searchFrom = reply->size();
    reply->append(data, bytes);
    if (!started) {
        const size_t brace = reply->find('{', searchFrom);
        if (brace != std::string::npos)
            reply->erase(0, brace);
    }
    return bytes;
}

int CurlGlobalInit()
{
    g_setUpAsked = true;
    return CURLE_OK;
}

void CurlGlobalCleanup()
{
    curl_global_cleanup();
}

void SetTransferTimeoutMs(long milliseconds)
{
    g_transferTimeoutMs = milliseconds;
}

void SetCertificateAuthorities(const std::string& file)
{
    std::lock_guard<std::mutex> lock(g_authoritiesLock);
    g_authoritiesFile = file;
}

void ForgetWebSite()
{
    std::lock_guard<std::mutex> lock(g_webSiteLock);
    g_webSite[0] = '\0';
}
