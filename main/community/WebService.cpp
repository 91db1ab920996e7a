#include "WebService.h"

#include "MD5Encryption.h"
#include "common/ModuleDir.h"
#include "common/WriteLog.h"
#include "platform/Text.h"
#include "platform/Windows.h"

#include <curl/curl.h>

#include <algorithm>
#include <atomic>
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
    CURL* handle = curl_easy_init();
    int result = 30;
    if (handle) {
        const long timeoutMs = g_transferTimeoutMs;
        curl_easy_setopt(handle, CURLOPT_POST, 1L);
        curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
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
        result = curl_easy_perform(handle);
    }
    WriteLogA("PostMsg : %d", result);
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
    return curl_global_init(CURL_GLOBAL_ALL);
}

void CurlGlobalCleanup()
{
    curl_global_cleanup();
}

void SetTransferTimeoutMs(long milliseconds)
{
    g_transferTimeoutMs = milliseconds;
}

void ForgetWebSite()
{
    std::lock_guard<std::mutex> lock(g_webSiteLock);
    g_webSite[0] = '\0';
}
