// An HTTPS server on 127.0.0.1 whose certificate is made afresh and signed by itself, as a
// service reachable only when certificate checks are off would be. Every request that gets
// through the handshake is answered {"state":1}.
#pragma once

#include "LoopbackListener.h"

#include <memory>
#include <string>

typedef struct ssl_ctx_st SSL_CTX;

class CSelfSignedServer {
public:
    CSelfSignedServer();
    ~CSelfSignedServer();
    CSelfSignedServer(const CSelfSignedServer&) = delete;
    CSelfSignedServer& operator=(const CSelfSignedServer&) = delete;

    std::string Url() const;

private:
    void Answer(int client);

    SSL_CTX* context_ = nullptr;
    std::unique_ptr<community_test::CLoopbackListener> listener_;
};
