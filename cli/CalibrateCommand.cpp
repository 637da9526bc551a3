#include "cli/CalibrateCommand.h"

#include "base/Quoted.h"
#include "calibration/KnownCounts.h"
#include "cli/CalibrationReport.h"
#include "cli/ProgressLine.h"
#include "counting/CountInOrder.h"
#include "settings/SettingsFileWriter.h"

#include <chrono>
#include <iostream>
#include <optional>

namespace tamrex::cli {
namespace {

using Clock = std::chrono::steady_clock;

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

StationSettings StationOf(const Calibration& calibration) {
    if (calibration.thickness <= 0) return {calibration.settings, std::nullopt, calibration.frame};
    return {calibration.settings, calibration.thickness, calibration.frame};
}

// "THRESHOLD 40 of 127 searched, 12 s left" on stderr, rewritten in place while the
// search runs, when stderr is a terminal; erased before the report.
// The printed counts come from full count runs, not from the search, and carry the
// check against the thickness learned.
std::vector<Expected<CountResult>> CountWith(const Calibration& calibration, const std::vector<KnownCount>& known,
                                             const Options& options) {
    std::vector<CountRequest> requests;
    for (const KnownCount& photo : known)
        requests.push_back({photo.photo, calibration.settings, {}, options.PixelLimit(), calibration.thickness,
                            StationOf(calibration).Look()});
    std::vector<Expected<CountResult>> results;
    CountInOrder(requests, options.jobs,
                 [&](std::size_t, const Expected<CountResult>& result) { results.push_back(result); },
                 options.MemoryBudget());
    return results;
}

std::vector<std::string> IniComments(const Calibration& calibration, std::size_t photos) {
    return {"Found by tamrex-count calibrate on " + std::to_string(photos) + " photos with known counts",
            "it counted " + std::to_string(calibration.choice.score.exact) + " of them exactly"};
}

Expected<Calibration> Search(const std::vector<KnownCount>& known, const Options& options, double& seconds) {
    // Each step of the search takes a while: worth a line from the first.
    std::optional<ProgressLine> progress;
    const auto start = Clock::now();
    Expected<Calibration> found = Calibrate({known, options.jobs, options.PixelLimit(),
                                             [&](std::size_t done, std::size_t total) {
                                                 if (!progress) progress.emplace(total, false, "thresholds searched", 1);
                                                 progress->Done(done);
                                             },
                                             nullptr, options.MemoryBudget(), options.frame});
    seconds = std::chrono::duration<double>(Clock::now() - start).count();
    return found;
}

}  // namespace

int RunCalibration(const Options& options) {
    const CalibrateOptions& calibrate = *options.calibrate;
    const Expected<std::vector<KnownCount>> known = GatherKnown(calibrate);
    if (!known) return Refuse(known.error());

    double seconds = 0;
    const Expected<Calibration> found = Search(*known, options, seconds);
    if (!found) return Refuse(found.error());
    const Calibration& calibration = *found;
    std::cout << CalibrationReport(calibration, *known, CountWith(calibration, *known, options), seconds)
              << std::flush;
    // Settings found on fewer photos than given are still worth having, but a script
    // must learn that some photos were not used.
    const int status = calibration.leftOut.empty() ? 0 : 1;
    if (calibrate.iniFile.empty()) {
        std::cout << "Add --write-ini FILE to save these settings." << std::endl;
        return status;
    }
    const std::size_t searched = known->size() - calibration.leftOut.size();
    const Outcome written = WriteSettingsFile(calibrate.iniFile, StationOf(calibration), IniComments(calibration, searched));
    if (!written) return Refuse(written.error());
    std::cout << "Wrote the settings to " << Quoted(calibrate.iniFile) << "." << std::endl;
    return status;
}

}  // namespace tamrex::cli
