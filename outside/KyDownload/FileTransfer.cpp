#include "FileTransfer.h"

#include "KyDownload.h"
#include "platform/Windows.h"

namespace {

const char kSchemes[] = "http,https";
constexpr long kMaxRedirects = 5;
constexpr long kConnectTimeoutSeconds = 30;
// A transfer that stays below one byte a second for this long has stalled.
constexpr long kStallSeconds = 60;

size_t WriteToFile(char* data, size_t size, size_t count, void* file)
{
    const size_t bytes = size * count;
    DWORD written = 0;
    if (!WriteFile(static_cast<HANDLE>(file), data, static_cast<DWORD>(bytes), &written, nullptr) || written != bytes)
        return 0;  // libcurl ends the transfer with a write error
    return bytes;
}

std::wstring FolderOf(const std::wstring& path)
{
    const size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos)
        return L".";
    return slash == 0 ? path.substr(0, 1) : path.substr(0, slash);
}

int Fetch(CURL* session, const std::string& url, HANDLE file)
{
    curl_easy_reset(session);
    curl_easy_setopt(session, CURLOPT_URL, url.c_str());
    curl_easy_setopt(session, CURLOPT_PROTOCOLS_STR, kSchemes);
    curl_easy_setopt(session, CURLOPT_REDIR_PROTOCOLS_STR, kSchemes);
    curl_easy_setopt(session, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(session, CURLOPT_MAXREDIRS, kMaxRedirects);
    curl_easy_setopt(session, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(session, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
    curl_easy_setopt(session, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(session, CURLOPT_LOW_SPEED_TIME, kStallSeconds);
    curl_easy_setopt(session, CURLOPT_WRITEFUNCTION, WriteToFile);
    curl_easy_setopt(session, CURLOPT_WRITEDATA, file);
    const CURLcode code = curl_easy_perform(session);
    if (code == CURLE_UNSUPPORTED_PROTOCOL)
        return KYD_BAD_SCHEME;
    if (code == CURLE_WRITE_ERROR)
        return KYD_FILE_ERROR;
    if (code != CURLE_OK)
        return KYD_TRANSFER_FAILED;
    long status = 0;
    curl_easy_getinfo(session, CURLINFO_RESPONSE_CODE, &status);
    return status >= 200 && status < 300 ? KYD_OK : KYD_HTTP_ERROR;
}

} // namespace

int TransferToFile(CURL* session, const std::string& url, const std::wstring& destFile)
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
    if (!CloseHandle(file) && result == KYD_OK)
        result = KYD_FILE_ERROR;
    if (result == KYD_OK && !MoveFileExW(partial, destFile.c_str(), MOVEFILE_REPLACE_EXISTING))
        result = KYD_FILE_ERROR;
    if (result != KYD_OK)
        DeleteFileW(partial);
    return result;
}
