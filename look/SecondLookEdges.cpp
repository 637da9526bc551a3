#include "look/SecondLookEdges.h"

#include "look/SecondLookBand.h"

#include <algorithm>
#include <cmath>

namespace tamrex {
namespace {

constexpr double kLeastTolerance = 2.0;    // rows a section's edge may stray from the curve
constexpr double kToleranceShare = 0.005;  // of the photo's height, as large photos blur more rows
constexpr double kThinnestStack = 4.0;     // rows

struct SectionBand {
    ColumnSection section;
    Band band;
};

std::vector<float> SectionProfile(const GreyColumns& columns, const ColumnSection& section) {
    std::vector<float> profile(static_cast<std::size_t>(columns.height), 0.0f);
    for (std::size_t index = section.first; index < section.last; ++index) {
        const float* column = columns.Column(index);
        for (int row = 0; row < columns.height; ++row) profile[row] += column[row];
    }
    const float share = 1.0f / static_cast<float>(section.last - section.first);
    for (float& level : profile) level *= share;
    return profile;
}

std::vector<SectionBand> BandsOfSections(const GreyColumns& columns,
                                         const std::vector<ColumnSection>& sections) {
    std::vector<SectionBand> bands;
    for (const ColumnSection& section : sections) {
        if (const auto band = FindBand(SectionProfile(columns, section))) bands.push_back({section, *band});
    }
    return bands;
}

struct EdgeFit {
    EdgeCurve bottom, top;
};

EdgeFit FitBoth(const std::vector<SectionBand>& bands, double middle, double halfWidth) {
    std::vector<CurvePoint> bottoms, tops;
    for (const SectionBand& band : bands) {
        bottoms.push_back({band.section.centre, band.band.bottom});
        tops.push_back({band.section.centre, band.band.top});
    }
    // Sections sit in different columns, so the fit cannot be singular.
    return {*FitCurve(bottoms, middle, halfWidth), *FitCurve(tops, middle, halfWidth)};
}

double Misfit(const SectionBand& band, const EdgeFit& fit) {
    return std::max(std::abs(band.band.bottom - fit.bottom.At(band.section.centre)),
                    std::abs(band.band.top - fit.top.At(band.section.centre)));
}

// Drops the worst section until every one left lies on the curves: a few wild
// sections cannot outvote the many that agree, as the worst is always one of them.
EdgeFit FitDroppingMisfits(std::vector<SectionBand>& bands, double middle, double halfWidth, double tolerance,
                           std::size_t fewest) {
    for (;;) {
        const EdgeFit fit = FitBoth(bands, middle, halfWidth);
        const auto worst = std::max_element(bands.begin(), bands.end(), [&fit](const auto& a, const auto& b) {
            return Misfit(a, fit) < Misfit(b, fit);
        });
        if (Misfit(*worst, fit) <= tolerance || bands.size() <= fewest) return fit;
        bands.erase(worst);
    }
}

}  // namespace

Expected<StackEdges> FindStackEdges(const GreyColumns& columns) {
    const std::vector<ColumnSection> sections = SectionsOf(columns);
    std::vector<SectionBand> bands = BandsOfSections(columns, sections);
    const std::size_t fewest = std::max<std::size_t>(2, sections.size() / 4);
    const auto noStack = Fail(
        "no stack of boards found: no band of light rows with dark rows above and below it runs across "
        "the photo; photograph the stack edge-on, with its boards running across the picture");
    if (bands.size() < fewest) return noStack;
    const double middle = columns.width / 2.0, halfWidth = std::max(columns.width / 2.0, 1.0);
    const double tolerance = std::max(kLeastTolerance, kToleranceShare * columns.height);
    const EdgeFit fit = FitDroppingMisfits(bands, middle, halfWidth, tolerance, fewest);
    const bool agreed = std::all_of(bands.begin(), bands.end(),
                                    [&](const auto& band) { return Misfit(band, fit) <= tolerance; });
    StackEdges edges{fit.bottom, fit.top, bands.front().section.first, bands.back().section.last};
    if (!agreed || edges.HeightAt(middle) < kThinnestStack) return noStack;
    return edges;
}

}  // namespace tamrex
