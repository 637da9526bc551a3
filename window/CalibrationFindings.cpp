#include "window/CalibrationFindings.h"

#include "counting/BoardCounter.h"

#include <algorithm>

namespace tamrex {
namespace {

std::optional<int> CountWith(BoardCounter& counter, const std::filesystem::path& photo,
                             const CounterSettings& settings) {
    const Expected<CountResult> result = counter.CountBoards(CountRequest{photo, settings, {}});
    if (!result) return std::nullopt;
    return result->count();
}

bool Cancelled(const CalibrationRequest& request) { return request.cancel && *request.cancel; }

}  // namespace

int CalibrationFindings::ExactInUse() const {
    return static_cast<int>(std::count_if(photos.begin(), photos.end(),
                                          [](const ComparedPhoto& photo) { return photo.inUse == photo.accepted; }));
}

int CalibrationFindings::ExactFound() const {
    return static_cast<int>(std::count_if(photos.begin(), photos.end(),
                                          [](const ComparedPhoto& photo) { return photo.found == photo.accepted; }));
}

Expected<CalibrationFindings> CalibrateOnCorrections(const CalibrationRequest& request,
                                                     const CounterSettings& inUse) {
    Expected<Calibration> calibration = Calibrate(request);
    if (!calibration) return tl::unexpected(calibration.error());
    CalibrationFindings findings{std::move(*calibration), {}};
    BoardCounter counter;
    for (const KnownCount& known : request.photos) {
        if (Cancelled(request)) return Fail(kCalibrationCancelled);
        findings.photos.push_back({known.photo, known.boards, CountWith(counter, known.photo, inUse),
                                   CountWith(counter, known.photo, findings.calibration.settings)});
    }
    return findings;
}

}  // namespace tamrex
