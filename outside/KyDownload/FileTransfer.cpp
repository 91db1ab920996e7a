#include "FileTransfer.h"

#include "KyDownload.h"
#include "platform/Windows.h"

namespace {

const char kSchemes[] = "http,https";
constexpr long kMaxRedirects = 5;
constexpr long kConnectTimeoutSeconds = 30;
// A transfer that stays below one byte a second for this long has stalled.
constexpr long kStallSeconds = 60;

// What one transfer writes to, and what its callbacks found.
struct Landing {
    HANDLE file;
    uint64_t maxBytes;
    const std::atomic<bool>* cancelled;
    uint64_t received = 0;
    bool tooLarge = false;
};

size_t WriteToFile(char* data, size_t size, size_t count, void* context)
{
    auto* landing = static_cast<Landing*>(context);
    const size_t bytes = size * count;
    // A server that announces no length is held to the bound by what it sends.
    if (bytes > landing->maxBytes - landing->received) {
        landing->tooLarge = true;
        return 0;  // libcurl ends the transfer with a write error
    }
    DWORD written = 0;
    if (!WriteFile(landing->file, data, static_cast<DWORD>(bytes), &written, nullptr) || written != bytes)
        return 0;
    landing->received += bytes;
    return bytes;
}

// libcurl calls this about once a second even while nothing arrives, so a cancel is heard soon.
int HearCancel(void* context, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    return static_cast<Landing*>(context)->cancelled->load() ? 1 : 0;
}

std::wstring FolderOf(const std::wstring& path)
{
    const size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos)
        return L".";
    return slash == 0 ? path.substr(0, 1) : path.substr(0, slash);
}

int Failure(int result, DWORD error)
{
    SetLastError(error);
    return result;
}

int Fetch(TransferSession& session, const std::string& url, HANDLE file)
{
    Landing landing {file, session.maxBytes, &session.cancelled};
    CURL* curl = session.curl;
    curl_easy_reset(curl);
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, kSchemes);
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, kSchemes);
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, kMaxRedirects);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, kStallSeconds);
    // A server that trickles just above the stall rule would otherwise hold the caller for good.
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(session.deadlineMs));
    // Refused before the first byte when the server announces more.
    curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(session.maxBytes));
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, WriteToFile);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &landing);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, HearCancel);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &landing);
    const CURLcode code = session.cancelled ? CURLE_ABORTED_BY_CALLBACK : curl_easy_perform(curl);
    if (code == CURLE_UNSUPPORTED_PROTOCOL)
        return KYD_BAD_SCHEME;
    if (code == CURLE_FILESIZE_EXCEEDED || landing.tooLarge)
        return Failure(KYD_TOO_LARGE, ERROR_FILE_TOO_LARGE);
    if (code == CURLE_OPERATION_TIMEDOUT)
        return Failure(KYD_TIMED_OUT, ERROR_TIMEOUT);
    if (code == CURLE_ABORTED_BY_CALLBACK)
        return Failure(KYD_CANCELLED, ERROR_CANCELLED);
    if (code == CURLE_WRITE_ERROR)
        return KYD_FILE_ERROR;
    if (code != CURLE_OK)
        return KYD_TRANSFER_FAILED;
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    return status >= 200 && status < 300 ? KYD_OK : KYD_HTTP_ERROR;
}

} // namespace

int TransferToFile(TransferSession& session, const std::string& url, const std::wstring& destFile)
{
    wchar_t partial[MAX_PATH] = {};
    if (GetTempFileNameW(FolderOf(destFile).c_str(), L"kyd", 0, partial) == 0)
        return KYD_FILE_ERROR;
    HANDLE file = CreateFileW(partial, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        DeleteFileW(partial);
        return KYD_FILE_ERROR;
    }
    int result = Fetch(session, url, file);
    DWORD error = GetLastError();
    if (!CloseHandle(file) && result == KYD_OK) {
        result = KYD_FILE_ERROR;
        error = GetLastError();
    }
    if (result == KYD_OK && !MoveFileExW(partial, destFile.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        result = KYD_FILE_ERROR;
        error = GetLastError();
    }
    // The removal's own outcome must not hide why the transfer failed.
    if (result != KYD_OK) {
        DeleteFileW(partial);
        SetLastError(error);
    }
    return result;
}
