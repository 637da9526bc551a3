#include "counting/BoardCounter.h"

#include "base/StageMark.h"

#include <string_view>

namespace tamrex {
namespace {

constexpr std::string_view kPassStages[] = {"pass 1", "pass 2", "pass 3", "pass 4"};

}  // namespace

// Trimming, line profile, rendering into the strip and the count of a search pass.
void BoardCounter::SearchPass(int pass, Profile& profile, Rendering rendering) {
    TrimStripEdges(pass);
    BuildLineProfile(pass);
    if (rendering == Rendering::EachPass) {
        markImage = stripImage.get();
        RenderLineMap(markImage, {&profile});
    }
    CountLineRuns(profile);
    linesPerPass[pass - 1] = passLines;
    StageDone(kPassStages[pass - 1]);
}

bool BoardCounter::RunSearchPasses(Rendering rendering) {
    lineTotal = 0;
    if (!CutFreshStrip()) return false;
    SearchPass(1, lineProfile1, rendering);

    if (!CutFreshStrip()) return false;
    EraseFoundLines({&lineProfile1});
    SearchPass(2, lineProfile2, rendering);

    if (!CutFreshStrip()) return false;
    EraseFoundLines({&lineProfile1, &lineProfile2});
    SearchPass(3, lineProfile3, rendering);
    return true;
}

void BoardCounter::RunSplitPass(Rendering rendering) {
    SplitThickRuns();
    if (rendering == Rendering::EachPass) {
        markImage = stripImage.get();
        RenderLineMap(markImage, {&lineProfile1, &lineProfile2, &lineProfile3, &lineProfile4});
    }
    CountLineRuns(lineProfile4);
    linesPerPass[3] = passLines;
    StageDone(kPassStages[3]);
}

bool BoardCounter::RunPasses(CountResult& result) {
    if (!RunSearchPasses(Rendering::EachPass) || !CutFreshStrip()) return false;
    RenderLineMap(stripImage.get(), {&lineProfile1, &lineProfile2, &lineProfile3});
    RunSplitPass(Rendering::EachPass);

    result.passLines = linesPerPass;
    const Profile* profiles[] = {&lineProfile1, &lineProfile2, &lineProfile3, &lineProfile4};
    for (int pass = 0; pass < 4; ++pass) result.lineRuns[pass] = RunsOf(*profiles[pass]);
    return true;
}

}  // namespace tamrex
