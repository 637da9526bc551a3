#include "counting/BoardCounter.h"
#include "image/RowBits.h"

#include <algorithm>
#include <cmath>

namespace tamrex {
namespace {

// A stretch of board rows longer than this many board thicknesses hides gap lines.
constexpr double kThickRunFactor = 1.3;
// A remainder of more than this many rows after the whole boards is one more board.
constexpr int kLongestIgnoredRemainder = 3;

}  // namespace

// Works on the line map of passes 1 to 3: a row with any light pixel is a board row.
// A board thickness of zero or less splits nothing, so pass 4 then adds no line.
void BoardCounter::SplitThickRuns() {
    const int pWidth = settings.pWidth;
    rowProfile.assign(std::max(kMinProfileEntries, imgHeight + 1), 0);
    lineProfile4.assign(std::max(kMinProfileEntries, imgHeight + 1), 0);
    const OneBitRows strip(stripImage.get());
    int scanRow = 0;  // board rows since the last line row
    for (int rowY = 0; rowY < imgHeight; ++rowY) {
        rowProfile[rowY] = CountLightPixels(strip, rowY, 0, imgWidth);
        if (rowProfile[rowY] > 0) {
            ++scanRow;
            continue;
        }
        if (pWidth > 0 && scanRow > 0 &&
            static_cast<double>(scanRow) / static_cast<double>(pWidth) > kThickRunFactor) {
            int splitCount = static_cast<int>(std::floor(static_cast<double>(scanRow) / pWidth));
            if (scanRow % pWidth > kLongestIgnoredRemainder) ++splitCount;
            for (int splitIndex = 1; splitIndex < splitCount; ++splitIndex) {
                const int fillStep = (rowY - scanRow) + splitIndex * pWidth;
                for (int colX = fillStep - 1; colX <= fillStep + 1; ++colX) lineProfile4[colX] = imgWidth;
            }
        }
        scanRow = 0;
    }
    lineProfile4[imgHeight] = 0;
}

}  // namespace tamrex
