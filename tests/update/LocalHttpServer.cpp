#include "LocalHttpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

namespace update_test {

namespace {

const char* Reason(int status)
{
    switch (status) {
    case 200: return "OK";
    case 302: return "Found";
    case 404: return "Not Found";
    case 500: return "Internal Server Error";
    default: return "Status";
    }
}

bool SendAll(int socket, const std::string& data)
{
    size_t sent = 0;
    while (sent < data.size()) {
        const ssize_t n = send(socket, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}

// Waits up to the pause for the client to hang up; whether it did.
bool HungUpWithin(int socket, int pauseMs)
{
    pollfd peer = {socket, POLLRDHUP, 0};
    return poll(&peer, 1, pauseMs) > 0 && (peer.revents & (POLLRDHUP | POLLHUP | POLLERR));
}

// The path of the request line "GET /path HTTP/1.1", after the whole header arrived.
std::string ReadRequestPath(int socket)
{
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536) {
        pollfd ready = {socket, POLLIN, 0};
        if (poll(&ready, 1, 5000) <= 0)
            return std::string();
        const ssize_t n = recv(socket, buffer, sizeof buffer, 0);
        if (n <= 0)
            return std::string();
        request.append(buffer, static_cast<size_t>(n));
    }
    const size_t start = request.find(' ');
    const size_t end = request.find(' ', start + 1);
    return start == std::string::npos || end == std::string::npos ? std::string()
                                                                    : request.substr(start + 1, end - start - 1);
}

} // namespace

LocalHttpServer::LocalHttpServer()
{
    // The requests go to loopback; a proxy named by the host's environment must not take them.
    for (const char* name : {"http_proxy", "https_proxy", "HTTP_PROXY", "HTTPS_PROXY", "ALL_PROXY", "all_proxy"})
        unsetenv(name);
    listener_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener_ < 0 || bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener_, 16) != 0 || getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw std::runtime_error("cannot listen on 127.0.0.1");
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Run(); });
}

LocalHttpServer::~LocalHttpServer()
{
    stopping_ = true;
    thread_.join();
    close(listener_);
}

void LocalHttpServer::Serve(const std::string& path, const HttpReply& reply)
{
    std::lock_guard<std::mutex> lock(mutex_);
    replies_[path] = reply;
}

std::string LocalHttpServer::Url(const std::string& path) const
{
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::wstring LocalHttpServer::WideUrl(const std::string& path) const
{
    const std::string url = Url(path);
    return std::wstring(url.begin(), url.end());
}

std::vector<std::string> LocalHttpServer::RequestedPaths() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return requested_;
}

void LocalHttpServer::Run()
{
    while (!stopping_) {
        pollfd ready = {listener_, POLLIN, 0};
        if (poll(&ready, 1, 50) <= 0)
            continue;
        const int client = accept(listener_, nullptr, nullptr);
        if (client < 0)
            continue;
        Answer(client);
        close(client);
    }
}

void LocalHttpServer::Answer(int client)
{
    const std::string path = ReadRequestPath(client);
    HttpReply reply;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        requested_.push_back(path);
        const auto found = replies_.find(path);
        if (found != replies_.end())
            reply = found->second;
        else
            reply = HttpReply(404, "not found");
    }
    const size_t announced = reply.cutShort ? reply.body.size() * 2 + 100 : reply.body.size();
    std::string head = "HTTP/1.1 " + std::to_string(reply.status) + " " + Reason(reply.status) + "\r\n" +
                       (reply.endless ? "" : "Content-Length: " + std::to_string(announced) + "\r\n") +
                       "Connection: close\r\n";
    if (!reply.location.empty())
        head += "Location: " + reply.location + "\r\n";
    // Whether the client took it all; false once it hung up; nothing when the server stopped first.
    bool taken = SendAll(client, head + "\r\n");
    size_t sent = 0;
    if (reply.endless) {
        while (taken && !stopping_)
            taken = SendAll(client, reply.body);
    } else if (reply.trickleMs > 0) {
        for (; taken && sent < reply.body.size() && !stopping_; ++sent)
            taken = !HungUpWithin(client, reply.trickleMs) && SendAll(client, reply.body.substr(sent, 1));
    } else if ((taken = taken && SendAll(client, reply.body))) {
        sent = reply.body.size();
    }
    std::lock_guard<std::mutex> lock(mutex_);
    if (!taken)
        ++cutByClient_;
    else if (!reply.endless && sent == reply.body.size())
        ++sentWhole_;
}

int LocalHttpServer::AnswersCutByClient() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return cutByClient_;
}

int LocalHttpServer::AnswersSentWhole() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return sentWhole_;
}

} // namespace update_test
