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
constexpr int kRowsAhead = 8;

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

Outcome CheckArea(const PhotoArea& area) {
    if (area.width >= kSmallestSide && area.height >= kSmallestSide) return {};
    return Fail("the part of the photo to look at is only " + std::to_string(area.width) + " x " +
                std::to_string(area.height) +
                " pixels, too small to show a stack of boards; use a photo or a frame in which the stack "
                "fills most of the picture");
}

// Where the strips of a photo of `width` x `height` lie, when they can be read at all.
Expected<PhotoArea> StripArea(int width, int height, const std::optional<PhotoFrame>& frame) {
    const Expected<PhotoArea> area = AreaOnPhoto(width, height, frame);
    if (!area) return area;
    if (Outcome fits = CheckArea(*area); !fits) return tl::unexpected(fits.error());
    return area;
}

int WidthOf(FIBITMAP* photo) { return static_cast<int>(FreeImage_GetWidth(photo)); }
int HeightOf(FIBITMAP* photo) { return static_cast<int>(FreeImage_GetHeight(photo)); }

}  // namespace

// Spreads the strips evenly over the area and each strip's runs evenly over the strip.
StripSampler::StripSampler(const PhotoArea& area, unsigned bytesPerPixel) : bytes_(bytesPerPixel) {
    strips_.area = area;
    const int count = std::clamp(area.width / kPixelsPerStrip, 1, kMostStrips);
    const double stripWidth = static_cast<double>(area.width) / count;
    const double runSpacing = stripWidth / kRunsPerStrip;
    length_ = std::clamp(static_cast<int>(runSpacing / 2), 1, kLongestRun);
    for (int strip = 0; strip < count; ++strip) {
        const double left = area.left + strip * stripWidth;
        strips_.centres.push_back(left + stripWidth / 2 - 0.5);
        for (int run = 0; run < kRunsPerStrip; ++run) {
            const int start = static_cast<int>(left + (run + 0.5) * runSpacing - length_ / 2.0 + 0.5);
            starts_.push_back(std::clamp(start, area.left, area.left + area.width - length_));
        }
    }
    strips_.values.resize(strips_.Count() * static_cast<std::size_t>(area.height));
}

// Grey as (blue + 2 green + red) / 4: close enough to luminance to find dark seams,
// and cheap.
template <unsigned kBytes>
void StripSampler::Sample(const BYTE* line, std::size_t row) {
    const float scale = 1.0f / static_cast<float>((kBytes == 1 ? 1 : 4) * length_ * kRunsPerStrip);
    const std::size_t height = static_cast<std::size_t>(strips_.area.height);
    for (std::size_t strip = 0; strip < strips_.Count(); ++strip) {
        unsigned sum = 0;
        for (int run = 0; run < kRunsPerStrip; ++run) {
            const BYTE* pixel = line + static_cast<std::size_t>(starts_[strip * kRunsPerStrip + run]) * kBytes;
            for (int step = 0; step < length_; ++step, pixel += kBytes) {
                if constexpr (kBytes == 1) {
                    sum += pixel[0];
                } else {
                    sum += pixel[FI_RGBA_BLUE] + 2u * pixel[FI_RGBA_GREEN] + pixel[FI_RGBA_RED];
                }
            }
        }
        strips_.values[strip * height + row] = static_cast<float>(sum) * scale;
    }
}

void StripSampler::Sample(int scanline, const BYTE* line) {
    const int row = scanline - strips_.area.bottom;
    if (row < 0 || row >= strips_.area.height) return;
    ++rowsDone_;
    switch (bytes_) {
        case 1: Sample<1>(line, static_cast<std::size_t>(row)); break;
        case 3: Sample<3>(line, static_cast<std::size_t>(row)); break;
        default: Sample<4>(line, static_cast<std::size_t>(row)); break;
    }
}

Expected<GreyStrips> StripSampler::Take() {
    if (rowsDone_ != strips_.area.height) return Fail("the photo's rows were not all read");
    return std::move(strips_);
}

// Scanline by scanline, so each is read from memory once. The runs lie a whole scanline
// apart, too far for the processor to guess: a later row's are asked for while this one
// is read, so a photo that has left the caches is not waited for run by run.
void StripSampler::SampleAll(FIBITMAP* photo) {
    const std::size_t pitch = FreeImage_GetPitch(photo);
    const int height = strips_.area.height;
    for (int row = 0; row < height; ++row) {
        const BYTE* line = FreeImage_GetScanLine(photo, strips_.area.bottom + row);
        if (row + kRowsAhead < height) {
            const BYTE* ahead = line + static_cast<std::size_t>(kRowsAhead) * pitch;
            for (const int start : starts_) __builtin_prefetch(ahead + static_cast<std::size_t>(start) * bytes_);
        }
        Sample(strips_.area.bottom + row, line);
    }
}

Expected<GreyStrips> SampleStrips(FIBITMAP* photo, const std::optional<PhotoFrame>& frame) {
    if (!photo || !FreeImage_HasPixels(photo)) return Fail("the photo holds no pixels to count boards in");
    const Expected<PhotoArea> area = StripArea(WidthOf(photo), HeightOf(photo), frame);
    if (!area) return tl::unexpected(area.error());
    BitmapHandle copy;
    if (!ReadableAsIs(photo) && !(copy = GreyCopy(photo))) {
        return Fail("the photo's pixel format cannot be turned into grey levels; save it as an ordinary colour or "
                    "grey JPEG");
    }
    FIBITMAP* readable = copy ? copy.get() : photo;
    StripSampler sampler(*area, FreeImage_GetBPP(readable) / 8);
    sampler.SampleAll(readable);
    return sampler.Take();
}

bool StripsWhileDecoding::Start(const PictureShape& shape) {
    sampler_.reset();
    error_.clear();
    const Expected<PhotoArea> area = StripArea(shape.width, shape.height, frame_);
    if (area) {
        sampler_.emplace(*area, static_cast<unsigned>(shape.bytesPerPixel));
    } else {
        error_ = area.error().message;  // stands whatever the rows hold
    }
    return true;
}

void StripsWhileDecoding::Row(int scanline, const BYTE* pixels) {
    if (sampler_) sampler_->Sample(scanline, pixels);
}

Expected<GreyStrips> StripsWhileDecoding::Take(FIBITMAP* photo) {
    if (!error_.empty()) return Fail(error_);
    if (sampler_) {
        Expected<GreyStrips> strips = sampler_->Take();
        sampler_.reset();
        if (strips) return strips;
    }
    return SampleStrips(photo, frame_);
}

}  // namespace tamrex
