#include "image/Binarize.h"

#include <cstdint>
#include <vector>

namespace tamrex {
namespace {

// The image library's grey level of a colour: Rec. 709 weights in single precision,
// rounded half up. Kept in float, in this order, so that every colour gets the very
// level the library gives it.
BYTE GreyOf(BYTE red, BYTE green, BYTE blue) {
    return static_cast<BYTE>(0.2126F * red + 0.7152F * green + 0.0722F * blue + 0.5F);
}

// Whether a colour is light at one level, answered by a table instead of arithmetic:
// for each red and green, the least blue that makes the pixel light (256: none). The
// grey level only grows with blue, so that one number decides every blue. Built in
// one sweep per red, as the least blue only falls while green rises.
class LightColours {
public:
    const std::uint16_t* For(BYTE level) {
        if (level != level_ || leastBlue_.empty()) Build(level);
        return leastBlue_.data();
    }

private:
    void Build(BYTE level) {
        leastBlue_.assign(256 * 256, 256);
        for (int red = 0; red < 256; ++red) {
            int blue = 256;
            for (int green = 0; green < 256; ++green) {
                while (blue > 0 && GreyOf(BYTE(red), BYTE(green), BYTE(blue - 1)) >= level) --blue;
                leastBlue_[red * 256 + green] = static_cast<std::uint16_t>(blue);
            }
        }
        level_ = level;
    }

    BYTE level_ = 0;
    std::vector<std::uint16_t> leastBlue_;
};

bool IsColour24(FIBITMAP* photo) {
    return FreeImage_GetImageType(photo) == FIT_BITMAP && FreeImage_GetBPP(photo) == 24;
}

bool IsGrey8(FIBITMAP* photo) {
    return FreeImage_GetImageType(photo) == FIT_BITMAP && FreeImage_GetBPP(photo) == 8 &&
           FreeImage_GetColorType(photo) == FIC_MINISBLACK;
}

BitmapHandle BlackAndWhiteLike(FIBITMAP* photo) {
    BitmapHandle binary(FreeImage_Allocate(FreeImage_GetWidth(photo), FreeImage_GetHeight(photo), 1));
    if (!binary) return binary;
    RGBQUAD* palette = FreeImage_GetPalette(binary.get());
    palette[0] = RGBQUAD{0, 0, 0, 0};
    palette[1] = RGBQUAD{255, 255, 255, 0};
    FreeImage_CloneMetadata(binary.get(), photo);
    return binary;
}

// Packs eight pixels at a time into one byte, MSB first, light pixels as 1 bits.
template <typename IsLight>
void ThresholdRow(std::uint8_t* target, unsigned width, IsLight isLight) {
    unsigned x = 0;
    for (; x + 8 <= width; x += 8) {
        unsigned byte = 0;
        for (unsigned bit = 0; bit < 8; ++bit) byte = (byte << 1) | (isLight(x + bit) ? 1u : 0u);
        target[x >> 3] = static_cast<std::uint8_t>(byte);
    }
    if (x == width) return;
    unsigned byte = 0;
    for (unsigned bit = 0; bit < 8; ++bit) byte = (byte << 1) | (x + bit < width && isLight(x + bit) ? 1u : 0u);
    target[x >> 3] = static_cast<std::uint8_t>(byte);
}

}  // namespace

BitmapHandle ThresholdPhoto(FIBITMAP* photo, BYTE level) {
    if (!IsColour24(photo) && !IsGrey8(photo)) return BitmapHandle(FreeImage_Threshold(photo, level));
    BitmapHandle binary = BlackAndWhiteLike(photo);
    if (!binary) return binary;
    const unsigned width = FreeImage_GetWidth(photo);
    const unsigned height = FreeImage_GetHeight(photo);
    const bool colour = IsColour24(photo);
    // A batch thresholds photo after photo at one level: each thread keeps its table.
    thread_local LightColours lightColours;
    const std::uint16_t* leastBlue = colour ? lightColours.For(level) : nullptr;
    for (unsigned y = 0; y < height; ++y) {
        const BYTE* source = FreeImage_GetScanLine(photo, static_cast<int>(y));
        std::uint8_t* target = FreeImage_GetScanLine(binary.get(), static_cast<int>(y));
        if (colour) {
            ThresholdRow(target, width, [source, leastBlue](unsigned x) {
                const BYTE* pixel = source + 3 * x;
                return pixel[FI_RGBA_BLUE] >= leastBlue[(pixel[FI_RGBA_RED] << 8) | pixel[FI_RGBA_GREEN]];
            });
        } else {
            ThresholdRow(target, width, [source, level](unsigned x) { return source[x] >= level; });
        }
    }
    return binary;
}

}  // namespace tamrex
