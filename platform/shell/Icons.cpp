#include "platform/win/Icons.h"

#include "platform/win/Errors.h"

#include <memory>
#include <mutex>
#include <unordered_map>

namespace {

struct IconObject {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
};

// Live icons by handle, so that a stale or made-up handle is refused instead of read.
std::mutex g_iconsLock;
std::unordered_map<HICON, std::unique_ptr<IconObject>>& Icons()
{
    static auto* icons = new std::unordered_map<HICON, std::unique_ptr<IconObject>>;
    return *icons;
}

// Windows draws no icon larger than this; a larger size is a caller's mistake, not memory to take.
constexpr int kLargestSide = 256;

bool MaskSaysTransparent(const BYTE* andBits, int width, int x, int y)
{
    const int rowBytes = (width + 15) / 16 * 2;
    const BYTE byte = andBits[y * rowBytes + x / 8];
    return (byte >> (7 - x % 8)) & 1;
}

} // namespace

HICON CreateIcon(HINSTANCE, int width, int height, BYTE planes, BYTE bitsPixel, const BYTE* andBits,
                 const BYTE* xorBits)
{
    if (width <= 0 || height <= 0 || width > kLargestSide || height > kLargestSide || planes != 1 ||
        bitsPixel != 32 || !andBits || !xorBits) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto icon = std::make_unique<IconObject>();
    icon->width = width;
    icon->height = height;
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    icon->pixels.resize(count);
    bool anyAlpha = false;
    for (size_t i = 0; i < count; ++i) {
        const BYTE* p = xorBits + i * 4;
        icon->pixels[i] = static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                          static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
        anyAlpha = anyAlpha || p[3] != 0;
    }
    if (!anyAlpha) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                uint32_t& pixel = icon->pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
                pixel = MaskSaysTransparent(andBits, width, x, y) ? 0u : (pixel | 0xFF000000u);
            }
    }
    const std::lock_guard<std::mutex> lock(g_iconsLock);
    HICON handle = icon.get();
    Icons().emplace(handle, std::move(icon));
    return handle;
}

BOOL DestroyIcon(HICON icon)
{
    const std::lock_guard<std::mutex> lock(g_iconsLock);
    if (Icons().erase(icon) == 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

namespace platform {

bool IconPixels(HICON icon, int* width, int* height, std::vector<uint32_t>* pixels)
{
    const std::lock_guard<std::mutex> lock(g_iconsLock);
    const auto found = Icons().find(icon);
    if (found == Icons().end() || !width || !height || !pixels)
        return false;
    *width = found->second->width;
    *height = found->second->height;
    *pixels = found->second->pixels;
    return true;
}

} // namespace platform
