#include "counting/BoardCounter.h"
#include "image/RowBits.h"
#include "counting/Saturation.h"

#include <algorithm>

namespace tamrex {
namespace {

constexpr int kFirstCountedColumn = 4;

struct PassLimits {
    double saturationFactor;
    double minimum;        // a row with fewer dark pixels is not a line row
    int longestRepaired;   // runs of up to this many rows between zeros are cleared
};

PassLimits LimitsOf(int pass, int bdLine) {
    switch (pass) {
        case 1: return {0.7, static_cast<double>(bdLine), 3};
        case 2: return {0.6, bdLine * 0.8, 3};
        default: return {0.5, bdLine * 0.7, 2};
    }
}

// Clears a run of 1 to longestRepaired non-zero entries that ends just below the
// zero at r and has a zero below it. Tested at each r on the values as they stand,
// so a run is only ever judged once all of its entries are final.
void RepairGapAt(Profile& E, int r, int longestRepaired) {
    if (E[r] != 0) return;
    for (int length = 1; length <= longestRepaired; ++length) {
        if (r <= length + 1) return;  // the run must begin at row 2 or higher
        if (E[r - length] == 0) return;
        if (E[r - length - 1] == 0) {
            std::fill(E.begin() + (r - length), E.begin() + r, 0);
            return;
        }
    }
}

Profile& ProfileOf(BoardCounter& counter, int pass) {
    switch (pass) {
        case 1: return counter.lineProfile1;
        case 2: return counter.lineProfile2;
        default: return counter.lineProfile3;
    }
}

}  // namespace

void BoardCounter::BuildLineProfile(int pass) {
    const PassLimits limits = LimitsOf(pass, settings.bdLine);
    Profile& E = ProfileOf(*this, pass);
    E.assign(std::max(kMinProfileEntries, imgHeight + 1), 0);
    const OneBitRows strip(stripImage.get());
    for (int r = 0; r <= imgHeight; ++r) {
        if (r < imgHeight) {
            const int dark = CountDarkPixels(strip, r, kFirstCountedColumn, imgWidth);
            int entry = Saturate(dark, imgWidth, limits.saturationFactor);
            if (entry < limits.minimum) entry = 0;
            E[r] = entry;
        }
        RepairGapAt(E, r, limits.longestRepaired);
    }
}

}  // namespace tamrex
