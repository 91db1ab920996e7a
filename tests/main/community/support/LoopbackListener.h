// Accepts connections on 127.0.0.1 (an ephemeral port) and serves each on a thread of its own.
// Destroying it stops accepting and waits for every connection's thread; a handler that waits
// must watch Stopping().
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace community_test {

class CLoopbackListener {
public:
    // The handler gets the connected socket and closes nothing: the listener closes it after.
    explicit CLoopbackListener(std::function<void(int client)> handler);
    ~CLoopbackListener();
    CLoopbackListener(const CLoopbackListener&) = delete;
    CLoopbackListener& operator=(const CLoopbackListener&) = delete;

    uint16_t Port() const { return port_; }
    bool Stopping() const { return stopping_; }

private:
    void AcceptLoop();

    std::function<void(int)> handler_;
    uint16_t port_ = 0;
    int socket_ = -1;
    std::atomic<bool> stopping_{false};
    std::mutex mutex_;
    std::vector<std::thread> connections_;
    std::thread acceptor_;
};

// A socket bound to 127.0.0.1 on an ephemeral port, not yet listening; throws when none can be had.
int BindLoopback(uint16_t& port);

} // namespace community_test
