#include "counting/BoardCounter.h"
#include "image/RowBits.h"
#include "counting/Saturation.h"
#include "image/StripCrop.h"

#include <algorithm>
#include <cstring>

namespace tamrex {
namespace {

// The four leftmost columns are left out of the band's profile and of the strip.
constexpr int kSkippedColumns = 4;

}  // namespace

bool BoardCounter::DetectBand() {
    const int W = imgWidth;
    const int H = imgHeight;
    if (W <= kSkippedColumns) return false;

    rowProfile.assign(std::max(kMinProfileEntries, H + 1), 0);
    const OneBitRows binary(binaryImage.get());
    for (int rowY = 0; rowY < H; ++rowY) {
        const int dark = CountDarkPixels(binary, rowY, kSkippedColumns, W);
        rowProfile[rowY] = Saturate(dark, W, 0.7);
    }

    // A saturated row reads W, which only a saturated row can reach.
    int r0 = 0;
    while (r0 < H && rowProfile[r0] >= W) ++r0;
    int r1 = H - 1;
    while (r1 > 0 && rowProfile[r1] >= W) --r1;
    if (r0 == r1) return false;  // exactly one unsaturated row: nothing between the margins

    bandLower = H - r0;
    bandUpper = H - r1;
    // FreeImage_Copy(binaryImage, 4, bandLower, W, bandUpper) would give the same
    // strip, but copies one pixel at a time: on a phone photo that is a noticeable
    // share of the whole count.
    stripImage = CropOneBitPicture(binaryImage.get(), kSkippedColumns, std::min(r0, r1), std::max(r0, r1));
    if (!stripImage) return false;
    imgWidth = static_cast<int>(FreeImage_GetWidth(stripImage.get()));
    imgHeight = static_cast<int>(FreeImage_GetHeight(stripImage.get()));
    pristineStrip.reset(FreeImage_Clone(stripImage.get()));
    return pristineStrip != nullptr;
}

// The photo and threshold never change within a run, so a fresh threshold-and-crop
// would give exactly the first strip as it was cut; copying that is much cheaper, and
// copying it over the strip of the same size that a pass is done with cheaper still.
bool BoardCounter::CutFreshStrip() {
    markImage = nullptr;  // it pointed at the strip the pass before drew into
    FIBITMAP* pristine = pristineStrip.get();
    if (stripImage && FreeImage_GetWidth(stripImage.get()) == FreeImage_GetWidth(pristine) &&
        FreeImage_GetHeight(stripImage.get()) == FreeImage_GetHeight(pristine)) {
        std::memcpy(FreeImage_GetBits(stripImage.get()), FreeImage_GetBits(pristine),
                    std::size_t{FreeImage_GetPitch(pristine)} * FreeImage_GetHeight(pristine));
        return true;
    }
    stripImage.reset(FreeImage_Clone(pristine));
    return stripImage != nullptr;
}

}  // namespace tamrex
