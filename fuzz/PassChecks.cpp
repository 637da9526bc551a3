#include "fuzz/PassChecks.h"

#include "fuzz/FuzzCheck.h"
#include "fuzz/PixelBits.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace tamrex::fuzz {
namespace {

constexpr int kFirstCountedColumn = 4;

std::string At(const std::string& name, int row, int value) {
    return name + "[" + std::to_string(row) + "] = " + std::to_string(value);
}

// The maximal runs of marked rows among the strip's rows, found without the core.
std::vector<LineRun> RunsAmong(const Profile& profile, int height) {
    std::vector<LineRun> runs;
    for (int row = 0; row < height; ++row) {
        const bool starts = profile[row] > 0 && (row == 0 || profile[row - 1] <= 0);
        if (starts) runs.push_back({row, row});
        if (profile[row] > 0) runs.back().lastRow = row;
    }
    return runs;
}

void CheckBounds(const Profile& profile, const std::string& name, int width, int height) {
    Require(static_cast<int>(profile.size()) > height, name + " has no entry above the top row");
    for (int row = 0; row < height; ++row) {
        if (profile[row] < 0 || profile[row] > width) {
            Fail(At(name, row, profile[row]) + " is outside 0.." + std::to_string(width));
        }
    }
    Require(profile[height] == 0, At(name, height, profile[height]) + " above the top row");
}

struct SearchLimits {
    double saturationFactor;
    double minimum;
    int longestRepaired;
};

SearchLimits LimitsOf(int pass, int bdLine) {
    if (pass == 1) return {0.7, static_cast<double>(bdLine), 3};
    if (pass == 2) return {0.6, bdLine * 0.8, 3};
    return {0.5, bdLine * 0.7, 2};
}

// A line row holds a count of the counted columns no higher than the saturation
// limit, or the whole width when saturated, and never less than the pass's minimum;
// a short run clear of rows 0 and 1 would have been cleared by the gap repair.
void CheckSearchProfile(const BoardCounter& counter, int pass, const Profile& profile) {
    const std::string name = "lineProfile" + std::to_string(pass);
    const SearchLimits limits = LimitsOf(pass, counter.settings.bdLine);
    const int W = counter.imgWidth;
    for (int row = 0; row < counter.imgHeight; ++row) {
        const int entry = profile[row];
        if (entry == 0) continue;
        const bool counted = entry <= W - kFirstCountedColumn && entry <= limits.saturationFactor * W;
        const bool saturated = entry == W && W - kFirstCountedColumn > limits.saturationFactor * W;
        if (!counted && !saturated) Fail(At(name, row, entry) + " is neither a count nor the saturated width");
        if (entry < limits.minimum) Fail(At(name, row, entry) + " is below the minimum " + std::to_string(limits.minimum));
    }
    for (const LineRun& run : RunsAmong(profile, counter.imgHeight)) {
        const int length = run.lastRow - run.firstRow + 1;
        if (run.firstRow >= 2 && length <= limits.longestRepaired) {
            Fail(name + " keeps a run of " + std::to_string(length) + " rows at row " + std::to_string(run.firstRow));
        }
    }
}

void CheckSplitProfile(const BoardCounter& counter) {
    for (int row = 0; row < counter.imgHeight; ++row) {
        const int entry = counter.lineProfile4[row];
        if (entry != 0 && (entry != counter.imgWidth || counter.settings.pWidth <= 0)) {
            Fail(At("lineProfile4", row, entry) + " with pWidth " + std::to_string(counter.settings.pWidth));
        }
    }
}

void CheckRunCounts(const BoardCounter& counter, const std::array<const Profile*, 4>& profiles,
                    const std::array<int, 4>& passLines) {
    int total = 0;
    for (int pass = 0; pass < 4; ++pass) {
        const std::vector<LineRun> runs = RunsAmong(*profiles[pass], counter.imgHeight);
        Require(passLines[pass] == static_cast<int>(runs.size()),
                "pass " + std::to_string(pass + 1) + " counted " + std::to_string(passLines[pass]) +
                    " lines in a profile of " + std::to_string(runs.size()) + " runs");
        Require(counter.RunsOf(*profiles[pass]) == runs, "RunsOf disagrees with the runs of pass " + std::to_string(pass + 1));
        total += passLines[pass];
    }
    Require(counter.lineTotal == total && total >= 0,
            "lineTotal " + std::to_string(counter.lineTotal) + " is not the sum " + std::to_string(total) + " of the passes");
}

bool RowIsBlack(FIBITMAP* map, int row, int width, bool& uniform) {
    const std::uint8_t* bits = Row(map, row);
    const bool light = IsLight(bits, 0);
    uniform = true;
    for (int x = 1; x < width; ++x) uniform = uniform && IsLight(bits, x) == light;
    return !light;
}

// Lines of different passes may touch and then show as one bar, so the map has at
// most as many bars as lines were counted, and has a bar exactly when any line was.
void CheckLineMap(const BoardCounter& counter, const std::array<const Profile*, 4>& profiles) {
    FIBITMAP* map = counter.markImage;
    int bars = 0;
    bool previousBlack = false;
    for (int row = 0; row < counter.imgHeight; ++row) {
        bool uniform = false;
        const bool black = RowIsBlack(map, row, counter.imgWidth, uniform);
        if (!uniform) Fail("line map row " + std::to_string(row) + " is neither wholly black nor wholly white");
        const bool marked = std::any_of(profiles.begin(), profiles.end(), [row](const Profile* p) { return (*p)[row] > 0; });
        if (black != marked) {
            Fail("line map row " + std::to_string(row) + (black ? " is black but unmarked" : " is white but marked"));
        }
        bars += black && !previousBlack ? 1 : 0;
        previousBlack = black;
    }
    Require(bars <= counter.lineTotal && (bars == 0) == (counter.lineTotal == 0),
            std::to_string(bars) + " bars in the line map for " + std::to_string(counter.lineTotal) + " lines");
}

void CheckStrips(const BoardCounter& counter, FIBITMAP* firstStrip) {
    FIBITMAP* strip = counter.stripImage.get();
    Require(Width(strip) == counter.imgWidth && Height(strip) == counter.imgHeight, "the strip changed its size");
    Require(counter.markImage == strip, "markImage is not the last strip");
    Require(SamePixels(counter.pristineStrip.get(), firstStrip) && SamePadding(counter.pristineStrip.get(), firstStrip),
            "the first strip changed during the passes");
    Require(SamePadding(strip, firstStrip), "a pass changed padding bits past the strip's last column");
}

}  // namespace

void CheckAfterPasses(const BoardCounter& counter, const std::array<int, 4>& passLines, FIBITMAP* firstStrip) {
    CheckStrips(counter, firstStrip);
    const std::array<const Profile*, 4> profiles = {&counter.lineProfile1, &counter.lineProfile2,
                                                    &counter.lineProfile3, &counter.lineProfile4};
    for (int pass = 0; pass < 4; ++pass) {
        CheckBounds(*profiles[pass], "lineProfile" + std::to_string(pass + 1), counter.imgWidth, counter.imgHeight);
    }
    CheckBounds(counter.rowProfile, "rowProfile", counter.imgWidth, counter.imgHeight);
    for (int pass = 1; pass <= 3; ++pass) CheckSearchProfile(counter, pass, *profiles[pass - 1]);
    CheckSplitProfile(counter);
    CheckRunCounts(counter, profiles, passLines);
    CheckLineMap(counter, profiles);
}

}  // namespace tamrex::fuzz
