#include "counting/BoardCounter.h"
#include "image/RowBits.h"
#include "counting/Saturation.h"

#include <algorithm>

namespace tamrex {
namespace {

// A row is whitened while its measure exceeds this limit. Passes 1 and 3 use a
// real-valued half of bdLine, so 5 gives 2.5; pass 2 uses bdLine itself.
double TrimLimit(int pass, int bdLine) {
    switch (pass) {
        case 1: return bdLine / 2.0;
        case 2: return bdLine;
        default: return bdLine * 0.5;
    }
}

}  // namespace

void BoardCounter::TrimStripEdges(int pass) {
    const int bdLine = settings.bdLine;
    rowProfile.assign(std::max(kMinProfileEntries, imgHeight + 1), 0);
    const OneBitRows strip(stripImage.get());
    for (int rowY = 0; rowY < imgHeight; ++rowY) {
        int entry = Saturate(CountDarkPixels(strip, rowY, 0, imgWidth), imgWidth, 0.7);
        if (pass == 1 && entry < bdLine) entry = 0;
        rowProfile[rowY] = entry;
    }

    // Both scans test the measures as built above; whitening does not change them.
    const double limit = TrimLimit(pass, bdLine);
    for (int rowY = 0; rowProfile[rowY] > limit && rowY < imgHeight; ++rowY) {
        FillRow(strip, rowY, imgWidth, true);
    }
    for (int rowY = imgHeight - 1; rowProfile[rowY] > limit && rowY > 0; --rowY) {
        FillRow(strip, rowY, imgWidth, true);
    }
}

}  // namespace tamrex
