#include "LinkBytes.h"

#include "platform/Text.h"

namespace platform::shell {

bool ReadLittle(std::string_view bytes, size_t at, size_t width, DWORD& value)
{
    if (width > 4 || at > bytes.size() || width > bytes.size() - at)
        return false;
    value = 0;
    for (size_t i = width; i-- > 0;)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return true;
}

DWORD LittleAt(std::string_view bytes, size_t at, size_t width)
{
    DWORD value = 0;
    return ReadLittle(bytes, at, width, value) ? value : 0;
}

std::string Little(size_t width, DWORD value)
{
    std::string bytes(width, '\0');
    PutLittle(bytes, 0, width, value);
    return bytes;
}

void PutLittle(std::string& bytes, size_t at, size_t width, DWORD value)
{
    for (size_t i = 0; i < width; ++i, value >>= 8)
        bytes[at + i] = static_cast<char>(value & 0xFF);
}

bool AnsiAt(std::string_view bytes, size_t offset, std::string& text)
{
    if (offset == 0 || offset >= bytes.size())
        return false;
    const size_t end = bytes.find('\0', offset);
    if (end == std::string_view::npos)
        return false;
    text.assign(bytes.substr(offset, end - offset));
    return true;
}

bool WideAt(std::string_view bytes, size_t offset, std::wstring& text)
{
    if (offset == 0 || offset >= bytes.size())
        return false;
    for (size_t end = offset; bytes.size() - end >= 2; end += 2) {
        if (bytes[end] == '\0' && bytes[end + 1] == '\0') {
            text = platform::FromUtf16LEBytes(bytes.data() + offset, end - offset);
            return true;
        }
    }
    return false;
}

} // namespace platform::shell
