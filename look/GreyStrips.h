#pragma once

#include "base/Expected.h"
#include "look/PhotoFrame.h"

#include <FreeImage.h>

#include <cstddef>
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

// The photo's pixels as rows of grey strips across `area`, which lies within the
// photo. Fails when the area is too small to hold a stack or the photo's pixels cannot
// be read as grey levels.
Expected<GreyStrips> SampleStrips(FIBITMAP* photo, const PhotoArea& area);

}  // namespace tamrex
