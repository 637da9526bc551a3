#pragma once

#include "base/Expected.h"

#include <FreeImage.h>

#include <cstddef>
#include <vector>

namespace tamrex {

// The few columns of the photo the second look reads, in grey, each the mean of a
// short run of neighbouring pixels so that pixel noise averages out. Rows bottom-up.
struct GreyColumns {
    int width = 0, height = 0;    // the photo's
    std::vector<double> centres;  // each column's centre, in photo pixels
    std::vector<float> values;    // column after column, `height` values each

    std::size_t Count() const { return centres.size(); }
    const float* Column(std::size_t index) const { return values.data() + index * height; }
};

// Neighbouring columns grouped for a look at one vertical slice of the photo.
struct ColumnSection {
    std::size_t first, last;  // the columns [first, last)
    double centre;            // in photo pixels
};

// Fails when the photo is too small to hold a stack or its pixels cannot be read.
Expected<GreyColumns> SampleColumns(FIBITMAP* photo);

// The columns split into even vertical slices across the width, left to right.
std::vector<ColumnSection> SectionsOf(const GreyColumns& columns);

}  // namespace tamrex
