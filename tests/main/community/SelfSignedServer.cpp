#include "SelfSignedServer.h"

#include <openssl/evp.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <sys/socket.h>

#include <csignal>

#include <stdexcept>
#include <string>

namespace {

// A key and a certificate for "127.0.0.1", valid for an hour, issued by itself.
void UseSelfSignedCertificate(SSL_CTX* context)
{
    EVP_PKEY* key = EVP_EC_gen("P-256");
    X509* certificate = X509_new();
    ASN1_INTEGER_set(X509_get_serialNumber(certificate), 1);
    X509_gmtime_adj(X509_getm_notBefore(certificate), 0);
    X509_gmtime_adj(X509_getm_notAfter(certificate), 3600);
    X509_set_pubkey(certificate, key);
    X509_NAME* name = X509_get_subject_name(certificate);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("127.0.0.1"), -1, -1,
                               0);
    X509_set_issuer_name(certificate, name);
    const bool made = key && X509_sign(certificate, key, EVP_sha256()) > 0 &&
                      SSL_CTX_use_certificate(context, certificate) == 1 &&
                      SSL_CTX_use_PrivateKey(context, key) == 1;
    X509_free(certificate);
    EVP_PKEY_free(key);
    if (!made)
        throw std::runtime_error("cannot make a self-signed certificate");
}

} // namespace

CSelfSignedServer::CSelfSignedServer()
{
    // A client that refuses the certificate hangs up while the answer is written; that must end
    // the write, not the test.
    std::signal(SIGPIPE, SIG_IGN);
    context_ = SSL_CTX_new(TLS_server_method());
    if (!context_)
        throw std::runtime_error("cannot make a TLS context");
    UseSelfSignedCertificate(context_);
    listener_ = std::make_unique<community_test::CLoopbackListener>([this](int client) { Answer(client); });
}

CSelfSignedServer::~CSelfSignedServer()
{
    listener_.reset();
    SSL_CTX_free(context_);
}

std::string CSelfSignedServer::Url() const
{
    return "https://127.0.0.1:" + std::to_string(listener_->Port()) + "/api/email_reg";
}

void CSelfSignedServer::Answer(int client)
{
    const timeval limit = {2, 0};
    setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    SSL* ssl = SSL_new(context_);
    SSL_set_fd(ssl, client);
    if (SSL_accept(ssl) == 1) {
        std::string request;
        char buffer[4096];
        int n = 0;
        while (request.find("\r\n\r\n") == std::string::npos && (n = SSL_read(ssl, buffer, sizeof buffer)) > 0)
            request.append(buffer, static_cast<size_t>(n));
        const std::string reply =
            "HTTP/1.1 200 OK\r\nContent-Length: 11\r\nConnection: close\r\n\r\n{\"state\":1}";
        SSL_write(ssl, reply.data(), static_cast<int>(reply.size()));
        SSL_shutdown(ssl);
    }
    SSL_free(ssl);
}
