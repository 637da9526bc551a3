#include "image/Binarize.h"

#include <cstdint>

#if defined(__x86_64__)
#include "image/ProcessorFeatures.h"

#include <immintrin.h>
#endif

namespace tamrex {
namespace {

// The image library's grey level of a colour: Rec. 709 weights in single precision,
// rounded half up. Kept in float, in this order, so that every colour gets the very
// level the library gives it.
constexpr float kRed = 0.2126F, kGreen = 0.7152F, kBlue = 0.0722F, kHalf = 0.5F;

BYTE GreyOf(BYTE red, BYTE green, BYTE blue) {
    return static_cast<BYTE>(kRed * red + kGreen * green + kBlue * blue + kHalf);
}

bool IsColour24(FIBITMAP* photo) {
    return FreeImage_GetImageType(photo) == FIT_BITMAP && FreeImage_GetBPP(photo) == 24;
}

bool IsGrey8(FIBITMAP* photo) {
    return FreeImage_GetImageType(photo) == FIT_BITMAP && FreeImage_GetBPP(photo) == 8 &&
           FreeImage_GetColorType(photo) == FIC_MINISBLACK;
}

BitmapHandle BlackAndWhite(int width, int height) {
    BitmapHandle binary(FreeImage_Allocate(width, height, 1));
    if (!binary) return binary;
    RGBQUAD* palette = FreeImage_GetPalette(binary.get());
    palette[0] = RGBQUAD{0, 0, 0, 0};
    palette[1] = RGBQUAD{255, 255, 255, 0};
    return binary;
}

// The library's threshold keeps the photo's metadata, its resolution among it.
BitmapHandle BlackAndWhiteLike(FIBITMAP* photo) {
    BitmapHandle binary =
        BlackAndWhite(static_cast<int>(FreeImage_GetWidth(photo)), static_cast<int>(FreeImage_GetHeight(photo)));
    if (binary) FreeImage_CloneMetadata(binary.get(), photo);
    return binary;
}

// Packs eight pixels at a time into one byte, MSB first, light pixels as 1 bits, from
// pixel `x` (a multiple of 8) to the end of the row.
template <typename IsLight>
void ThresholdRow(std::uint8_t* target, unsigned x, unsigned width, IsLight isLight) {
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

#if defined(__x86_64__)

// Sixteen pixels at a time, in the same float arithmetic lane by lane, where the processor
// can; the rest of a row is left to ThresholdRow. Both return the pixels done.
#define TAMREX_SIXTEENS __attribute__((target("avx2")))

bool CanDoSixteens() {
    static const bool can = ProcessorHasAvx2();
    return can;
}

// 0x00 or 0xFF per pixel, in pixel order, to two bytes of bits with the first pixel in the
// top bit of the first byte.
TAMREX_SIXTEENS void StoreBits(__m128i light, std::uint8_t* target) {
    const __m128i mostSignificantFirst = _mm_setr_epi8(7, 6, 5, 4, 3, 2, 1, 0, 15, 14, 13, 12, 11, 10, 9, 8);
    const unsigned bits = static_cast<unsigned>(_mm_movemask_epi8(_mm_shuffle_epi8(light, mostSignificantFirst)));
    target[0] = static_cast<std::uint8_t>(bits);
    target[1] = static_cast<std::uint8_t>(bits >> 8);
}

// A byte with its bits in the opposite order: pixel 0 from the lowest bit to the highest.
struct ReversedBytes {
    std::uint8_t of[256];
};

constexpr ReversedBytes Reversed() {
    ReversedBytes reversed{};
    for (int byte = 0; byte < 256; ++byte) {
        for (int bit = 0; bit < 8; ++bit) {
            if (byte & (1 << bit)) reversed.of[byte] = static_cast<std::uint8_t>(reversed.of[byte] | (0x80 >> bit));
        }
    }
    return reversed;
}

constexpr ReversedBytes kReversed = Reversed();

// Which byte of each of three 16-byte loads of sixteen pixels goes to which place of one
// channel's sixteen bytes; -1 (high bit set) where the load holds none of them.
struct ChannelPicks {
    alignas(16) std::int8_t fromLoad[3][16];
};

constexpr ChannelPicks PicksOf(int channel) {
    ChannelPicks picks{};
    for (int pixel = 0; pixel < 16; ++pixel) {
        const int at = 3 * pixel + channel;  // the byte's place among the 48
        for (int load = 0; load < 3; ++load) {
            picks.fromLoad[load][pixel] = static_cast<std::int8_t>(at / 16 == load ? at % 16 : -1);
        }
    }
    return picks;
}

constexpr ChannelPicks kRedPicks = PicksOf(FI_RGBA_RED);
constexpr ChannelPicks kGreenPicks = PicksOf(FI_RGBA_GREEN);
constexpr ChannelPicks kBluePicks = PicksOf(FI_RGBA_BLUE);

TAMREX_SIXTEENS __m128i Channel(const __m128i (&loads)[3], const ChannelPicks& picks) {
    __m128i channel = _mm_setzero_si128();
    for (int load = 0; load < 3; ++load) {
        const __m128i pick = _mm_load_si128(reinterpret_cast<const __m128i*>(picks.fromLoad[load]));
        channel = _mm_or_si128(channel, _mm_shuffle_epi8(loads[load], pick));
    }
    return channel;
}

// Whether the grey levels of eight pixels reach `level`, one bit per pixel from the
// lowest: the library truncates a non-negative grey, so it reaches a whole level exactly
// when the unrounded value does.
TAMREX_SIXTEENS __m256 Weighted(__m128i bytes, float weight) {
    return _mm256_mul_ps(_mm256_cvtepi32_ps(_mm256_cvtepu8_epi32(bytes)), _mm256_set1_ps(weight));
}

TAMREX_SIXTEENS unsigned EightLight(__m128i red, __m128i green, __m128i blue, __m256 level) {
    const __m256 grey = _mm256_add_ps(
        _mm256_add_ps(_mm256_add_ps(Weighted(red, kRed), Weighted(green, kGreen)), Weighted(blue, kBlue)),
        _mm256_set1_ps(kHalf));
    return static_cast<unsigned>(_mm256_movemask_ps(_mm256_cmp_ps(grey, level, _CMP_GE_OQ)));
}

TAMREX_SIXTEENS unsigned ColourSixteens(const BYTE* source, std::uint8_t* target, unsigned width, BYTE level) {
    const __m256 reach = _mm256_set1_ps(level);
    unsigned x = 0;
    for (; x + 16 <= width; x += 16) {
        const BYTE* pixels = source + 3 * x;
        __m128i loads[3];
        for (int load = 0; load < 3; ++load) {
            loads[load] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels + 16 * load));
        }
        const __m128i red = Channel(loads, kRedPicks);
        const __m128i green = Channel(loads, kGreenPicks);
        const __m128i blue = Channel(loads, kBluePicks);
        target[x / 8] = kReversed.of[EightLight(red, green, blue, reach)];
        target[x / 8 + 1] = kReversed.of[EightLight(_mm_srli_si128(red, 8), _mm_srli_si128(green, 8),
                                                    _mm_srli_si128(blue, 8), reach)];
    }
    return x;
}

TAMREX_SIXTEENS unsigned GreySixteens(const BYTE* source, std::uint8_t* target, unsigned width, BYTE level) {
    const __m128i reach = _mm_set1_epi8(static_cast<char>(level));
    unsigned x = 0;
    for (; x + 16 <= width; x += 16) {
        const __m128i grey = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + x));
        StoreBits(_mm_cmpeq_epi8(_mm_max_epu8(grey, reach), grey), target + x / 8);  // grey >= level
    }
    return x;
}

#else

bool CanDoSixteens() { return false; }
unsigned ColourSixteens(const BYTE*, std::uint8_t*, unsigned, BYTE) { return 0; }
unsigned GreySixteens(const BYTE*, std::uint8_t*, unsigned, BYTE) { return 0; }

#endif

void ThresholdScanline(const BYTE* source, std::uint8_t* target, unsigned width, bool colour, BYTE level) {
    static const bool sixteens = CanDoSixteens();
    if (colour) {
        const unsigned done = sixteens ? ColourSixteens(source, target, width, level) : 0;
        ThresholdRow(target, done, width, [source, level](unsigned x) {
            const BYTE* pixel = source + 3 * x;
            return GreyOf(pixel[FI_RGBA_RED], pixel[FI_RGBA_GREEN], pixel[FI_RGBA_BLUE]) >= level;
        });
    } else {
        const unsigned done = sixteens ? GreySixteens(source, target, width, level) : 0;
        ThresholdRow(target, done, width, [source, level](unsigned x) { return source[x] >= level; });
    }
}

}  // namespace

BitmapHandle ThresholdPhoto(FIBITMAP* photo, BYTE level) {
    if (!IsColour24(photo) && !IsGrey8(photo)) return BitmapHandle(FreeImage_Threshold(photo, level));
    BitmapHandle binary = BlackAndWhiteLike(photo);
    if (!binary) return binary;
    const unsigned width = FreeImage_GetWidth(photo);
    const bool colour = IsColour24(photo);
    for (unsigned y = 0; y < FreeImage_GetHeight(photo); ++y) {
        ThresholdScanline(FreeImage_GetScanLine(photo, static_cast<int>(y)),
                          FreeImage_GetScanLine(binary.get(), static_cast<int>(y)), width, colour, level);
    }
    return binary;
}

bool ThresholdWhileDecoding::Start(const PictureShape& shape) {
    rowsDone_ = 0;
    colour_ = shape.bytesPerPixel == 3;
    binary_ = BlackAndWhite(shape.width, shape.height);
    if (binary_) SetResolution(binary_.get(), shape);
    return binary_ != nullptr;
}

void ThresholdWhileDecoding::Row(int scanline, const BYTE* pixels) {
    ThresholdScanline(pixels, FreeImage_GetScanLine(binary_.get(), scanline), FreeImage_GetWidth(binary_.get()),
                      colour_, level_);
    ++rowsDone_;
}

BitmapHandle ThresholdWhileDecoding::Take() {
    if (!binary_ || rowsDone_ != static_cast<int>(FreeImage_GetHeight(binary_.get()))) return nullptr;
    return std::move(binary_);
}

}  // namespace tamrex
