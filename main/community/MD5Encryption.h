// MD5 digests for request signatures and password digests, over libmd.
#pragma once

#include <md5.h>

#include <string>

namespace Md5CheckProc {

class CMD5Encryption {
public:
    static CMD5Encryption& Instance();

    CMD5Encryption() = default;
    virtual ~CMD5Encryption() = default;
    CMD5Encryption(const CMD5Encryption&) = delete;
    CMD5Encryption& operator=(const CMD5Encryption&) = delete;

    // A heap context, initialised; null when memory runs out.
    MD5_CTX* NewContext();
    // Nothing for a null context.
    void Update(MD5_CTX* context, const unsigned char* data, size_t length);
    // Finishes the digest and frees the context.
    void Final(MD5_CTX* context, unsigned char digest[16]);
    // 32 upper-case hexadecimal characters, high nibble first, without a terminator.
    void DigestToHex(const unsigned char digest[16], char* out);
};

} // namespace Md5CheckProc

// The MD5 of length bytes at data as 32 upper-case hexadecimal characters in out, without a
// terminator (callers pass a zero-filled buffer). Nothing is done for null pointers, a length
// below 1 or an outLength below 32. Always 0.
int GetMd5String(const char* data, int length, char* out, int outLength);

// The MD5 of the text as 32 lower-case hexadecimal characters, the form the web service reads;
// "" for an empty text.
std::string GetMd5LowerHex(const std::string& text);
