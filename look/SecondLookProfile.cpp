#include "look/SecondLookProfile.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>

namespace tamrex {
namespace {

// The column's level at a continuous row, between the two nearest pixel centres.
float LevelAt(const float* column, int height, double row) {
    const double centre = std::clamp(row - 0.5, 0.0, height - 1.0);
    const int below = std::min(static_cast<int>(centre), height - 2);
    const float fraction = static_cast<float>(centre - below);
    return column[below] + (column[below + 1] - column[below]) * fraction;
}

// Step after step for one column: `resampled` holds the steps of all columns, step-major.
void ResampleColumn(const GreyColumns& columns, const StackEdges& edges, std::size_t index, int steps,
                    std::vector<float>& resampled, std::size_t width) {
    const double column = columns.centres[index];
    const double bottom = edges.bottom.At(column), rowsPerStep = edges.HeightAt(column) / steps;
    const float* levels = columns.Column(index);
    for (int step = 0; step < steps; ++step) {
        resampled[step * width + (index - edges.firstColumn)] =
            LevelAt(levels, columns.height, bottom + (step + 0.5) * rowsPerStep);
    }
}

// The mean of the middle half of a step's values, from a histogram in half grey levels:
// a selection per step would cost more than all the rest of the second look.
class MiddleHalf {
public:
    double Mean(const float* values, std::size_t count) {
        int lowest = kBins, highest = -1;
        for (std::size_t index = 0; index < count; ++index) {
            const int bin = std::clamp(static_cast<int>(values[index] * kPerLevel + 0.5f), 0, kBins - 1);
            ++bins[bin];
            lowest = std::min(lowest, bin);
            highest = std::max(highest, bin);
        }
        const std::size_t from = count / 4, to = count - count / 4;
        std::size_t below = 0;
        double sum = 0;
        for (int bin = lowest; below < to; ++bin) {
            const std::size_t here = bins[bin];
            const std::size_t start = std::max(below, from), end = std::min(below + here, to);
            if (end > start) sum += static_cast<double>(end - start) * bin;
            below += here;
        }
        std::fill(bins.begin() + lowest, bins.begin() + highest + 1, 0);
        return sum / (static_cast<double>(to - from) * kPerLevel);
    }

private:
    static constexpr int kPerLevel = 2;
    static constexpr int kBins = 256 * kPerLevel;
    std::array<std::uint16_t, kBins> bins{};
};

}  // namespace

std::vector<double> RectifiedProfile(const GreyColumns& columns, const StackEdges& edges, int steps) {
    const std::size_t width = edges.lastColumn - edges.firstColumn;
    std::vector<float> resampled(static_cast<std::size_t>(steps) * width);
    for (std::size_t index = edges.firstColumn; index < edges.lastColumn; ++index) {
        ResampleColumn(columns, edges, index, steps, resampled, width);
    }
    std::vector<double> profile(static_cast<std::size_t>(steps));
    MiddleHalf middleHalf;
    for (int step = 0; step < steps; ++step) profile[step] = middleHalf.Mean(&resampled[step * width], width);
    return profile;
}

double RowOfStep(const StackEdges& edges, double column, double step, int steps) {
    return edges.bottom.At(column) + (step + 0.5) * edges.HeightAt(column) / steps;
}

}  // namespace tamrex
