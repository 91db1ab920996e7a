#include "MD5Encryption.h"

#include <algorithm>
#include <cctype>
#include <new>

namespace Md5CheckProc {

CMD5Encryption& CMD5Encryption::Instance()
{
    static CMD5Encryption instance;
    return instance;
}

MD5_CTX* CMD5Encryption::NewContext()
{
    MD5_CTX* context = new (std::nothrow) MD5_CTX;
    if (context)
        MD5Init(context);
    return context;
}

void CMD5Encryption::Update(MD5_CTX* context, const unsigned char* data, size_t length)
{
    if (context)
        MD5Update(context, data, length);
}

void CMD5Encryption::Final(MD5_CTX* context, unsigned char digest[16])
{
    if (!context)
        return;
    MD5Final(digest, context);
    delete context;
}

void CMD5Encryption::DigestToHex(const unsigned char digest[16], char* out)
{
    static const char digits[] = "0123456789ABCDEF";
    for (int i = 0; i < 16; ++i) {
        out[2 * i] = digits[digest[i] >> 4];
        out[2 * i + 1] = digits[digest[i] & 0x0F];
    }
}

} // namespace Md5CheckProc

int GetMd5String(const char* data, int length, char* out, int outLength)
{
    if (!data || !out || length < 1 || outLength < 32)
        return 0;
    Md5CheckProc::CMD5Encryption& md5 = Md5CheckProc::CMD5Encryption::Instance();
    MD5_CTX* context = md5.NewContext();
    if (!context)
        return 0;
    md5.Update(context, reinterpret_cast<const unsigned char*>(data), static_cast<size_t>(length));
    unsigned char digest[16];
    md5.Final(context, digest);
    md5.DigestToHex(digest, out);
    return 0;
}

std::string GetMd5LowerHex(const std::string& text)
{
    char digest[260] = {};
    GetMd5String(text.data(), static_cast<int>(text.size()), digest, sizeof digest);
    std::string hex(digest);
    std::transform(hex.begin(), hex.end(), hex.begin(), [](unsigned char c) { return std::tolower(c); });
    return hex;
}
