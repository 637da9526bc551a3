#include "cli/CalibrateCommand.h"

#include "counting/CountInOrder.h"
#include "cli/CalibrationReport.h"
#include "calibration/KnownCounts.h"
#include "settings/SettingsFileWriter.h"

#include <chrono>
#include <iostream>

namespace tamrex::cli {
namespace {

Expected<std::vector<KnownCount>> GatherKnown(const CalibrateOptions& calibrate) {
    std::vector<KnownCount> known = calibrate.known;
    if (calibrate.knownCsvFile.empty()) return known;
    return ReadKnownCounts(calibrate.knownCsvFile).map([&](const std::vector<KnownCount>& listed) {
        known.insert(known.end(), listed.begin(), listed.end());
        return known;
    });
}

int Refuse(const Failure& failure) {
    std::cerr << "tamrex-count: calibrate: " << failure.message << std::endl;
    return 1;
}

// The printed counts come from full count runs, not from the search.
std::vector<Expected<CountResult>> CountWith(const CounterSettings& settings, const std::vector<KnownCount>& known,
                                             const Options& options) {
    std::vector<CountRequest> requests;
    for (const KnownCount& photo : known) requests.push_back({photo.photo, settings, {}, options.PixelLimit()});
    std::vector<Expected<CountResult>> results;
    CountInOrder(requests, options.jobs,
                 [&](std::size_t, const Expected<CountResult>& result) { results.push_back(result); });
    return results;
}

std::vector<std::string> IniComments(const Calibration& calibration, std::size_t photos) {
    return {"Found by tamrex-count calibrate on " + std::to_string(photos) + " photos with known counts",
            "it counted " + std::to_string(calibration.choice.score.exact) + " of them exactly"};
}

}  // namespace

int RunCalibration(const Options& options) {
    const CalibrateOptions& calibrate = *options.calibrate;
    const Expected<std::vector<KnownCount>> known = GatherKnown(calibrate);
    if (!known) return Refuse(known.error());

    const auto start = std::chrono::steady_clock::now();
    const Expected<Calibration> found = Calibrate({*known, options.jobs, options.PixelLimit(), {}, nullptr});
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!found) return Refuse(found.error());
    const Calibration& calibration = *found;
    std::cout << CalibrationReport(calibration, *known, CountWith(calibration.settings, *known, options), seconds)
              << std::flush;
    if (calibrate.iniFile.empty()) {
        std::cout << "Add --write-ini FILE to save these settings." << std::endl;
        return 0;
    }
    const Outcome written =
        WriteSettingsFile(calibrate.iniFile, StationSettings{calibration.settings, std::nullopt}, IniComments(calibration, known->size()));
    if (!written) return Refuse(written.error());
    std::cout << "Wrote the settings to '" << calibrate.iniFile.string() << "'." << std::endl;
    return 0;
}

}  // namespace tamrex::cli
