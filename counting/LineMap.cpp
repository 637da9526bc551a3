#include "counting/BoardCounter.h"
#include "image/RowBits.h"

#include <algorithm>

namespace tamrex {

void BoardCounter::RenderLineMap(FIBITMAP* target, std::initializer_list<const Profile*> profiles) {
    const OneBitRows rows(target);
    for (int rowY = 0; rowY < imgHeight; ++rowY) {
        const bool marked = std::any_of(profiles.begin(), profiles.end(),
                                        [rowY](const Profile* profile) { return (*profile)[rowY] > 0; });
        FillRow(rows, rowY, imgWidth, !marked);
    }
}

// The walk up a run needs no bound of its own: the entry above the top row is 0.
void BoardCounter::CountLineRuns(const Profile& profile) {
    passLines = 0;
    for (int rowY = 0; rowY < imgHeight; ++rowY) {
        if (profile[rowY] > 0) {
            ++passLines;
            int scanRow = rowY;
            while (profile[scanRow] > 0) ++scanRow;
            rowY = scanRow;  // unmarked, so the loop may step over it
        }
    }
    lineTotal += passLines;
}

std::vector<LineRun> BoardCounter::RunsOf(const Profile& profile) const {
    std::vector<LineRun> runs;
    for (int rowY = 0; rowY < imgHeight; ++rowY) {
        if (profile[rowY] <= 0) continue;
        const int firstRow = rowY;
        while (profile[rowY + 1] > 0) ++rowY;
        runs.push_back({firstRow, rowY});
    }
    return runs;
}

}  // namespace tamrex
