#include "window/CalibrationFindings.h"

#include "base/Quoted.h"
#include "calibration/CalibrationWarnings.h"
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
    CalibrationFindings findings{std::move(*calibration), {}, {}};
    findings.warnings = CalibrationWarnings(findings.calibration, request.photos.size() - findings.calibration.leftOut.size());
    BoardCounter counter;
    for (const KnownCount& known : request.photos) {
        if (Cancelled(request)) return Fail(kCalibrationCancelled);
        findings.photos.push_back({known.photo, known.boards, CountWith(counter, known.photo, inUse),
                                   CountWith(counter, known.photo, findings.calibration.settings)});
    }
    return findings;
}

Expected<CalibrationFindings> CalibrateOnCorrectedPhotos(const std::vector<CorrectedPhoto>& corrected,
                                                         CalibrationRequest request, const CounterSettings& inUse) {
    std::vector<Failure> changed;
    request.photos.clear();
    for (const CorrectedPhoto& photo : corrected) {
        const Expected<PhotoIdentity> now = IdentifyPhoto(photo.known.photo);
        if (photo.photo.Known() && now && *now != photo.photo) {
            changed.push_back({"photo " + Quoted(photo.known.photo) +
                               " has changed since its count was accepted: review it again to use it"});
        } else {
            request.photos.push_back(photo.known);
        }
    }
    if (request.photos.empty())
        return Fail("every corrected photo has changed since its count was accepted: review them again");
    Expected<CalibrationFindings> findings = CalibrateOnCorrections(request, inUse);
    if (findings) {
        std::vector<Failure>& leftOut = findings->calibration.leftOut;
        leftOut.insert(leftOut.begin(), changed.begin(), changed.end());
    }
    return findings;
}

}  // namespace tamrex
