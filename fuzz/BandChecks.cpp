#include "fuzz/BandChecks.h"

#include "fuzz/FuzzCheck.h"
#include "fuzz/PixelBits.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace tamrex::fuzz {
namespace {

constexpr int kSkippedColumns = 4;

struct PictureRow {
    int dark = 0;
    bool saturated = false;
};

std::vector<PictureRow> RowsOf(FIBITMAP* picture) {
    const int W = Width(picture);
    std::vector<PictureRow> rows(static_cast<std::size_t>(Height(picture)));
    for (int y = 0; y < Height(picture); ++y) {
        PictureRow& row = rows[static_cast<std::size_t>(y)];
        const std::uint8_t* bits = Row(picture, y);
        for (int x = kSkippedColumns; x < W; ++x) row.dark += IsLight(bits, x) ? 0 : 1;
        row.saturated = static_cast<double>(row.dark) > static_cast<double>(W) * 0.7;
    }
    return rows;
}

void CheckRowProfile(const BoardCounter& counter, const std::vector<PictureRow>& rows, int W) {
    for (std::size_t y = 0; y < rows.size(); ++y) {
        const int expected = rows[y].saturated ? W : rows[y].dark;
        if (counter.rowProfile[y] != expected) {
            Fail("band rowProfile[" + std::to_string(y) + "] is " + std::to_string(counter.rowProfile[y]) +
                 ", not " + std::to_string(expected));
        }
    }
}

void CheckStripPixels(const BoardCounter& counter, FIBITMAP* picture, int firstRow) {
    FIBITMAP* strip = counter.stripImage.get();
    for (int k = 0; k < counter.imgHeight; ++k) {
        const std::uint8_t* stripRow = Row(strip, k);
        const std::uint8_t* pictureRow = Row(picture, firstRow + k);
        for (int c = 0; c < counter.imgWidth; ++c) {
            if (IsLight(stripRow, c) != IsLight(pictureRow, kSkippedColumns + c)) {
                Fail("strip pixel (" + std::to_string(c) + ", " + std::to_string(k) + ") differs from the picture's");
            }
        }
    }
    Require(SamePixels(counter.pristineStrip.get(), strip), "the first strip differs from the strip");
}

}  // namespace

void CheckBand(const BoardCounter& counter, FIBITMAP* picture, bool found) {
    const int W = Width(picture);
    const int H = Height(picture);
    const std::vector<PictureRow> rows = RowsOf(picture);
    const auto unsaturated = std::count_if(rows.begin(), rows.end(), [](const PictureRow& row) { return !row.saturated; });
    Require(found == (W > kSkippedColumns && unsaturated != 1),
            "band found is " + std::to_string(found) + " for a picture " + std::to_string(W) + " wide with " +
                std::to_string(unsaturated) + " unsaturated rows");
    if (!found) return;

    CheckRowProfile(counter, rows, W);
    int r0 = 0;
    while (r0 < H && rows[static_cast<std::size_t>(r0)].saturated) ++r0;
    int r1 = H - 1;
    while (r1 > 0 && rows[static_cast<std::size_t>(r1)].saturated) --r1;
    Require(counter.bandLower == H - r0 && counter.bandUpper == H - r1,
            "crop edges " + std::to_string(counter.bandLower) + ", " + std::to_string(counter.bandUpper) +
                " for r0 " + std::to_string(r0) + ", r1 " + std::to_string(r1) + " of " + std::to_string(H) + " rows");
    Require(counter.imgWidth == W - kSkippedColumns && counter.imgHeight == std::abs(r0 - r1),
            "strip size " + std::to_string(counter.imgWidth) + "x" + std::to_string(counter.imgHeight));
    Require(Width(counter.stripImage.get()) == counter.imgWidth && Height(counter.stripImage.get()) == counter.imgHeight,
            "the strip bitmap's size is not imgWidth x imgHeight");
    CheckStripPixels(counter, picture, std::min(r0, r1));
}

}  // namespace tamrex::fuzz
