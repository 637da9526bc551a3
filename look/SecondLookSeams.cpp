#include "look/SecondLookSeams.h"

#include "look/SecondLookProfile.h"

#include <algorithm>
#include <cmath>

namespace tamrex {
namespace {

constexpr double kSearchShare = 0.3;  // of a pitch either side of where the seam should run

std::vector<ColumnSection> SectionsOnStack(const GreyColumns& columns, const StackEdges& edges) {
    std::vector<ColumnSection> sections = SectionsOf(columns);
    std::erase_if(sections, [&edges](const ColumnSection& section) {
        return section.first < edges.firstColumn || section.last > edges.lastColumn;
    });
    return sections;
}

// The section's mean level on each row from `from` on.
std::vector<double> SectionLevels(const GreyColumns& columns, const ColumnSection& section, int from,
                                  int to) {
    std::vector<double> levels(static_cast<std::size_t>(to - from + 1), 0.0);
    for (std::size_t index = section.first; index < section.last; ++index) {
        const float* column = columns.Column(index);
        for (int row = from; row <= to; ++row) levels[row - from] += column[row];
    }
    for (double& level : levels) level /= static_cast<double>(section.last - section.first);
    return levels;
}

// Where a seam crosses a section: the centroid of the dark stretch around the darkest
// row within `reach` of `expected` (a continuous row), or `expected` itself when no
// dip half as deep as a typical seam shows there.
double SeamRowIn(const GreyColumns& columns, const ColumnSection& section, double expected, int reach,
                 double depth) {
    const int centre = static_cast<int>(std::floor(expected));
    const int from = std::max(centre - reach, 0), to = std::min(centre + reach, columns.height - 1);
    if (to - from < 2) return expected;
    const std::vector<double> levels = SectionLevels(columns, section, from, to);
    const auto [lowest, highest] = std::minmax_element(levels.begin(), levels.end());
    if (*highest - *lowest < depth / 2) return expected;
    const double half = (*lowest + *highest) / 2;
    std::size_t first = static_cast<std::size_t>(lowest - levels.begin()), last = first;
    while (first > 0 && levels[first - 1] < half) --first;
    while (last + 1 < levels.size() && levels[last + 1] < half) ++last;
    if (first == 0 || last + 1 == levels.size()) return expected;
    double weight = 0, moment = 0;
    for (std::size_t index = first; index <= last; ++index) {
        weight += half - levels[index];
        moment += (half - levels[index]) * static_cast<double>(index);
    }
    return from + moment / weight + 0.5;
}

}  // namespace

std::vector<std::vector<SeamPoint>> FollowSeams(const GreyColumns& columns, const StackEdges& edges,
                                                const std::vector<double>& seams, int steps, double pitchRows,
                                                double seamDepth) {
    const std::vector<ColumnSection> sections = SectionsOnStack(columns, edges);
    const int reach = std::max(1, static_cast<int>(std::lround(kSearchShare * pitchRows)));
    std::vector<std::vector<SeamPoint>> followed;
    for (double seam : seams) {
        std::vector<SeamPoint>& points = followed.emplace_back();
        for (const ColumnSection& section : sections) {
            const double expected = RowOfStep(edges, section.centre, seam, steps);
            points.push_back({section.centre, SeamRowIn(columns, section, expected, reach, seamDepth) - 0.5});
        }
    }
    return followed;
}

std::vector<SeamPoint> EdgeLine(const GreyColumns& columns, const StackEdges& edges, const EdgeCurve& edge) {
    std::vector<SeamPoint> points;
    for (const ColumnSection& section : SectionsOnStack(columns, edges)) {
        points.push_back({section.centre, edge.At(section.centre) - 0.5});
    }
    return points;
}

}  // namespace tamrex
