#include "counting/BoardCounter.h"

#include "base/OutputTarget.h"
#include "base/Quoted.h"
#include "base/StageMark.h"
#include "counting/CountCheck.h"
#include "counting/CountObserver.h"
#include "image/Binarize.h"
#include "image/PictureFile.h"
#include "image/RowsToBoth.h"
#include "look/GreyStrips.h"

#include <algorithm>
#include <chrono>

namespace tamrex {
namespace {

using Clock = std::chrono::steady_clock;

std::string ThresholdError(int threshold) {
    return "THRESHOLD is " + std::to_string(threshold) +
           ", but it must lie between 0 and 255: change it in the settings";
}

std::string NoBandError(const std::filesystem::path& photo) {
    return "no stack band found in " + Quoted(photo) +
           ": the photo needs dark margins above and below the stack with board rows between them"
           " (check THRESHOLD, or the photo's framing)";
}

std::int64_t MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

}  // namespace

Expected<CountResult> BoardCounter::CountBoards(const CountRequest& request, CountObserver* observer) {
    const Clock::time_point tickStart = Clock::now();
    settings = request.settings;
    lineTotal = 0;
    passLines = 0;
    markImage = nullptr;

    Expected<CountResult> result = CountPhoto(request, observer);
    if (result) result->milliseconds = MillisecondsSince(tickStart);
    if (result) CheckCount(request, *result);
    StageDone("check");
    sourceImage.reset();
    binaryImage.reset();
    stripImage.reset();
    pristineStrip.reset();
    markImage = nullptr;
    if (observer) observer->ShowResult(result);
    return result;
}

Expected<CountResult> BoardCounter::CountPhoto(const CountRequest& request, CountObserver* observer) {
    if (settings.threshold < 0 || settings.threshold > 255) return Fail(ThresholdError(settings.threshold));
    const BYTE level = static_cast<BYTE>(settings.threshold);
    // A thickness too thin to be a board's is no hint.
    LookRequest look = request.look;
    if (look.thicknessPrior < kThinnestBoardRows) look.thicknessPrior = 0;
    // The threshold and the second look's strips read each row as it is decoded, so that
    // a photo stored upright is never kept whole; one turned upright is, and both read it.
    ThresholdWhileDecoding thresholding(level);
    StripsWhileDecoding strips(look.frame);
    RowsToBoth rows(thresholding, strips);
    Expected<LoadedPhoto> loaded = LoadJpeg(request.photo, request.pixelLimit, &rows);
    if (!loaded) return Fail("cannot read photo " + Quoted(request.photo) + ": " + loaded.error().message);

    CountResult result;
    result.photo = request.photo.string();
    result.warning = std::move(loaded->warning);
    result.orientation = loaded->orientation;
    sourceImage = std::move(loaded->bitmap);
    binaryImage = thresholding.Take();
    if (!binaryImage) binaryImage = ThresholdPhoto(sourceImage.get(), level);
    if (!binaryImage) return Fail("cannot threshold photo " + Quoted(request.photo) + ": not enough memory");
    StageDone("threshold");
    if (observer) observer->ShowSourcePicture(request.photo.string());

    imgWidth = static_cast<int>(FreeImage_GetWidth(binaryImage.get()));
    imgHeight = static_cast<int>(FreeImage_GetHeight(binaryImage.get()));
    const int pictureHeight = imgHeight;
    if (!DetectBand()) return Fail(NoBandError(request.photo));
    StageDone("band");
    if (Expected<SecondCount> second = LookAgain(strips.Take(sourceImage.get()), look)) {
        result.secondLook = std::move(*second);
    } else {
        result.secondLookError = std::move(second.error().message);
    }
    StageDone("second look");
    // Fresh strips are copied from the first one, so the photo is no longer needed.
    sourceImage.reset();
    binaryImage.reset();
    StageDone("photo release");
    result.stripWidth = imgWidth;
    result.stripHeight = imgHeight;
    result.bandOffset = pictureHeight - std::max(bandLower, bandUpper);

    if (!RunPasses(result))
        return Fail("cannot count photo " + Quoted(request.photo) + ": not enough memory for the strip");
    result.lineTotal = lineTotal;
    if (!request.lineMapFile.empty()) result.lineMapWrite = WriteLineMap(request);
    StageDone("line map write");
    return result;
}

Outcome BoardCounter::WriteLineMap(const CountRequest& request) {
    Outcome written = SameFile(request.lineMapFile, request.photo)
                          ? Fail("it is the photo being counted: name another file")
                          : SaveBmpReplacing(markImage, request.lineMapFile);
    if (written) return written;
    return Fail("cannot write line map " + Quoted(request.lineMapFile) + ": " + written.error().message);
}

}  // namespace tamrex
