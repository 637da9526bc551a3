#include "tools/photo/SmoothField.h"

#include <algorithm>

namespace tamrex::testing {

std::vector<SmoothField::Step> SmoothField::Steps(int pixels, int spacing) {
    std::vector<Step> steps(static_cast<std::size_t>(std::max(pixels, 1)));
    for (std::size_t pixel = 0; pixel < steps.size(); ++pixel) {
        const int along = static_cast<int>(pixel) % spacing;
        // A smoothstep hides the grid that straight blending would show.
        const double t = static_cast<double>(along) / spacing;
        steps[pixel] = {pixel / static_cast<std::size_t>(spacing), static_cast<int>(kOne * t * t * (3 - 2 * t))};
    }
    return steps;
}

SmoothField::SmoothField(int width, int height, int spacing, int amplitude, Random& random)
    : columns(Steps(width, std::max(spacing, 1))),
      rows(Steps(height, std::max(spacing, 1))),
      knotsAcross(columns.back().knot + 2) {
    knots.resize(knotsAcross * (rows.back().knot + 2));
    for (int& knot : knots) knot = random.Between(-amplitude, amplitude);
}

}  // namespace tamrex::testing
