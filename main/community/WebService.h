// The transport of the community web service: the base address from the installed
// "kyphtupdate.ini" (section "update", key "website"), signed request URLs and POST requests
// through libcurl. Runs on the worker thread of the calling task; two tasks may run at once.
//
// A URL is base + path + "/sign/" + md5("time=<seconds>" + salt) in lower case + "/time/" +
// seconds; the message request drops the base's last four characters first. The salt is the
// build's QUARNEL_SIGN_SALT.
#pragma once

#include <cstddef>
#include <string>

enum ERequestType : int {
    REQUEST_REGISTER = 0,      // "/email_reg"
    REQUEST_LOGIN = 1,         // "/quarnel_login"
    REQUEST_CHANGE_PWD = 2,    // "/email_wjmm"
    REQUEST_MESSAGES = 3,      // "/Msg/msg_push"
};

// The base address; read on the first call that finds it empty, shared by all later ones.
std::string GetWebSite();

std::string MakeRequestUrl(ERequestType kind);

// POSTs an empty body to the URL, over http or https only, and collects the reply from its first
// "{" on (the whole reply when it holds none). Returns 0 or libcurl's code: 1 for any other
// scheme, 28 when the time-out passes, 30 when no handle can be made, 23 when the reply grows past
// MAX_REPLY_BYTES, HTTP_STATUS_FAILURE when the service answers with a status other than 2xx
// (redirects are not followed). TLS peer and host verification stay on; a failure is explained in
// the log, a missing certificate store (77) with where it was looked for.
int PostMsg(std::string url, std::string* reply);

// libcurl's own code for an HTTP error, which the tasks' codes (10 to 20) do not share.
constexpr int HTTP_STATUS_FAILURE = 22;

// The write callback of PostMsg; 0 (ending the transfer) for a null reply.
size_t OnRecvData(const char* data, size_t size, size_t nmemb, std::string* reply);

// A reply larger than this is refused rather than held in memory.
constexpr size_t MAX_REPLY_BYTES = 16 * 1024 * 1024;

// Asks for libcurl's set-up (CURL_GLOBAL_ALL), which the next request makes before its transfer:
// libcurl and the libraries under it are bound only when a request is sent. Returns 0.
int CurlGlobalInit();
void CurlGlobalCleanup();

// Test seams: the limit for connecting and for the whole transfer (60 s unless changed), the file
// of trusted certificate authorities (empty: the system's store), and forgetting the base address
// so that the next request reads the settings file again.
void SetTransferTimeoutMs(long milliseconds);
void SetCertificateAuthorities(const std::string& file);
void ForgetWebSite();
