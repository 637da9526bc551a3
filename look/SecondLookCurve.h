#pragma once

#include <optional>
#include <vector>

namespace tamrex {

// A smooth line across the photo, such as an edge of a tilted, bowed or keystoned
// stack: row = constant + slope u + bend u², with u the column scaled to -1..1.
struct EdgeCurve {
    double constant = 0, slope = 0, bend = 0;
    double middle = 0, halfWidth = 1;  // the columns at u = 0 and the distance to u = 1

    double At(double column) const {
        const double u = (column - middle) / halfWidth;
        return constant + (slope + bend * u) * u;
    }
};

struct CurvePoint {
    double column, row;
};

// The least-squares curve through the points: a parabola from three points on, a
// line through two, a level line through one. Nothing for no points.
std::optional<EdgeCurve> FitCurve(const std::vector<CurvePoint>& points, double middle, double halfWidth);

}  // namespace tamrex
