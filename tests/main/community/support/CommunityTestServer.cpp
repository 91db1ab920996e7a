#include "CommunityTestServer.h"

#include "WebService.h"
#include "support/TempMachine.h"
#include "platform/Machine.h"
#include "platform/Text.h"
#include "platform/Windows.h"

#include <cjson/cJSON.h>
#include <md5.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#ifndef QUARNEL_SIGN_SALT
#error "the test service checks signatures with the build's QUARNEL_SIGN_SALT"
#endif

namespace community_test {

namespace {

constexpr size_t MAX_HEAD_BYTES = 64 * 1024;
constexpr size_t MAX_BODY_BYTES = 1024 * 1024;

bool SendBytes(int client, const std::string& data)
{
    for (size_t sent = 0; sent < data.size();) {
        const ssize_t n = send(client, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}

std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string PercentDecoded(const std::string& text)
{
    std::string decoded;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() + 0 && std::isxdigit(static_cast<unsigned char>(text[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
            decoded += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            decoded += text[i];
        }
    }
    return decoded;
}

std::string Md5Hex(const std::string& text)
{
    char hex[MD5_DIGEST_STRING_LENGTH];
    MD5Data(reinterpret_cast<const uint8_t*>(text.data()), text.size(), hex);
    return hex;
}

// The request's head fields, method, target and body; the kind and parameters come from the
// target: "<prefix>/<kind>/sign/<s>/time/<t>/<name>/<value>...".
void ParseTarget(RecordedRequest& request)
{
    std::vector<std::string> parts;
    std::istringstream path(request.target);
    for (std::string part; std::getline(path, part, '/');)
        parts.push_back(part);
    size_t sign = 0;
    while (sign < parts.size() && parts[sign] != "sign")
        ++sign;
    if (sign < 2 || sign == parts.size())
        return;
    const std::string prefix = parts[sign - 2];
    const std::string kind = parts[sign - 1];
    if (prefix == "api" && kind == "email_reg")
        request.kind = RequestKind::Register;
    else if (prefix == "api" && kind == "quarnel_login")
        request.kind = RequestKind::Login;
    else if (prefix == "api" && kind == "email_wjmm")
        request.kind = RequestKind::ChangePwd;
    else if (prefix == "Msg" && kind == "msg_push")
        request.kind = RequestKind::Messages;
    for (size_t i = sign; i + 1 < parts.size(); i += 2)
        request.segments[parts[i]] = parts[i + 1];
    request.signatureValid = request.segments["sign"] == ExpectedSignature(request.segments["time"]);
}

ScriptedReply JsonReply(int status, cJSON* body)
{
    ScriptedReply reply;
    reply.status = status;
    char* text = cJSON_PrintUnformatted(body);
    reply.body = text;
    cJSON_free(text);
    cJSON_Delete(body);
    return reply;
}

ScriptedReply StateReply(int state)
{
    cJSON* body = cJSON_CreateObject();
    cJSON_AddNumberToObject(body, "state", state);
    return JsonReply(state == 403 ? 403 : 200, body);
}

cJSON* MessageItem(const ServerMessage& message)
{
    cJSON* item = cJSON_CreateObject();
    cJSON_AddStringToObject(item, "id", message.id.c_str());
    cJSON_AddStringToObject(item, "title", message.title.c_str());
    cJSON_AddStringToObject(item, "jsrq", "0");
    cJSON_AddStringToObject(item, "version", message.version.c_str());
    cJSON_AddStringToObject(item, "content", message.content.c_str());
    cJSON_AddStringToObject(item, "state", "1");
    cJSON_AddStringToObject(item, "isok", "1");
    cJSON_AddNumberToObject(item, "length", std::atof(message.length.c_str()));
    cJSON_AddStringToObject(item, "add_time", message.addTime.c_str());
    return item;
}

const char* Reason(int status)
{
    switch (status) {
    case 200: return "OK";
    case 302: return "Found";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 500: return "Internal Server Error";
    case 503: return "Service Unavailable";
    default: return "Reply";
    }
}

} // namespace

CCommunityTestServer::CCommunityTestServer()
{
    // Requests go to loopback; a proxy named by the host's environment must not take them.
    for (const char* name : {"http_proxy", "https_proxy", "HTTP_PROXY", "HTTPS_PROXY", "ALL_PROXY", "all_proxy"})
        unsetenv(name);
}

CCommunityTestServer::~CCommunityTestServer()
{
    // Wakes the pauses of answers still being given; the listener then waits for their threads.
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    stopped_.notify_all();
}

std::string CCommunityTestServer::WebSite() const
{
    return Address("/api");
}

void CCommunityTestServer::Install(const testing_support::TempMachine& machine) const
{
    InstallWebSite(WebSite(), machine);
}

void CCommunityTestServer::AddAccount(const std::string& email, const std::string& password, int64_t id)
{
    std::lock_guard<std::mutex> lock(mutex_);
    accounts_[email] = {password, id};
}

void CCommunityTestServer::AddMessage(const ServerMessage& message)
{
    std::lock_guard<std::mutex> lock(mutex_);
    messages_.push_back(message);
}

void CCommunityTestServer::AddFile(const std::string& path, const std::string& content)
{
    std::lock_guard<std::mutex> lock(mutex_);
    files_[path] = content;
}

std::string CCommunityTestServer::Address(const std::string& path) const
{
    return "http://127.0.0.1:" + std::to_string(listener_.Port()) + path;
}

void CCommunityTestServer::Script(RequestKind kind, const ScriptedReply& reply)
{
    std::lock_guard<std::mutex> lock(mutex_);
    scripts_[kind] = reply;
}

void CCommunityTestServer::ServeAt(const std::string& target, const ScriptedReply& reply)
{
    std::lock_guard<std::mutex> lock(mutex_);
    served_[target] = reply;
}

void CCommunityTestServer::ClearScripts()
{
    std::lock_guard<std::mutex> lock(mutex_);
    scripts_.clear();
    endless_.reset();
}

void CCommunityTestServer::AnswerEndlessly(const ServerMessage& message, bool newEachPage, const std::string& pageCount)
{
    std::lock_guard<std::mutex> lock(mutex_);
    endless_ = Endless {message, newEachPage, pageCount};
}

std::vector<RecordedRequest> CCommunityTestServer::Requests() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

// Reads one request (head, then as many body bytes as announced) and answers it.
void CCommunityTestServer::Serve(int client)
{
    std::string received;
    size_t headEnd = std::string::npos;
    size_t wanted = MAX_HEAD_BYTES;
    char buffer[16384];
    while (received.size() < wanted) {
        pollfd ready = {client, POLLIN, 0};
        const int polled = poll(&ready, 1, 20);
        if (polled < 0 || !Pause(0))
            return;
        if (polled == 0)
            continue;
        const ssize_t n = recv(client, buffer, sizeof buffer, 0);
        if (n <= 0)
            break;
        received.append(buffer, static_cast<size_t>(n));
        if (headEnd == std::string::npos && (headEnd = received.find("\r\n\r\n")) != std::string::npos) {
            const std::string head = Lower(received.substr(0, headEnd));
            const size_t length = head.find("\r\ncontent-length:");
            const size_t body = length == std::string::npos ? 0 : std::strtoul(head.c_str() + length + 17, nullptr, 10);
            wanted = headEnd + 4 + std::min(body, MAX_BODY_BYTES);
        }
    }
    if (headEnd == std::string::npos)
        return;

    RecordedRequest request;
    std::istringstream head(received.substr(0, headEnd));
    std::string line;
    std::getline(head, line);
    std::istringstream requestLine(line);
    requestLine >> request.method >> request.target;
    while (std::getline(head, line)) {
        const size_t colon = line.find(':');
        if (colon == std::string::npos)
            continue;
        std::string value = line.substr(colon + 1);
        value.erase(0, value.find_first_not_of(' '));
        if (!value.empty() && value.back() == '\r')
            value.pop_back();
        request.headers[Lower(line.substr(0, colon))] = value;
    }
    request.body = received.substr(headEnd + 4);
    ParseTarget(request);

    const ScriptedReply reply = Answer(request);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        requests_.push_back(request);
    }
    Send(client, reply);
}

ScriptedReply CCommunityTestServer::Answer(const RecordedRequest& request)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (const auto served = served_.find(request.target); served != served_.end())
        return served->second;
    const auto script = scripts_.find(request.kind);
    if (script != scripts_.end())
        return script->second;
    if (const auto file = files_.find(request.target); file != files_.end())
        return ScriptedReply{200, file->second};
    if (request.kind == RequestKind::Unknown)
        return ScriptedReply{404, "not found"};
    if (!request.signatureValid)
        return StateReply(403);

    const auto segment = [&request](const char* name) {
        const auto found = request.segments.find(name);
        return found == request.segments.end() ? std::string() : PercentDecoded(found->second);
    };
    const auto account = accounts_.find(segment("name"));
    const bool known = account != accounts_.end();
    switch (request.kind) {
    case RequestKind::Register:
        if (known)
            return StateReply(108);
        accounts_[segment("name")] = {std::string(), static_cast<int64_t>(accounts_.size() + 1)};
        return StateReply(107);
    case RequestKind::ChangePwd:
        return StateReply(known ? 116 : 112);
    case RequestKind::Login: {
        cJSON* body = cJSON_CreateObject();
        const int state = !known ? 112 : segment("pwd") != Md5Hex(account->second.first) ? 113 : 114;
        cJSON_AddNumberToObject(body, "state", state);
        cJSON* data = cJSON_AddObjectToObject(body, "data");
        if (state == 114)
            cJSON_AddStringToObject(cJSON_AddObjectToObject(data, "user"), "id",
                                    std::to_string(account->second.second).c_str());
        return JsonReply(200, body);
    }
    default: {
        const long page = std::max(1L, std::atol(segment("p").c_str()));
        const size_t perPage = static_cast<size_t>(std::max(1L, std::atol(segment("num").c_str())));
        cJSON* body = cJSON_CreateObject();
        cJSON_AddNumberToObject(body, "state", 202);
        cJSON* data = cJSON_AddObjectToObject(body, "data");
        if (endless_) {
            ServerMessage message = endless_->message;
            if (endless_->newEachPage) {
                message.id = std::to_string(page);
                message.title = "Message " + message.id;
            }
            cJSON_AddItemToObject(data, "0", MessageItem(message));
            cJSON_AddStringToObject(data, "pg_count", endless_->pageCount.c_str());
            return JsonReply(200, body);
        }
        for (size_t i = (page - 1) * perPage; i < messages_.size() && i < page * perPage; ++i)
            cJSON_AddItemToObject(data, std::to_string(i).c_str(), MessageItem(messages_[i]));
        const size_t pages = (messages_.size() + perPage - 1) / perPage;
        cJSON_AddStringToObject(data, "pg_count", std::to_string(pages).c_str());
        return JsonReply(200, body);
    }
    }
}

void CCommunityTestServer::Send(int client, const ScriptedReply& reply)
{
    if (!Pause(reply.delayMs) || reply.noReply)
        return;
    const int on = 1;
    setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    if (!reply.rawBody) {
        std::string head = "HTTP/1.1 " + std::to_string(reply.status) + " " + Reason(reply.status) +
                           "\r\nContent-Type: application/json\r\nConnection: close\r\n";
        if (!reply.location.empty())
            head += "Location: " + reply.location + "\r\n";
        head += reply.chunked ? "Transfer-Encoding: chunked\r\n"
                              : "Content-Length: " + std::to_string(reply.body.size()) + "\r\n";
        if (!SendBytes(client, head + "\r\n"))
            return;
    }
    const size_t piece = reply.pieceBytes ? reply.pieceBytes : std::max<size_t>(reply.body.size(), 1);
    for (size_t at = 0; at < reply.body.size(); at += piece) {
        const std::string part = reply.body.substr(at, piece);
        char size[32];
        std::snprintf(size, sizeof size, "%zx\r\n", part.size());
        if (!SendBytes(client, reply.chunked ? size + part + "\r\n" : part))
            return;
        if (at + piece < reply.body.size() && !Pause(reply.pieceDelayMs))
            return;
    }
    if (reply.chunked)
        SendBytes(client, "0\r\n\r\n");
}

// Waits the time unless the server stops first; false when it is stopping.
bool CCommunityTestServer::Pause(int milliseconds)
{
    std::unique_lock<std::mutex> lock(mutex_);
    return !stopped_.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return stopping_; });
}

void InstallWebSite(const std::string& website, const testing_support::TempMachine& machine)
{
    machine.UseProgramFolder();
    const std::string settings = platform::ToUtf8(platform::Machine().programFolder + L"\\kyphtupdate.ini");
    WritePrivateProfileStringA("update", "website", website.c_str(), settings.c_str());
    ForgetWebSite();
}

uint16_t ClosedPort()
{
    uint16_t port = 0;
    close(BindLoopback(port));
    return port;
}

std::string ExpectedSignature(const std::string& time)
{
    return Md5Hex("time=" + time + QUARNEL_SIGN_SALT);
}

} // namespace community_test
