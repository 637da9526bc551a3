#pragma once

#include "base/Expected.h"
#include "image/DecodeJpeg.h"
#include "look/PhotoFrame.h"

#include <FreeImage.h>

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tamrex {

// The photo as the second look reads it: narrow vertical strips side by side, each row
// of a strip the mean grey level of a few short runs of its pixels, so that pixel
// noise averages out while a seam, which runs across the strip, stays sharp. Rows are
// bottom-up and counted from the bottom of the area read.
struct GreyStrips {
    PhotoArea area;               // where in the photo the strips lie
    std::vector<double> centres;  // each strip's centre, in photo columns
    std::vector<float> values;    // strip after strip, area.height values each

    int Height() const { return area.height; }
    std::size_t Count() const { return centres.size(); }
    const float* Strip(std::size_t index) const { return values.data() + index * static_cast<std::size_t>(area.height); }
};

// Reads the strips of `area` from the photo's scanlines, one at a time in any order.
class StripSampler {
public:
    // `bytesPerPixel`: 1 for grey, 3 or 4 for blue, green, red (and alpha).
    StripSampler(const PhotoArea& area, unsigned bytesPerPixel);
    // Scanline `scanline` of the photo, counted bottom-up; one outside the area is passed over.
    void Sample(int scanline, const BYTE* line);
    // Every scanline of the area, from the photo itself.
    void SampleAll(FIBITMAP* photo);
    // The strips, once every scanline of the area was read.
    Expected<GreyStrips> Take();

private:
    template <unsigned kBytes>
    void Sample(const BYTE* line, std::size_t row);

    unsigned bytes_;
    int length_ = 1;          // pixels per run
    std::vector<int> starts_;  // each strip's runs, strip after strip, in photo columns
    GreyStrips strips_;
    int rowsDone_ = 0;
};

// The photo's pixels as rows of grey strips across `frame`, or across the whole photo
// without one. Fails when the frame misses the photo, the part read is too small to
// hold a stack, or the photo's pixels cannot be read as grey levels.
Expected<GreyStrips> SampleStrips(FIBITMAP* photo, const std::optional<PhotoFrame>& frame);

// The same strips read from the rows as they are decoded, so that the count's second
// look needs no copy of the whole photo in memory.
class StripsWhileDecoding : public DecodedRows {
public:
    explicit StripsWhileDecoding(std::optional<PhotoFrame> frame) : frame_(std::move(frame)) {}
    bool Start(const PictureShape& shape) override;
    void Row(int scanline, const BYTE* pixels) override;
    // The strips, or why they cannot be read; read from `photo` when the decoder kept it
    // instead of handing its rows on.
    Expected<GreyStrips> Take(FIBITMAP* photo);

private:
    std::optional<PhotoFrame> frame_;
    std::optional<StripSampler> sampler_;
    std::string error_;
};

}  // namespace tamrex
