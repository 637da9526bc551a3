#include "image/RowBits.h"

#include "image/ProcessorFeatures.h"

#include <cstdint>
#include <cstring>

namespace tamrex {
namespace {

// Bits of one byte that belong to columns [first, last] of that byte, MSB first.
std::uint8_t ColumnMask(int first, int last) {
    return static_cast<std::uint8_t>((0xFFu >> first) & (0xFFu << (7 - last)));
}

int PopCount(std::uint8_t byte) { return __builtin_popcount(byte); }

// The same count built twice: with the popcnt instruction, and without it for the
// processors that lack it, where it goes through a library routine several times
// slower. Chosen once at run time rather than by an ifunc, which would run before
// the sanitizers' runtimes are ready.
inline __attribute__((always_inline)) int SetBitsIn(const std::uint8_t* bits, int from, int to) {
    if (to <= from) return 0;
    const int firstByte = from >> 3;
    const int lastByte = (to - 1) >> 3;
    if (firstByte == lastByte) {
        return PopCount(bits[firstByte] & ColumnMask(from & 7, (to - 1) & 7));
    }
    int total = PopCount(bits[firstByte] & ColumnMask(from & 7, 7));
    int byte = firstByte + 1;
    for (; byte + 8 <= lastByte; byte += 8) {
        std::uint64_t word;
        std::memcpy(&word, bits + byte, sizeof word);
        total += __builtin_popcountll(word);
    }
    for (; byte < lastByte; ++byte) total += PopCount(bits[byte]);
    return total + PopCount(bits[lastByte] & ColumnMask(0, (to - 1) & 7));
}

__attribute__((target("popcnt"))) int SetBitsWithPopcnt(const std::uint8_t* bits, int from, int to) {
    return SetBitsIn(bits, from, to);
}

int SetBitsPortably(const std::uint8_t* bits, int from, int to) { return SetBitsIn(bits, from, to); }

int CountSetBits(const std::uint8_t* bits, int from, int to) {
    static const bool hasPopcnt = ProcessorHasPopcnt();
    return hasPopcnt ? SetBitsWithPopcnt(bits, from, to) : SetBitsPortably(bits, from, to);
}

}  // namespace

int CountLightPixels(const OneBitRows& rows, int y, int from, int to) {
    return CountSetBits(rows.Row(y), from, to);
}

int CountDarkPixels(const OneBitRows& rows, int y, int from, int to) {
    if (to <= from) return 0;
    return (to - from) - CountLightPixels(rows, y, from, to);
}

void FillRow(const OneBitRows& rows, int y, int width, bool light) {
    if (width <= 0) return;
    std::uint8_t* bits = rows.Row(y);
    const int wholeBytes = width >> 3;
    std::memset(bits, light ? 0xFF : 0x00, static_cast<std::size_t>(wholeBytes));
    const int rest = width & 7;
    if (rest == 0) return;
    const std::uint8_t mask = ColumnMask(0, rest - 1);
    if (light) {
        bits[wholeBytes] |= mask;
    } else {
        bits[wholeBytes] &= static_cast<std::uint8_t>(~mask);
    }
}

}  // namespace tamrex
