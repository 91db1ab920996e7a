#include "LoopbackListener.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>
#include <utility>

namespace community_test {

int BindLoopback(uint16_t& port)
{
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (s < 0 || bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        if (s >= 0)
            close(s);
        throw std::runtime_error("cannot bind a socket on 127.0.0.1");
    }
    port = ntohs(address.sin_port);
    return s;
}

CLoopbackListener::CLoopbackListener(std::function<void(int client)> handler)
    : handler_(std::move(handler)), socket_(BindLoopback(port_))
{
    if (listen(socket_, 32) != 0) {
        close(socket_);
        throw std::runtime_error("cannot listen on 127.0.0.1");
    }
    acceptor_ = std::thread([this] { AcceptLoop(); });
}

CLoopbackListener::~CLoopbackListener()
{
    stopping_ = true;
    acceptor_.join();
    for (std::thread& connection : connections_)
        connection.join();
    close(socket_);
}

void CLoopbackListener::AcceptLoop()
{
    while (!stopping_) {
        pollfd ready = {socket_, POLLIN, 0};
        if (poll(&ready, 1, 20) <= 0)
            continue;
        const int client = accept(socket_, nullptr, nullptr);
        if (client < 0)
            continue;
        std::lock_guard<std::mutex> lock(mutex_);
        connections_.emplace_back([this, client] {
            handler_(client);
            close(client);
        });
    }
}

} // namespace community_test
