// A small HTTP server of the tests' own on 127.0.0.1 (an ephemeral port), answering each request
// from a table of paths and closing the connection after every answer.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <thread>
#include <vector>

namespace update_test {

struct HttpReply {
    HttpReply() = default;
    HttpReply(int replyStatus, std::string replyBody, std::string replyLocation = "", bool replyCutShort = false)
        : status(replyStatus), body(std::move(replyBody)), location(std::move(replyLocation)), cutShort(replyCutShort) {}

    // The body one byte at a time, each after a pause of pauseMs.
    static HttpReply Trickle(std::string body, int pauseMs)
    {
        HttpReply reply(200, std::move(body));
        reply.trickleMs = pauseMs;
        return reply;
    }
    // The body without a length, again and again until the client hangs up.
    static HttpReply Endless(std::string body)
    {
        HttpReply reply(200, std::move(body));
        reply.endless = true;
        return reply;
    }

    int status = 200;
    std::string body;
    std::string location;    // sent as "Location" (for redirects)
    bool cutShort = false;   // announce more bytes than are sent, then close
    int trickleMs = 0;
    bool endless = false;
};

class LocalHttpServer {
public:
    LocalHttpServer();
    ~LocalHttpServer();
    LocalHttpServer(const LocalHttpServer&) = delete;
    LocalHttpServer& operator=(const LocalHttpServer&) = delete;

    // Unknown paths answer 404.
    void Serve(const std::string& path, const HttpReply& reply);
    // "http://127.0.0.1:<port>" followed by the path.
    std::string Url(const std::string& path) const;
    std::wstring WideUrl(const std::string& path) const;
    std::vector<std::string> RequestedPaths() const;
    // How many answers the client hung up on before they were sent whole, and how many were sent
    // whole.
    int AnswersCutByClient() const;
    int AnswersSentWhole() const;

private:
    void Run();
    void Answer(int client);

    int listener_ = -1;
    uint16_t port_ = 0;
    std::atomic<bool> stopping_{false};
    mutable std::mutex mutex_;
    std::map<std::string, HttpReply> replies_;
    std::vector<std::string> requested_;
    int cutByClient_ = 0;
    int sentWhole_ = 0;
    std::thread thread_;
};

} // namespace update_test
