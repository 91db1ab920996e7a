#include "UnguessableName.h"

#include <cerrno>
#include <sys/random.h>

namespace platform {

bool UnguessableName(const std::string& prefix, const std::string& suffix, std::string& name)
{
    unsigned char random[16];
    for (size_t filled = 0; filled < sizeof(random);) {
        const ssize_t got = getrandom(random + filled, sizeof(random) - filled, 0);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        filled += static_cast<size_t>(got);
    }
    static const char kHex[] = "0123456789abcdef";
    name = prefix;
    for (const unsigned char byte : random) {
        name += kHex[byte >> 4];
        name += kHex[byte & 0xF];
    }
    name += suffix;
    return true;
}

} // namespace platform
