#include "calibration/RobustChoice.h"

#include <algorithm>
#include <vector>

namespace tamrex {
namespace {

CalibrationScore BestScore(const ScoreGrid& grid) {
    CalibrationScore best = grid[0];
    for (std::size_t index = 1; index < grid.size(); ++index) {
        if (grid[index].BetterThan(best)) best = grid[index];
    }
    return best;
}

std::array<int, 3> PositionOf(const ScoreGrid& grid, std::size_t index) {
    const int p = static_cast<int>(index % grid.extent(2));
    const int b = static_cast<int>(index / grid.extent(2) % grid.extent(1));
    const int t = static_cast<int>(index / grid.extent(2) / grid.extent(1));
    return {t, b, p};
}

// The stretch of best-scoring positions along `axis` that holds the given cell.
AxisSpan PlateauAlong(const ScoreGrid& grid, const std::vector<bool>& best, std::size_t index, int axis) {
    const std::size_t stride = grid.StrideOf(axis);
    const int at = PositionOf(grid, index)[axis];
    AxisSpan span{at, at};
    while (span.first > 0 && best[index - (at - span.first + 1) * stride]) --span.first;
    while (span.last + 1 < grid.extent(axis) && best[index + (span.last + 1 - at) * stride]) ++span.last;
    return span;
}

struct Room {
    double nearestEdge = 0;  // the smallest share of an axis between the cell and a plateau edge
    double summed = 0;

    bool MoreThan(const Room& other) const {
        return nearestEdge != other.nearestEdge ? nearestEdge > other.nearestEdge : summed > other.summed;
    }
};

// Axes with a single position offer no room either way and are left out.
Room RoomOf(const ScoreGrid& grid, const std::array<AxisSpan, 3>& plateau, const std::array<int, 3>& at) {
    Room room;
    bool first = true;
    for (int axis = 0; axis < 3; ++axis) {
        if (grid.extent(axis) < 2) continue;
        const int steps = std::min(at[axis] - plateau[axis].first, plateau[axis].last - at[axis]);
        const double share = static_cast<double>(steps) / (grid.extent(axis) - 1);
        room.nearestEdge = first ? share : std::min(room.nearestEdge, share);
        room.summed += share;
        first = false;
    }
    return room;
}

}  // namespace

RobustChoice ChooseMostRobust(const ScoreGrid& grid) {
    const CalibrationScore bestScore = BestScore(grid);
    std::vector<bool> best(grid.size());
    for (std::size_t index = 0; index < grid.size(); ++index) best[index] = grid[index] == bestScore;

    RobustChoice choice;
    choice.score = bestScore;
    Room mostRoom{-1, -1};
    for (std::size_t index = 0; index < grid.size(); ++index) {
        if (!best[index]) continue;
        const std::array<int, 3> at = PositionOf(grid, index);
        std::array<AxisSpan, 3> plateau;
        for (int axis = 0; axis < 3; ++axis) plateau[axis] = PlateauAlong(grid, best, index, axis);
        const Room room = RoomOf(grid, plateau, at);
        if (room.MoreThan(mostRoom)) {
            mostRoom = room;
            choice.position = at;
            choice.plateau = plateau;
        }
    }
    return choice;
}

}  // namespace tamrex
