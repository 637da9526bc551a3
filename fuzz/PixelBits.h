#pragma once

#include <FreeImage.h>

#include <cstdint>

namespace tamrex::fuzz {

// Pixel access of a 1-bit bitmap written out bit by bit, apart from the core's byte
// and popcount code, so that the checks do not share its mistakes. Pixel x of a
// scanline is bit 7 - x % 8 of byte x / 8; 1 is light. Rows are counted bottom-up.

inline bool IsLight(const std::uint8_t* scanline, int x) { return (scanline[x / 8] >> (7 - x % 8)) & 1u; }

inline void SetLight(std::uint8_t* scanline, int x, bool light) {
    const auto bit = static_cast<std::uint8_t>(0x80u >> (x % 8));
    scanline[x / 8] = static_cast<std::uint8_t>(light ? scanline[x / 8] | bit : scanline[x / 8] & ~bit);
}

inline std::uint8_t* Row(FIBITMAP* bitmap, int y) { return FreeImage_GetScanLine(bitmap, y); }
inline int Pitch(FIBITMAP* bitmap) { return static_cast<int>(FreeImage_GetPitch(bitmap)); }
inline int Width(FIBITMAP* bitmap) { return static_cast<int>(FreeImage_GetWidth(bitmap)); }
inline int Height(FIBITMAP* bitmap) { return static_cast<int>(FreeImage_GetHeight(bitmap)); }

// Sets the bits past the last pixel of every scanline, up to its padded end.
inline void SetPadding(FIBITMAP* bitmap, bool light) {
    for (int y = 0; y < Height(bitmap); ++y) {
        std::uint8_t* row = Row(bitmap, y);
        for (int x = Width(bitmap); x < 8 * Pitch(bitmap); ++x) SetLight(row, x, light);
    }
}

// Whether two bitmaps agree bit for bit in columns [from, to) of every row.
inline bool SameBits(FIBITMAP* a, FIBITMAP* b, int from, int to) {
    if (Height(a) != Height(b)) return false;
    for (int y = 0; y < Height(a); ++y) {
        const std::uint8_t* rowA = Row(a, y);
        const std::uint8_t* rowB = Row(b, y);
        for (int x = from; x < to; ++x) {
            if (IsLight(rowA, x) != IsLight(rowB, x)) return false;
        }
    }
    return true;
}

inline bool SamePixels(FIBITMAP* a, FIBITMAP* b) {
    return Width(a) == Width(b) && SameBits(a, b, 0, Width(a));
}

inline bool SamePadding(FIBITMAP* a, FIBITMAP* b) {
    return Pitch(a) == Pitch(b) && Width(a) == Width(b) && SameBits(a, b, Width(a), 8 * Pitch(a));
}

}  // namespace tamrex::fuzz
