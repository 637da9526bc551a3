#include "overlay/Dashes.h"

#include <algorithm>
#include <cmath>

namespace tamrex {
namespace {

// Steps along one segment a pixel at a time, `travelled` carried over from the segments
// before so that the dash pattern runs on across the corners.
void DashSegment(FIBITMAP* picture, SeamPoint from, SeamPoint to, Rgb colour, int thickness, double& travelled) {
    const double length = std::hypot(to.column - from.column, to.row - from.row);
    const int steps = std::max(1, static_cast<int>(std::ceil(length)));
    const int period = 5 * thickness;
    for (int step = 0; step < steps; ++step, travelled += length / steps) {
        if (static_cast<int>(travelled) % period >= 3 * thickness) continue;
        const double share = static_cast<double>(step) / steps;
        const int x = static_cast<int>(std::lround(from.column + (to.column - from.column) * share));
        const int y = static_cast<int>(std::lround(from.row + (to.row - from.row) * share));
        FillBox(picture, {x - thickness / 2, y - thickness / 2, thickness, thickness}, colour);
    }
}

}  // namespace

void DrawDashes(FIBITMAP* picture, const std::vector<SeamPoint>& points, Rgb colour, int thickness) {
    double travelled = 0;
    for (std::size_t i = 1; i < points.size(); ++i)
        DashSegment(picture, points[i - 1], points[i], colour, std::max(1, thickness), travelled);
}

}  // namespace tamrex
