#include "counting/BoardCounter.h"
#include "image/RowBits.h"

#include <algorithm>

namespace tamrex {
namespace {

// The margin a found line takes with it: 9 rows below its start, 10 above its end.
constexpr int kRowsBelow = 9;
constexpr int kRowsAbove = 10;

}  // namespace

// Whitens the block of the run of `profile` that starts at rowY and leaves rowY on
// the row directly above the block.
void BoardCounter::WhitenBlock(const Profile& profile, int& rowY) {
    int scanRow = rowY;
    while (profile[scanRow] != 0) ++scanRow;
    const int first = std::max(0, rowY - kRowsBelow);
    const int last = std::min(imgHeight - 1, scanRow + kRowsAbove - 1);
    const OneBitRows strip(stripImage.get());
    for (int row = first; row <= last; ++row) FillRow(strip, row, imgWidth, true);
    rowY = scanRow + kRowsAbove;
}

// One sweep over the rows; at each step the profiles are checked in order, each at
// the row where the previous check left the sweep. The row after the last check is
// stepped over unexamined, which decides which later runs start a block.
void BoardCounter::EraseFoundLines(std::initializer_list<const Profile*> profiles) {
    for (int rowY = 0; rowY < imgHeight; ++rowY) {
        for (const Profile* profile : profiles) {
            if (rowY < imgHeight && (*profile)[rowY] > 0) WhitenBlock(*profile, rowY);
        }
    }
}

}  // namespace tamrex
