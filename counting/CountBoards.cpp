#include "counting/BoardCounter.h"
#include "image/Binarize.h"
#include "counting/CountObserver.h"
#include "image/ImageLibrary.h"

#include <algorithm>
#include <chrono>

namespace tamrex {
namespace {

using Clock = std::chrono::steady_clock;

std::string Quoted(const std::filesystem::path& path) { return "'" + path.string() + "'"; }

std::string ThresholdError(int threshold) {
    return "THRESHOLD is " + std::to_string(threshold) +
           ", but it must lie between 0 and 255: change it in the settings";
}

std::string NoBandError(const std::filesystem::path& photo) {
    return "no stack band found in " + Quoted(photo) +
           ": the photo needs dark margins above and below the stack with board rows between them"
           " (check THRESHOLD, or the photo's framing)";
}

// A failed run carries its message and nothing of the count it did not finish.
CountResult FailureOnly(const CountResult& failed) {
    CountResult result;
    result.photo = failed.photo;
    result.error = failed.error;
    return result;
}

}  // namespace

CountResult BoardCounter::CountBoards(const CountRequest& request, CountObserver* observer) {
    const Clock::time_point tickStart = Clock::now();
    CountResult result;
    result.photo = request.photo.string();
    settings = request.settings;
    lineTotal = 0;
    passLines = 0;
    markImage = nullptr;

    auto finish = [&]() -> CountResult {
        sourceImage.reset();
        binaryImage.reset();
        stripImage.reset();
        pristineStrip.reset();
        markImage = nullptr;
        if (!result.ok()) result = FailureOnly(result);
        if (observer) observer->ShowResult(result);
        return result;
    };

    if (settings.threshold < 0 || settings.threshold > 255) {
        result.error = ThresholdError(settings.threshold);
        return finish();
    }

    LoadedPhoto loaded = LoadJpeg(request.photo, request.pixelLimit);
    if (!loaded.bitmap) {
        result.error = "cannot read photo " + Quoted(request.photo) + ": " + loaded.error;
        return finish();
    }
    result.warning = std::move(loaded.warning);
    sourceImage = std::move(loaded.bitmap);
    binaryImage = ThresholdPhoto(sourceImage.get(), static_cast<BYTE>(settings.threshold));
    if (!binaryImage) {
        result.error = "cannot threshold photo " + Quoted(request.photo) + ": not enough memory";
        return finish();
    }
    if (observer) observer->ShowSourcePicture(request.photo.string());

    imgWidth = static_cast<int>(FreeImage_GetWidth(binaryImage.get()));
    imgHeight = static_cast<int>(FreeImage_GetHeight(binaryImage.get()));
    const int pictureHeight = imgHeight;
    if (!DetectBand()) {
        result.error = NoBandError(request.photo);
        return finish();
    }
    // Fresh strips are copied from the first one, so the photo is no longer needed.
    sourceImage.reset();
    binaryImage.reset();
    result.stripWidth = imgWidth;
    result.stripHeight = imgHeight;
    result.bandOffset = pictureHeight - std::max(bandLower, bandUpper);

    if (!RunPasses(result)) {
        result.error = "cannot count photo " + Quoted(request.photo) + ": not enough memory for the strip";
        return finish();
    }
    result.lineTotal = lineTotal;

    if (!request.lineMapFile.empty()) {
        const std::string error = SaveBmpReplacing(markImage, request.lineMapFile);
        if (!error.empty()) {
            result.error = "cannot write line map " + Quoted(request.lineMapFile) + ": " + error;
            return finish();
        }
    }
    result.milliseconds =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - tickStart).count();
    return finish();
}

// Trimming, line profile, rendering into the strip and the count of a search pass.
int BoardCounter::SearchPass(int pass, const Profile& profile) {
    TrimStripEdges(pass);
    BuildLineProfile(pass);
    markImage = stripImage.get();
    RenderLineMap(markImage, {&profile});
    CountLineRuns(profile);
    return passLines;
}

bool BoardCounter::RunPasses(CountResult& result) {
    lineTotal = 0;
    result.passLines[0] = SearchPass(1, lineProfile1);

    if (!CutFreshStrip()) return false;
    EraseFoundLines({&lineProfile1});
    result.passLines[1] = SearchPass(2, lineProfile2);

    if (!CutFreshStrip()) return false;
    EraseFoundLines({&lineProfile1, &lineProfile2});
    result.passLines[2] = SearchPass(3, lineProfile3);

    if (!CutFreshStrip()) return false;
    RenderLineMap(stripImage.get(), {&lineProfile1, &lineProfile2, &lineProfile3});
    SplitThickRuns();
    markImage = stripImage.get();
    RenderLineMap(markImage, {&lineProfile1, &lineProfile2, &lineProfile3, &lineProfile4});
    CountLineRuns(lineProfile4);
    result.passLines[3] = passLines;

    const Profile* profiles[] = {&lineProfile1, &lineProfile2, &lineProfile3, &lineProfile4};
    for (int pass = 0; pass < 4; ++pass) result.lineRuns[pass] = RunsOf(*profiles[pass]);
    return true;
}

}  // namespace tamrex
