// Random 1-bit pictures and settings through the count stages, as a strip or
// through band detection first, each checked against what must hold whatever the
// pixels. Every input runs twice, with the bits past each row's last pixel all
// dark and all light: those bits are not pixels, so nothing may depend on them.
#include "fuzz/BandChecks.h"
#include "fuzz/FuzzCheck.h"
#include "fuzz/PassChecks.h"
#include "fuzz/StageInput.h"

#include "counting/BoardCounter.h"

#include <array>
#include <cstdint>
#include <vector>

namespace tamrex::fuzz {
namespace {

// Everything the stages decide, to compare the two runs of one input.
struct Outcome {
    bool counted = false;
    int bandLower = 0;
    int bandUpper = 0;
    int imgWidth = 0;
    int imgHeight = 0;
    std::array<int, 4> passLines{};
    std::array<std::vector<int>, 4> profiles;  // rows 0 to imgHeight

    bool operator==(const Outcome&) const = default;
};

Outcome OutcomeOf(const BoardCounter& counter, const std::array<int, 4>& passLines) {
    Outcome outcome{true, counter.bandLower, counter.bandUpper, counter.imgWidth, counter.imgHeight, passLines, {}};
    const std::array<const Profile*, 4> profiles = {&counter.lineProfile1, &counter.lineProfile2,
                                                    &counter.lineProfile3, &counter.lineProfile4};
    for (int pass = 0; pass < 4; ++pass) {
        outcome.profiles[pass].assign(profiles[pass]->begin(), profiles[pass]->begin() + counter.imgHeight + 1);
    }
    return outcome;
}

// The strip is cut by band detection, or is the picture itself with the first
// strip a copy of it, as the band crop would have left them.
bool PrepareStrip(BoardCounter& counter, BitmapHandle picture, bool throughBand) {
    if (!throughBand) {
        counter.stripImage = std::move(picture);
        counter.pristineStrip.reset(FreeImage_Clone(counter.stripImage.get()));
        Require(counter.pristineStrip != nullptr, "cannot copy the strip");
        return true;
    }
    counter.binaryImage = std::move(picture);
    const bool found = counter.DetectBand();
    CheckBand(counter, counter.binaryImage.get(), found);
    return found;
}

Outcome RunStages(const StageInput& input, bool lightPadding) {
    BoardCounter counter;
    counter.settings.bdLine = input.bdLine;
    counter.settings.pWidth = input.pWidth;
    counter.imgWidth = input.width;
    counter.imgHeight = input.height;
    Outcome outcome;
    if (!PrepareStrip(counter, DrawPicture(input, lightPadding), input.throughBand)) return outcome;

    const BitmapHandle firstStrip(FreeImage_Clone(counter.pristineStrip.get()));
    Require(firstStrip != nullptr, "cannot copy the first strip");
    CountResult result;
    Require(counter.RunPasses(result), "no fresh strip could be cut");
    CheckAfterPasses(counter, result.passLines, firstStrip.get());
    return OutcomeOf(counter, result.passLines);
}

}  // namespace
}  // namespace tamrex::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tamrex::fuzz;
    const StageInput input = ReadStageInput(data, size);
    const Outcome darkPadding = RunStages(input, false);
    const Outcome lightPadding = RunStages(input, true);
    Require(darkPadding == lightPadding, "the bits past each row's last pixel changed the outcome");
    return 0;
}
