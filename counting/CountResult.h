#pragma once

#include "base/Expected.h"
#include "look/SecondLook.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tamrex {

// A line: consecutive strip rows, bottom-up, that a pass marked.
struct LineRun {
    int firstRow = 0;
    int lastRow = 0;
    bool operator==(const LineRun&) const = default;
};

// What a count run that counted gives back; a run that could not count returns a
// Failure instead, and so carries no count.
struct CountResult {
    std::string photo;                 // the photo as it was named to the run
    std::string warning;               // a decoder warning on a photo that was still counted
    int orientation = 1;               // the EXIF orientation the photo was turned upright from
    int lineTotal = 0;                 // lines found in all four passes
    std::array<int, 4> passLines{};    // lines found by each pass
    std::array<std::vector<LineRun>, 4> lineRuns;  // the lines of each pass, bottom-up
    int stripWidth = 0;
    int stripHeight = 0;
    int bandOffset = 0;                // bottom-up picture row of the strip's row 0
    std::int64_t milliseconds = 0;     // processing time, load to saved line map
    // Whether the line map asked for was written; the count stands either way.
    Outcome lineMapWrite;

    // The check on the count: the stack's height in boards of the station's thickness
    // (none without a thickness), and the reasons to look at this count (see
    // CountCheck.h), empty when it looks regular. Advice only: the count stays the
    // count of the rules.
    std::optional<double> heightBoards;
    std::vector<std::string> flags;

    // The second look: an independent count from the photo's grey levels, with the
    // seams it followed; when it has none, `secondLookError` says why, in words a person
    // can act on. Never changes the count above.
    std::optional<SecondCount> secondLook;
    std::string secondLookError;

    int count() const { return lineTotal + 1; }  // boards = lines between them + 1
};

}  // namespace tamrex
