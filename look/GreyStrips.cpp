#include "look/GreyStrips.h"

#include "image/Bitmap.h"

#include <algorithm>
#include <string>

namespace tamrex {
namespace {

constexpr int kMostStrips = 64;     // enough to follow a tilted or bowed seam and to outvote a strap
constexpr int kPixelsPerStrip = 8;  // narrower strips would average too little noise out
constexpr int kRunsPerStrip = 2;
constexpr int kLongestRun = 4;           // neighbouring pixels averaged into one value of a run
constexpr int kSmallestSide = 16;
constexpr std::size_t kRowsAhead = 8;

bool ReadableAsIs(FIBITMAP* photo) {
    if (FreeImage_GetImageType(photo) != FIT_BITMAP) return false;
    const unsigned bits = FreeImage_GetBPP(photo);
    return bits == 24 || bits == 32 || (bits == 8 && FreeImage_GetColorType(photo) == FIC_MINISBLACK);
}

// The JPEG decoder gives 24-bit colour or 8-bit grey; anything else is rare enough
// that a converted copy costs nothing that matters.
BitmapHandle GreyCopy(FIBITMAP* photo) {
    BitmapHandle standard(FreeImage_GetImageType(photo) == FIT_BITMAP ? FreeImage_Clone(photo)
                                                                       : FreeImage_ConvertToType(photo, FIT_BITMAP, TRUE));
    if (!standard) return standard;
    return BitmapHandle(FreeImage_ConvertToGreyscale(standard.get()));
}

struct Runs {
    int length = 1;
    std::vector<int> starts;  // kRunsPerStrip per strip, strip after strip, in photo columns
};

// Spreads the strips evenly over the area and each strip's runs evenly over the strip.
Runs PlaceRuns(const PhotoArea& area, std::vector<double>& centres) {
    const int strips = std::clamp(area.width / kPixelsPerStrip, 1, kMostStrips);
    const double stripWidth = static_cast<double>(area.width) / strips;
    const double runSpacing = stripWidth / kRunsPerStrip;
    Runs runs;
    runs.length = std::clamp(static_cast<int>(runSpacing / 2), 1, kLongestRun);
    for (int strip = 0; strip < strips; ++strip) {
        const double left = area.left + strip * stripWidth;
        centres.push_back(left + stripWidth / 2 - 0.5);
        for (int run = 0; run < kRunsPerStrip; ++run) {
            const int start = static_cast<int>(left + (run + 0.5) * runSpacing - runs.length / 2.0 + 0.5);
            runs.starts.push_back(std::clamp(start, area.left, area.left + area.width - runs.length));
        }
    }
    return runs;
}

// Grey as (blue + 2 green + red) / 4: close enough to luminance to find dark seams,
// and cheap. Scanline by scanline, so each is read from memory once.
template <unsigned kBytes>
void ReadStrips(FIBITMAP* photo, const Runs& runs, GreyStrips& strips) {
    const float scale = 1.0f / static_cast<float>((kBytes == 1 ? 1 : 4) * runs.length * kRunsPerStrip);
    const std::size_t height = static_cast<std::size_t>(strips.area.height);
    const std::size_t pitch = FreeImage_GetPitch(photo);
    for (std::size_t row = 0; row < height; ++row) {
        const BYTE* line = FreeImage_GetScanLine(photo, strips.area.bottom + static_cast<int>(row));
        // The runs lie a whole scanline apart, too far for the processor to guess: ask for
        // a later row's while this one is read, so a photo that has left the caches is not
        // waited for run by run.
        if (row + kRowsAhead < height) {
            for (const int start : runs.starts) __builtin_prefetch(line + kRowsAhead * pitch + static_cast<std::size_t>(start) * kBytes);
        }
        for (std::size_t strip = 0; strip < strips.Count(); ++strip) {
            unsigned sum = 0;
            for (int run = 0; run < kRunsPerStrip; ++run) {
                const BYTE* pixel = line + static_cast<std::size_t>(runs.starts[strip * kRunsPerStrip + run]) * kBytes;
                for (int step = 0; step < runs.length; ++step, pixel += kBytes) {
                    if constexpr (kBytes == 1) {
                        sum += pixel[0];
                    } else {
                        sum += pixel[FI_RGBA_BLUE] + 2u * pixel[FI_RGBA_GREEN] + pixel[FI_RGBA_RED];
                    }
                }
            }
            strips.values[strip * height + row] = static_cast<float>(sum) * scale;
        }
    }
}

void ReadStrips(FIBITMAP* photo, const Runs& runs, GreyStrips& strips) {
    switch (FreeImage_GetBPP(photo)) {
        case 8: return ReadStrips<1>(photo, runs, strips);
        case 24: return ReadStrips<3>(photo, runs, strips);
        default: return ReadStrips<4>(photo, runs, strips);
    }
}

}  // namespace

Expected<GreyStrips> SampleStrips(FIBITMAP* photo, const PhotoArea& area) {
    if (!photo || !FreeImage_HasPixels(photo)) return Fail("the photo holds no pixels to count boards in");
    if (area.width < kSmallestSide || area.height < kSmallestSide) {
        return Fail("the part of the photo to look at is only " + std::to_string(area.width) + " x " +
                    std::to_string(area.height) +
                    " pixels, too small to show a stack of boards; use a photo or a frame in which the stack "
                    "fills most of the picture");
    }
    BitmapHandle copy;
    if (!ReadableAsIs(photo) && !(copy = GreyCopy(photo))) {
        return Fail("the photo's pixel format cannot be turned into grey levels; save it as an ordinary colour or "
                    "grey JPEG");
    }
    GreyStrips strips{area, {}, {}};
    const Runs runs = PlaceRuns(area, strips.centres);
    strips.values.resize(strips.Count() * static_cast<std::size_t>(area.height));
    ReadStrips(copy ? copy.get() : photo, runs, strips);
    return strips;
}

}  // namespace tamrex
