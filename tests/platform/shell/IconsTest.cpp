// Icon handles made from pixels: what CreateIcon keeps, what it refuses, and stale handles.

#include "platform/Windows.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr int kSide = 16;

// One row of the mask: 16 pixels, two bytes.
std::vector<BYTE> MaskWithLeftHalfTransparent()
{
    std::vector<BYTE> mask;
    for (int y = 0; y < kSide; ++y)
        mask.insert(mask.end(), {0xFF, 0x00});
    return mask;
}

std::vector<BYTE> Pixels(BYTE blue, BYTE green, BYTE red, BYTE alpha)
{
    std::vector<BYTE> pixels;
    for (int i = 0; i < kSide * kSide; ++i)
        pixels.insert(pixels.end(), {blue, green, red, alpha});
    return pixels;
}

uint32_t PixelAt(HICON icon, int x, int y)
{
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    EXPECT_TRUE(platform::IconPixels(icon, &width, &height, &pixels));
    EXPECT_EQ(width, kSide);
    EXPECT_EQ(height, kSide);
    return pixels.size() == kSide * kSide ? pixels[static_cast<size_t>(y * kSide + x)] : 0;
}

TEST(Icons, TheMaskCountsOnlyWhenNoPixelCarriesAlpha)
{
    const std::vector<BYTE> mask = MaskWithLeftHalfTransparent();
    const std::vector<BYTE> noAlpha = Pixels(0x30, 0x20, 0x10, 0x00);
    HICON masked = CreateIcon(nullptr, kSide, kSide, 1, 32, mask.data(), noAlpha.data());
    ASSERT_NE(masked, nullptr);
    EXPECT_EQ(PixelAt(masked, 0, 3), 0u) << "masked out";
    EXPECT_EQ(PixelAt(masked, 12, 3), 0xFF102030u) << "kept, opaque";

    const std::vector<BYTE> halfAlpha = Pixels(0x30, 0x20, 0x10, 0x80);
    HICON blended = CreateIcon(nullptr, kSide, kSide, 1, 32, mask.data(), halfAlpha.data());
    ASSERT_NE(blended, nullptr);
    EXPECT_EQ(PixelAt(blended, 0, 3), 0x80102030u) << "the alpha wins over the mask";

    EXPECT_TRUE(DestroyIcon(masked));
    EXPECT_TRUE(DestroyIcon(blended));
}

TEST(Icons, BadArgumentsAndStaleHandlesAreRefused)
{
    const std::vector<BYTE> mask = MaskWithLeftHalfTransparent();
    const std::vector<BYTE> pixels = Pixels(1, 2, 3, 4);
    const struct {
        int width;
        int height;
        BYTE planes;
        BYTE bits;
        const BYTE* andBits;
        const BYTE* xorBits;
    } refused[] = {
        {0, kSide, 1, 32, mask.data(), pixels.data()},   {kSide, -1, 1, 32, mask.data(), pixels.data()},
        {100000, 100000, 1, 32, mask.data(), pixels.data()}, {kSide, kSide, 2, 32, mask.data(), pixels.data()},
        {kSide, kSide, 1, 8, mask.data(), pixels.data()},  {kSide, kSide, 1, 32, nullptr, pixels.data()},
        {kSide, kSide, 1, 32, mask.data(), nullptr},
    };
    for (const auto& call : refused) {
        SetLastError(0);
        EXPECT_EQ(CreateIcon(nullptr, call.width, call.height, call.planes, call.bits, call.andBits, call.xorBits),
                  nullptr);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    }

    HICON icon = CreateIcon(nullptr, kSide, kSide, 1, 32, mask.data(), pixels.data());
    ASSERT_NE(icon, nullptr);
    ASSERT_TRUE(DestroyIcon(icon));
    EXPECT_FALSE(DestroyIcon(icon));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    int width = -1;
    int height = -1;
    std::vector<uint32_t> read;
    EXPECT_FALSE(platform::IconPixels(icon, &width, &height, &read));
    EXPECT_FALSE(platform::IconPixels(nullptr, &width, &height, &read));
    EXPECT_EQ(width, -1);
    EXPECT_TRUE(read.empty());
}

} // namespace
