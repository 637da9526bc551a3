#include "cli/CalibrateCommand.h"

#include "counting/BatchCounter.h"
#include "cli/CalibrationReport.h"
#include "calibration/KnownCounts.h"
#include "settings/SettingsFileWriter.h"

#include <chrono>
#include <iostream>

namespace tamrex::cli {
namespace {

bool GatherKnown(const CalibrateOptions& calibrate, std::vector<KnownCount>& known) {
    known = calibrate.known;
    if (calibrate.knownCsvFile.empty()) return true;
    std::string error;
    const std::vector<KnownCount> listed = ReadKnownCounts(calibrate.knownCsvFile, error);
    if (!error.empty()) {
        std::cerr << "tamrex-count: calibrate: " << error << std::endl;
        return false;
    }
    known.insert(known.end(), listed.begin(), listed.end());
    return true;
}

// The printed counts come from full count runs, not from the search.
std::vector<CountResult> CountWith(const CounterSettings& settings, const std::vector<KnownCount>& known,
                                   unsigned jobs) {
    std::vector<CountRequest> requests;
    for (const KnownCount& photo : known) requests.push_back({photo.photo, settings, {}});
    std::vector<CountResult> results;
    CountInOrder(requests, jobs, [&](const CountResult& result) { results.push_back(result); });
    return results;
}

std::vector<std::string> IniComments(const Calibration& calibration, std::size_t photos) {
    return {"Found by tamrex-count calibrate on " + std::to_string(photos) + " photos with known counts",
            "it counted " + std::to_string(calibration.choice.score.exact) + " of them exactly"};
}

}  // namespace

int RunCalibration(const Options& options) {
    const CalibrateOptions& calibrate = *options.calibrate;
    std::vector<KnownCount> known;
    if (!GatherKnown(calibrate, known)) return 1;

    const auto start = std::chrono::steady_clock::now();
    const Calibration calibration = Calibrate(known, options.jobs);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!calibration.error.empty()) {
        std::cerr << "tamrex-count: calibrate: " << calibration.error << std::endl;
        return 1;
    }
    std::cout << CalibrationReport(calibration, known, CountWith(calibration.settings, known, options.jobs),
                                   seconds)
              << std::flush;
    if (calibrate.iniFile.empty()) {
        std::cout << "Add --write-ini FILE to save these settings." << std::endl;
        return 0;
    }
    const std::string error =
        WriteSettingsFile(calibrate.iniFile, calibration.settings, IniComments(calibration, known.size()));
    if (!error.empty()) {
        std::cerr << "tamrex-count: calibrate: " << error << std::endl;
        return 1;
    }
    std::cout << "Wrote the settings to '" << calibrate.iniFile.string() << "'." << std::endl;
    return 0;
}

}  // namespace tamrex::cli
