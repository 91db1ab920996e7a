#include "support/AdvertisedShortcut.h"

#include <cstdint>

namespace testing_support {

namespace {

void PutLittle(std::string& bytes, uint32_t value, int width)
{
    for (int i = 0; i < width; ++i)
        bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
}

} // namespace

std::string AdvertisedShortcut(const std::wstring& darwinText)
{
    const uint32_t kHasDarwinId = 0x1000;
    const uint32_t kIsUnicode = 0x80;
    std::string bytes;
    PutLittle(bytes, 0x4C, 4);
    // the shell link class 00021401-0000-0000-C000-000000000046
    bytes += std::string("\x01\x14\x02\x00\x00\x00\x00\x00\xC0\x00\x00\x00\x00\x00\x00\x46", 16);
    PutLittle(bytes, kHasDarwinId | kIsUnicode, 4);
    bytes.resize(0x4C, '\0');
    PutLittle(bytes, 0x314, 4);
    PutLittle(bytes, 0xA0000006, 4);
    std::string ansi(260, '\0');
    std::string wide(520, '\0');
    for (size_t i = 0; i < darwinText.size() && i < 259; ++i) {
        ansi[i] = static_cast<char>(darwinText[i]);
        wide[2 * i] = static_cast<char>(darwinText[i] & 0xFF);
        wide[2 * i + 1] = static_cast<char>((darwinText[i] >> 8) & 0xFF);
    }
    bytes += ansi + wide;
    PutLittle(bytes, 0, 4);
    return bytes;
}

} // namespace testing_support
