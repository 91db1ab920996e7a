// Icon handles: pictures made from their pixels by CreateIcon and freed by DestroyIcon. Only the
// 32-bit form with one plane is made (the colour pixels as 0xAARRGGBB values, rows from the top);
// the mask (one bit a pixel, rows padded to 16 bits, 1 = transparent) counts only when no pixel
// carries an alpha value.
#pragma once

#include "platform/win/Types.h"

#include <cstdint>
#include <vector>

#pragma GCC visibility push(default)

HICON CreateIcon(HINSTANCE instance, int width, int height, BYTE planes, BYTE bitsPixel, const BYTE* andBits,
                 const BYTE* xorBits);
BOOL DestroyIcon(HICON icon);

namespace platform {

// The icon's pixels as 0xAARRGGBB values, rows from the top; false, with nothing filled, for a
// handle that is no live icon.
bool IconPixels(HICON icon, int* width, int* height, std::vector<uint32_t>* pixels);

} // namespace platform

#pragma GCC visibility pop
