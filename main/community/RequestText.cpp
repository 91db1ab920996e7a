#include "RequestText.h"

#include <cstring>

namespace {

bool AllowedInSegment(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
           (c != '\0' && std::strchr("-._~!$&'()*+,;=:@", c) != nullptr);
}

} // namespace

std::string EscapePathSegment(const std::string& text)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string segment;
    for (const char c : text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (AllowedInSegment(byte)) {
            segment += c;
        } else {
            segment += '%';
            segment += digits[byte >> 4];
            segment += digits[byte & 0x0F];
        }
    }
    return segment;
}

std::string EscapeBlanks(const std::string& text)
{
    std::string escaped;
    for (const char c : text)
        escaped += c == ' ' ? std::string("%20") : std::string(1, c);
    return escaped;
}

std::string MaskPassword(const std::string& url)
{
    static const std::string marker = "/pwd/";
    std::string masked = url;
    for (size_t at = masked.find(marker); at != std::string::npos; at = masked.find(marker, at + marker.size())) {
        const size_t value = at + marker.size();
        const size_t end = masked.find('/', value);
        masked.replace(value, (end == std::string::npos ? masked.size() : end) - value, "***");
    }
    return masked;
}
