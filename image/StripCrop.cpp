#include "image/StripCrop.h"

#include <cstdint>
#include <cstring>

namespace tamrex {
namespace {

std::uint64_t LoadBigEndian(const std::uint8_t* bytes) {
    std::uint64_t word;
    std::memcpy(&word, bytes, sizeof word);
    return __builtin_bswap64(word);
}

void StoreBigEndian(std::uint64_t word, std::uint8_t* bytes) {
    word = __builtin_bswap64(word);
    std::memcpy(bytes, &word, sizeof word);
}

// Shifts a 1-bit row left by `shift` (0..7) bits, reading bytes from `source`: eight
// bytes at a time while a ninth is there to shift in, then byte by byte.
void ShiftRowLeft(const std::uint8_t* source, std::uint8_t* target, int targetBytes, int sourceBytes,
                  int shift) {
    if (shift == 0) {
        std::memcpy(target, source, static_cast<std::size_t>(targetBytes));
        return;
    }
    int byte = 0;
    for (; byte + 8 <= targetBytes && byte + 8 < sourceBytes; byte += 8) {
        StoreBigEndian(LoadBigEndian(source + byte) << shift | source[byte + 8] >> (8 - shift), target + byte);
    }
    for (; byte < targetBytes; ++byte) {
        const unsigned high = source[byte];
        const unsigned low = byte + 1 < sourceBytes ? source[byte + 1] : 0u;
        target[byte] = static_cast<std::uint8_t>((high << shift) | (low >> (8 - shift)));
    }
}

}  // namespace

BitmapHandle CropOneBitPicture(FIBITMAP* picture, int left, int firstRow, int endRow) {
    const int width = static_cast<int>(FreeImage_GetWidth(picture)) - left;
    const int height = endRow - firstRow;
    BitmapHandle strip(FreeImage_Allocate(width, height, 1));
    if (!strip) return strip;
    std::memcpy(FreeImage_GetPalette(strip.get()), FreeImage_GetPalette(picture), 2 * sizeof(RGBQUAD));
    FreeImage_SetDotsPerMeterX(strip.get(), FreeImage_GetDotsPerMeterX(picture));
    FreeImage_SetDotsPerMeterY(strip.get(), FreeImage_GetDotsPerMeterY(picture));
    const int sourceBytes = static_cast<int>(FreeImage_GetPitch(picture)) - left / 8;
    const int targetBytes = (width + 7) / 8;
    const int lastBits = width % 8;
    for (int row = 0; row < height; ++row) {
        const std::uint8_t* source = FreeImage_GetScanLine(picture, firstRow + row) + left / 8;
        std::uint8_t* target = FreeImage_GetScanLine(strip.get(), row);
        ShiftRowLeft(source, target, targetBytes, sourceBytes, left % 8);
        // Bits past the strip's width are padding, which a fresh bitmap holds as 0.
        if (lastBits) target[targetBytes - 1] &= static_cast<std::uint8_t>(0xFFu << (8 - lastBits));
    }
    return strip;
}

}  // namespace tamrex
