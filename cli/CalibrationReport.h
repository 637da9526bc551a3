#pragma once

#include "calibration/Calibrate.h"
#include "counting/CountResult.h"

#include <string>
#include <vector>

namespace tamrex::cli {

// What a calibration found, for the operator: the grid searched, the settings
// chosen, how far each may drift without changing the outcome, how surely they
// count photos beyond the known ones, the board thickness learned, how the settings
// count each photo, and the photos the search left out. `counted` holds the count
// runs of the chosen settings, one per known photo, in the same order.
std::string CalibrationReport(const Calibration& calibration, const std::vector<KnownCount>& known,
                              const std::vector<Expected<CountResult>>& counted, double seconds);

}  // namespace tamrex::cli
