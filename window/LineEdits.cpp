#include "window/LineEdits.h"

#include <algorithm>

namespace tamrex {
namespace {

// Bottom first: a lower line has larger rows.
bool Below(const ReviewLine& a, const ReviewLine& b) { return a.rows.top > b.rows.top; }

int Distance(const RowSpan& rows, int row) {
    if (rows.Holds(row)) return 0;
    return row < rows.top ? rows.top - row : row - rows.bottom;
}

// The middle of the rows strictly between two spans, the upper one first; none when they touch.
std::optional<int> GapMiddle(int upperBottom, int lowerTop) {
    if (lowerTop - upperBottom < 2) return std::nullopt;
    return upperBottom + (lowerTop - upperBottom) / 2;
}

}  // namespace

std::vector<ReviewLine> CountedLines(const CountResult& count, int photoHeight) {
    std::vector<ReviewLine> lines;
    const int foot = photoHeight - 1 - count.bandOffset;  // the photo row of strip row 0
    for (int pass = 1; pass <= 4; ++pass) {
        for (const LineRun& run : count.lineRuns[pass - 1])
            lines.push_back({{foot - run.lastRow, foot - run.firstRow}, pass});
    }
    return lines;
}

RowSpan StripRows(const CountResult& count, int photoHeight) {
    const int foot = photoHeight - 1 - count.bandOffset;
    return {foot - (count.stripHeight - 1), foot};
}

std::vector<ReviewLine> StartingLines(const CountResult& count, int photoHeight, const Correction* accepted) {
    std::vector<ReviewLine> counted = CountedLines(count, photoHeight);
    if (!accepted || !accepted->HasLines()) return counted;
    std::vector<ReviewLine> lines;
    for (const AcceptedLine& line : accepted->lines) {
        if (line.bottom >= photoHeight) return counted;  // not this photo's lines
        const RowSpan rows{line.top, line.bottom};
        const auto same = std::find_if(counted.begin(), counted.end(), [&](const ReviewLine& c) { return c.rows == rows; });
        lines.push_back({rows, same == counted.end() ? kHandDrawn : same->pass});
    }
    return lines;
}

std::vector<AcceptedLine> ToAccepted(const std::vector<ReviewLine>& lines) {
    std::vector<AcceptedLine> accepted;
    for (const ReviewLine& line : lines) accepted.push_back({line.rows.top, line.rows.bottom});
    std::sort(accepted.begin(), accepted.end(), [](const AcceptedLine& a, const AcceptedLine& b) { return a.top < b.top; });
    return accepted;
}

LineEdits::LineEdits(std::vector<ReviewLine> start, RowSpan strip, std::optional<int> countedLines)
    : lines_(std::move(start)), strip_(strip), counted_(countedLines.value_or(static_cast<int>(lines_.size()))) {
    std::stable_sort(lines_.begin(), lines_.end(), Below);
    start_ = lines_;
}

bool LineEdits::Changed() const {
    return !std::equal(lines_.begin(), lines_.end(), start_.begin(), start_.end(),
                       [](const ReviewLine& a, const ReviewLine& b) { return a.rows == b.rows; });
}

std::optional<std::size_t> LineEdits::LineNear(int row, int reach) const {
    std::optional<std::size_t> nearest;
    int best = reach + 1;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const int distance = Distance(lines_[i].rows, row);
        if (distance < best) {
            best = distance;
            nearest = i;
        }
    }
    return nearest;
}

void LineEdits::Remove(std::size_t index) {
    if (index >= lines_.size()) return;
    const Edit edit{lines_[index], false};
    Do(edit, true);
    done_.push_back(edit);
    undone_.clear();
}

bool LineEdits::AddAt(int row) {
    if (LineNear(row, 0)) return false;
    const Edit edit{{{row, row}, kHandDrawn}, true};
    Do(edit, true);
    done_.push_back(edit);
    undone_.clear();
    return true;
}

std::optional<LineEdits::Edit> LineEdits::Undo() {
    if (done_.empty()) return std::nullopt;
    const Edit edit = done_.back();
    Do(edit, false);
    undone_.push_back(edit);
    done_.pop_back();
    return edit;
}

std::optional<LineEdits::Edit> LineEdits::Redo() {
    if (undone_.empty()) return std::nullopt;
    const Edit edit = undone_.back();
    Do(edit, true);
    done_.push_back(edit);
    undone_.pop_back();
    return edit;
}

// An addition done forward and a removal undone both put the line back in its place.
void LineEdits::Do(const Edit& edit, bool forward) {
    if (edit.added == forward) {
        lines_.insert(std::upper_bound(lines_.begin(), lines_.end(), edit.line, Below), edit.line);
    } else {
        lines_.erase(std::find(lines_.begin(), lines_.end(), edit.line));
    }
}

std::vector<int> LineEdits::Stops() const {
    std::vector<int> stops;
    int lowerTop = strip_.bottom + 1;  // walking up from the strip's foot
    for (const ReviewLine& line : lines_) {
        if (const std::optional<int> gap = GapMiddle(line.rows.bottom, lowerTop)) stops.push_back(*gap);
        stops.push_back(line.rows.Middle());
        lowerTop = line.rows.top;
    }
    if (const std::optional<int> gap = GapMiddle(strip_.top - 1, lowerTop)) stops.push_back(*gap);
    std::sort(stops.begin(), stops.end());
    return stops;
}

std::optional<int> LineEdits::StopAbove(int row) const {
    const std::vector<int> stops = Stops();
    const auto next = std::lower_bound(stops.begin(), stops.end(), row);
    if (next == stops.begin()) return std::nullopt;
    return *std::prev(next);
}

std::optional<int> LineEdits::StopBelow(int row) const {
    const std::vector<int> stops = Stops();
    const auto next = std::upper_bound(stops.begin(), stops.end(), row);
    if (next == stops.end()) return std::nullopt;
    return *next;
}

}  // namespace tamrex
