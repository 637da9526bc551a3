#pragma once

#include "tools/photo/PhotoRandom.h"

#include <vector>

namespace tamrex::testing {

// Random values in [-amplitude, amplitude] at knots `spacing` pixels apart over a
// width x height area, eased smoothly between the knots: blotches on a wall, stones in
// gravel, the uneven stretch of a wrap. Points outside the area take its edge's value.
class SmoothField {
public:
    SmoothField(int width, int height, int spacing, int amplitude, Random& random);

    int At(int x, int y) const {
        const Step across = columns[Clamped(x, columns.size())], up = rows[Clamped(y, rows.size())];
        const std::size_t below = up.knot * knotsAcross + across.knot, above = below + knotsAcross;
        const int bottom = knots[below] * (kOne - across.weight) + knots[below + 1] * across.weight;
        const int top = knots[above] * (kOne - across.weight) + knots[above + 1] * across.weight;
        return (bottom * (kOne - up.weight) + top * up.weight) / (kOne * kOne);
    }

private:
    static constexpr int kOne = 256;

    // A pixel's place between two knots: the lower knot and the upper one's weight, in 1/256.
    struct Step {
        std::size_t knot;
        int weight;
    };

    static std::vector<Step> Steps(int pixels, int spacing);
    static std::size_t Clamped(int index, std::size_t size) {
        return index < 0 ? 0 : static_cast<std::size_t>(index) >= size ? size - 1 : static_cast<std::size_t>(index);
    }

    std::vector<Step> columns, rows;
    std::size_t knotsAcross;
    std::vector<int> knots;
};

}  // namespace tamrex::testing
