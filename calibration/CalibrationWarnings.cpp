#include "calibration/CalibrationWarnings.h"

#include <cmath>

namespace tamrex {
namespace {

std::string Percent(double share) { return std::to_string(std::lround(share * 100)) + "%"; }

const char kMorePhotos[] = "correct a few more photos, of other stacks, and calibrate again";

}  // namespace

std::vector<std::string> CalibrationWarnings(const Calibration& calibration, std::size_t photos) {
    const RobustChoice& choice = calibration.choice;
    std::vector<std::string> warnings;
    if (static_cast<std::size_t>(choice.score.exact) < photos)
        warnings.push_back("No settings count every photo exactly; the best count " +
                           std::to_string(choice.score.exact) + " of " + std::to_string(photos) +
                           ": check the known counts, and that the photos come from one station.");
    if (choice.plateauSettings < kFewestFittingSettings)
        warnings.push_back("Only " + std::to_string(choice.plateauSettings) + " of the " +
                           std::to_string(calibration.grid.size()) +
                           " settings searched count the photos this well, so they may fit them by chance: " +
                           kMorePhotos + ".");
    if (choice.neighbourhoodExact < kLeastNeighbourhoodExact)
        warnings.push_back("The settings around them count only " + Percent(choice.neighbourhoodExact) +
                           " of the photos exactly, so a little change of light or of the stack may throw the "
                           "count off: " + kMorePhotos + ".");
    if (choice.score.gapDeviation > kMostGapDeviation)
        warnings.push_back("Their lines stray up to " + Percent(choice.score.gapDeviation) +
                           " of a board from one board apart, so the counts may come out right by chance, with "
                           "lines doubled and missed: look at the lines of a count before trusting these settings.");
    return warnings;
}

}  // namespace tamrex
