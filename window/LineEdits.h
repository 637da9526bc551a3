#pragma once

#include "calibration/CorrectionsFile.h"
#include "counting/CountResult.h"

#include <cstddef>
#include <optional>
#include <vector>

namespace tamrex {

// Photo rows counted from the top, as a screen shows them, both ends included.
struct RowSpan {
    int top = 0;
    int bottom = 0;
    int Middle() const { return top + (bottom - top) / 2; }
    bool Holds(int row) const { return row >= top && row <= bottom; }
    bool operator==(const RowSpan&) const = default;
};

// Lines drawn by hand carry no pass of the count.
inline constexpr int kHandDrawn = 0;

struct ReviewLine {
    RowSpan rows;
    int pass = kHandDrawn;  // 1..4: the pass of the count that found it
    bool operator==(const ReviewLine&) const = default;
};

// The count's lines and strip in photo rows from the top; its own rows run bottom-up from
// the foot of the photo, so the photo's height is needed to turn them round.
std::vector<ReviewLine> CountedLines(const CountResult& count, int photoHeight);
RowSpan StripRows(const CountResult& count, int photoHeight);

// The lines a review starts from: those accepted for the photo, when a correction with
// lines is given and they lie on the photo, each in the colour of the pass that found the
// same rows, if one did; else the count's own lines.
std::vector<ReviewLine> StartingLines(const CountResult& count, int photoHeight, const Correction* accepted);
// The lines as the corrections file keeps them.
std::vector<AcceptedLine> ToAccepted(const std::vector<ReviewLine>& lines);

// A count being put right by hand: lines taken away or added, every step undoable. The
// boards are the lines plus one, as the rules count them. Lines are kept bottom first, so
// the line numbered n from the bottom (as the overlay numbers them) is Lines()[n - 1].
class LineEdits {
public:
    // Starts from `start`; the count of the rules found `countedLines` lines, when it is
    // not the lines started from.
    LineEdits(std::vector<ReviewLine> start, RowSpan strip, std::optional<int> countedLines = std::nullopt);

    const std::vector<ReviewLine>& Lines() const { return lines_; }
    const RowSpan& Strip() const { return strip_; }
    int CountedBoards() const { return counted_ + 1; }
    int Boards() const { return static_cast<int>(lines_.size()) + 1; }
    // Whether the lines lie elsewhere than those started from, however they came to;
    // a line taken away and drawn again on the same rows is no change.
    bool Changed() const;

    // The line that covers `row`, else the nearest one within `reach` rows of it.
    std::optional<std::size_t> LineNear(int row, int reach) const;
    void Remove(std::size_t index);
    // A line one row high, unless a line covers the row already.
    bool AddAt(int row);

    // One step of editing: a line added, or taken away.
    struct Edit {
        ReviewLine line;
        bool added = false;
    };
    bool CanUndo() const { return !done_.empty(); }
    bool CanRedo() const { return !undone_.empty(); }
    // The step undone or done again, if there was one.
    std::optional<Edit> Undo();
    std::optional<Edit> Redo();

    // Where a keyboard cursor stops on its way up or down: the middle of every line and of
    // every gap between neighbouring lines or between the outer lines and the strip's edges,
    // where a missed line would lie. None when nothing lies that way.
    std::optional<int> StopAbove(int row) const;
    std::optional<int> StopBelow(int row) const;

private:
    void Do(const Edit& edit, bool forward);
    std::vector<int> Stops() const;

    std::vector<ReviewLine> lines_;
    std::vector<ReviewLine> start_;
    RowSpan strip_;
    int counted_ = 0;
    std::vector<Edit> done_;
    std::vector<Edit> undone_;
};

}  // namespace tamrex
