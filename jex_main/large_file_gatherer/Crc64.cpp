// Three forms of one CRC: byte at a time over the table; sixteen bytes at a time over sixteen
// tables ("slicing"); and, where the processor multiplies without carries, folding 64 bytes at a
// time with carry-less products, whose remainder the tables finish.
#include "Crc64.h"

#include <array>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define CRC64_CAN_FOLD 1
#endif

namespace {

constexpr uint64_t kPolynomial = 0xAD93D23594C935A9ull;
constexpr uint64_t kReflectedPolynomial = 0x95AC9329AC4BC9B5ull;
constexpr size_t kSlices = 16;

using Table = std::array<uint64_t, 256>;

struct Tables {
    std::array<Table, kSlices> slice;

    Tables()
    {
        for (uint64_t byte = 0; byte < 256; ++byte) {
            uint64_t crc = byte;
            for (int bit = 0; bit < 8; ++bit)
                crc = crc & 1 ? (crc >> 1) ^ kReflectedPolynomial : crc >> 1;
            slice[0][byte] = crc;
        }
        for (size_t k = 1; k < kSlices; ++k)
            for (size_t byte = 0; byte < 256; ++byte)
                slice[k][byte] = (slice[k - 1][byte] >> 8) ^ slice[0][slice[k - 1][byte] & 0xFF];
    }
};

const Tables& TheTables()
{
    static const Tables tables;
    return tables;
}

uint64_t Load64(const unsigned char* p)
{
    uint64_t value;
    std::memcpy(&value, p, sizeof(value));
    return value;
}

uint64_t Sliced(uint64_t crc, const unsigned char* p, size_t length)
{
    const auto& t = TheTables().slice;
    while (length >= kSlices) {
        const uint64_t a = Load64(p) ^ crc;
        const uint64_t b = Load64(p + 8);
        crc = t[15][a & 0xFF] ^ t[14][(a >> 8) & 0xFF] ^ t[13][(a >> 16) & 0xFF] ^ t[12][(a >> 24) & 0xFF] ^
              t[11][(a >> 32) & 0xFF] ^ t[10][(a >> 40) & 0xFF] ^ t[9][(a >> 48) & 0xFF] ^ t[8][a >> 56] ^
              t[7][b & 0xFF] ^ t[6][(b >> 8) & 0xFF] ^ t[5][(b >> 16) & 0xFF] ^ t[4][(b >> 24) & 0xFF] ^
              t[3][(b >> 32) & 0xFF] ^ t[2][(b >> 40) & 0xFF] ^ t[1][(b >> 48) & 0xFF] ^ t[0][b >> 56];
        p += kSlices;
        length -= kSlices;
    }
    return Crc64UpdateBytewise(crc, p, length);
}

#ifdef CRC64_CAN_FOLD

uint64_t Reflect(uint64_t value)
{
    uint64_t reflected = 0;
    for (int bit = 0; bit < 64; ++bit)
        if (value >> bit & 1)
            reflected |= uint64_t{1} << (63 - bit);
    return reflected;
}

// x^n mod P, reflected, as the multiplier that moves a 64-bit lane n + 1 bits further: the
// carry-less product of two reflected values lands one bit short of its reflected place.
uint64_t Shift(unsigned n)
{
    uint64_t remainder = 1;
    for (unsigned i = 0; i < n; ++i)
        remainder = remainder >> 63 ? (remainder << 1) ^ kPolynomial : remainder << 1;
    return Reflect(remainder);
}

struct FoldConstants {
    __m128i by512;  // four accumulators, 64 bytes on
    __m128i by128;  // one accumulator, 16 bytes on

    // The low lane holds the polynomial's high half, which moves 64 bits further than the low.
    FoldConstants()
        : by512(_mm_set_epi64x(static_cast<long long>(Shift(512 - 1)), static_cast<long long>(Shift(512 + 64 - 1)))),
          by128(_mm_set_epi64x(static_cast<long long>(Shift(128 - 1)), static_cast<long long>(Shift(128 + 64 - 1))))
    {
    }
};

const FoldConstants& TheFoldConstants()
{
    static const FoldConstants constants;
    return constants;
}

__attribute__((target("pclmul,sse4.1"))) __m128i Fold(__m128i value, __m128i constants, __m128i next)
{
    const __m128i low = _mm_clmulepi64_si128(value, constants, 0x00);
    const __m128i high = _mm_clmulepi64_si128(value, constants, 0x11);
    return _mm_xor_si128(_mm_xor_si128(low, high), next);
}

__attribute__((target("pclmul,sse4.1"))) __m128i Load128(const unsigned char* p)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

__attribute__((target("pclmul,sse4.1"))) uint64_t Folded(uint64_t crc, const unsigned char* p, size_t length)
{
    const FoldConstants& k = TheFoldConstants();
    __m128i x0 = _mm_xor_si128(Load128(p), _mm_cvtsi64_si128(static_cast<long long>(crc)));
    __m128i x1 = Load128(p + 16);
    __m128i x2 = Load128(p + 32);
    __m128i x3 = Load128(p + 48);
    p += 64;
    length -= 64;
    while (length >= 64) {
        x0 = Fold(x0, k.by512, Load128(p));
        x1 = Fold(x1, k.by512, Load128(p + 16));
        x2 = Fold(x2, k.by512, Load128(p + 32));
        x3 = Fold(x3, k.by512, Load128(p + 48));
        p += 64;
        length -= 64;
    }
    __m128i x = Fold(Fold(Fold(x0, k.by128, x1), k.by128, x2), k.by128, x3);
    while (length >= 16) {
        x = Fold(x, k.by128, Load128(p));
        p += 16;
        length -= 16;
    }
    unsigned char rest[16];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(rest), x);
    return Sliced(Sliced(0, rest, sizeof(rest)), p, length);
}

bool CanFold()
{
    static const bool can = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
    return can;
}

#endif

} // namespace

uint64_t Crc64UpdateBytewise(uint64_t crc, const void* data, size_t length)
{
    const Table& table = TheTables().slice[0];
    const auto* p = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < length; ++i)
        crc = table[(crc ^ p[i]) & 0xFF] ^ (crc >> 8);
    return crc;
}

uint64_t Crc64Update(uint64_t crc, const void* data, size_t length)
{
    const auto* p = static_cast<const unsigned char*>(data);
#ifdef CRC64_CAN_FOLD
    if (length >= 128 && CanFold())
        return Folded(crc, p, length);
#endif
    return Sliced(crc, p, length);
}
