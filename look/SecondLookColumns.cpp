#include "look/SecondLookColumns.h"

#include <algorithm>
#include <memory>
#include <string>

namespace tamrex {
namespace {

constexpr int kMostColumns = 128;    // enough to outvote straps, paint and broken seams
constexpr int kPixelsPerColumn = 6;  // at most one sampled column per this many pixels
constexpr int kLongestRun = 4;       // neighbouring pixels averaged into one column value
constexpr int kSmallestSide = 16;
constexpr std::size_t kSections = 16;

using PhotoCopy = std::unique_ptr<FIBITMAP, decltype(&FreeImage_Unload)>;

bool ReadableAsIs(FIBITMAP* photo) {
    if (FreeImage_GetImageType(photo) != FIT_BITMAP) return false;
    const unsigned bits = FreeImage_GetBPP(photo);
    return bits == 24 || bits == 32 || (bits == 8 && FreeImage_GetColorType(photo) == FIC_MINISBLACK);
}

// The JPEG decoder gives 24-bit colour or 8-bit grey; anything else is rare enough
// that a converted copy costs nothing that matters.
PhotoCopy GreyCopy(FIBITMAP* photo) {
    PhotoCopy standard(FreeImage_GetImageType(photo) == FIT_BITMAP
                           ? FreeImage_Clone(photo)
                           : FreeImage_ConvertToType(photo, FIT_BITMAP, TRUE),
                       &FreeImage_Unload);
    if (!standard) return standard;
    return PhotoCopy(FreeImage_ConvertToGreyscale(standard.get()), &FreeImage_Unload);
}

// Places the runs evenly across the width, each centred on its share of it.
GreyColumns EmptyColumns(int width, int height, int& run, std::vector<int>& starts) {
    const int count = std::clamp(width / kPixelsPerColumn, 1, kMostColumns);
    const double spacing = static_cast<double>(width) / count;
    run = std::clamp(static_cast<int>(spacing / 2), 1, kLongestRun);
    GreyColumns columns{width, height, {}, std::vector<float>(static_cast<std::size_t>(count) * height)};
    for (int index = 0; index < count; ++index) {
        const int start =
            std::clamp(static_cast<int>((index + 0.5) * spacing - run / 2.0 + 0.5), 0, width - run);
        starts.push_back(start);
        columns.centres.push_back(start + (run - 1) / 2.0);
    }
    return columns;
}

// Grey as (blue + 2 green + red) / 4: close enough to luminance to find dark seams,
// and cheap. Scanline by scanline, so each is read from memory once.
void ReadColumns(FIBITMAP* photo, GreyColumns& columns, int run, const std::vector<int>& starts) {
    const unsigned bytes = FreeImage_GetBPP(photo) / 8;
    const float scale = 1.0f / (bytes == 1 ? run : 4 * run);
    for (int y = 0; y < columns.height; ++y) {
        const BYTE* line = FreeImage_GetScanLine(photo, y);
        for (std::size_t index = 0; index < starts.size(); ++index) {
            const BYTE* pixel = line + static_cast<std::size_t>(starts[index]) * bytes;
            unsigned sum = 0;
            for (int step = 0; step < run; ++step, pixel += bytes) {
                sum += bytes == 1 ? pixel[0]
                                  : pixel[FI_RGBA_BLUE] + 2u * pixel[FI_RGBA_GREEN] + pixel[FI_RGBA_RED];
            }
            columns.values[index * columns.height + y] = static_cast<float>(sum) * scale;
        }
    }
}

}  // namespace

Expected<GreyColumns> SampleColumns(FIBITMAP* photo) {
    if (!photo || !FreeImage_HasPixels(photo)) return Fail("the photo holds no pixels to count boards in");
    const int width = static_cast<int>(FreeImage_GetWidth(photo));
    const int height = static_cast<int>(FreeImage_GetHeight(photo));
    if (width < kSmallestSide || height < kSmallestSide) {
        return Fail("the photo is only " + std::to_string(width) + " x " + std::to_string(height) +
                    " pixels, too small to show a stack of boards; use a photo in which the stack fills most "
                    "of the picture");
    }
    PhotoCopy copy(nullptr, &FreeImage_Unload);
    if (!ReadableAsIs(photo) && !(copy = GreyCopy(photo))) {
        return Fail(
            "the photo's pixel format cannot be turned into grey levels; save it as an ordinary "
            "colour or grey JPEG");
    }
    int run = 1;
    std::vector<int> starts;
    GreyColumns columns = EmptyColumns(width, height, run, starts);
    ReadColumns(copy ? copy.get() : photo, columns, run, starts);
    return columns;
}

std::vector<ColumnSection> SectionsOf(const GreyColumns& columns) {
    const std::size_t count = std::min(kSections, columns.Count());
    std::vector<ColumnSection> sections;
    for (std::size_t index = 0; index < count; ++index) {
        const std::size_t first = index * columns.Count() / count,
                          last = (index + 1) * columns.Count() / count;
        sections.push_back({first, last, (columns.centres[first] + columns.centres[last - 1]) / 2});
    }
    return sections;
}

}  // namespace tamrex
