#include "tools/photo/StackPhoto.h"

#include "image/Bitmap.h"
#include "tests/tools/PhotoPixels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace tamrex::testing {
namespace {

using Rows = std::vector<std::pair<int, int>>;  // [first, last] stretches, bottom first

// Grey and without noise, so that every change of level shows.
StackPhotoRecipe Quiet(StackPhotoRecipe recipe) {
    recipe.greyscale = true;
    recipe.noise = 0;
    return recipe;
}

// The boards' own pixels: those that change when only the boards' grey level does.
// Nothing else takes its level from the boards: not the gaps, the backdrop, the wrap's
// gloss, nor what stands under or beside the stack.
class BoardPixels {
public:
    explicit BoardPixels(const StackPhotoRecipe& recipe)
        : width(recipe.width), height(recipe.height), board(static_cast<std::size_t>(width) * height) {
        StackPhotoRecipe bright = recipe, dull = recipe;
        bright.boardLevel = 200;
        dull.boardLevel = 110;
        const BitmapHandle one = Drawn(bright), other = Drawn(dull);
        if (!one || !other) return;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) board[Index(x, y)] = Level(one.get(), x, y) != Level(other.get(), x, y);
        }
    }

    bool At(int x, int y) const { return board[Index(x, y)]; }

    Rows RunsUp(int x) const {
        Rows runs;
        for (int y = 0; y < height; ++y) {
            if (!At(x, y)) continue;
            if (runs.empty() || runs.back().second != y - 1) runs.emplace_back(y, y);
            runs.back().second = y;
        }
        return runs;
    }

    // The first and last column any board pixel lies in; {width, -1} for none.
    std::pair<int, int> Ends() const {
        std::pair<int, int> ends{width, -1};
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                if (!At(x, y)) continue;
                ends.first = std::min(ends.first, x);
                ends.second = std::max(ends.second, x);
            }
        }
        return ends;
    }

    // Across row y, the board pixels' first and last column.
    std::pair<int, int> Across(int y) const {
        std::pair<int, int> span{width, -1};
        for (int x = 0; x < width; ++x) {
            if (At(x, y)) span = {std::min(span.first, x), x};
        }
        return span;
    }

private:
    std::size_t Index(int x, int y) const { return static_cast<std::size_t>(y) * width + x; }

    int width, height;
    std::vector<bool> board;
};

// Where the layout puts the boards in the middle column, cut to the photo.
Rows BoardRowsInFrame(const StackPhotoRecipe& recipe, const StackPhotoLayout& layout) {
    Rows rows;
    int bottom = layout.firstBoardRow;
    for (const int thickness : layout.boardRows) {
        const int top = bottom + thickness - 1;
        if (top >= 0 && bottom < recipe.height) rows.emplace_back(std::max(bottom, 0), std::min(top, recipe.height - 1));
        bottom = top + 1 + recipe.gapRows;
    }
    return rows;
}

struct Scene {
    const char* name;
    StackPhotoRecipe recipe;
};

// Operators' photos, between them using every kind of difficulty that keeps the
// stack's own pixels apart from the rest.
std::vector<Scene> OperatorScenes() {
    StackPhotoRecipe pallet = Quiet({.boards = 16, .boardRows = 14});
    pallet.mixedRows = {20};
    pallet.mixOrder = MixOrder::Cycle;
    pallet.leftEnd = 150;
    pallet.rightEnd = 520;
    pallet.backdrop = Backdrop::Wall;
    pallet.marginLevel = 170;
    pallet.floorLevel = 110;
    pallet.sky = 10;
    pallet.bearers = 3;
    pallet.neighbour = Neighbour::Pallet;
    pallet.face = BoardFace::Plies;
    pallet.plies = 4;
    pallet.shadow = 40;
    pallet.lightSlope = 20;

    StackPhotoRecipe wrapped = Quiet({.width = 1008, .height = 756, .boards = 120, .boardRows = 4, .gapRows = 1});
    wrapped.wrap = 40;
    wrapped.backdrop = Backdrop::Gravel;
    wrapped.marginLevel = 90;
    wrapped.leftEnd = 100;
    wrapped.rightEnd = 760;
    wrapped.neighbour = Neighbour::Stack;

    StackPhotoRecipe keystoned = Quiet({.boards = 12, .boardRows = 22, .gapRows = 4, .marginTop = 40, .marginBottom = 150});
    keystoned.gapLevel = 12;
    keystoned.marginLevel = 30;
    keystoned.keystone = 15;
    keystoned.keystoneVertical = -12;
    keystoned.face = BoardFace::DoubleFlutes;
    keystoned.fluteEnds = true;
    keystoned.onPallet = true;
    keystoned.leftEnd = 120;
    keystoned.rightEnd = 560;
    keystoned.neighbour = Neighbour::Stack;
    keystoned.backdrop = Backdrop::Gravel;

    StackPhotoRecipe runsOff = Quiet({.boards = 32, .boardRows = 18, .marginTop = -30, .marginBottom = -50});
    runsOff.leftEnd = -40;
    runsOff.rightEnd = 840;
    runsOff.face = BoardFace::Rounded;
    runsOff.mixedRows = {16, 19};

    return {{"beside a pallet", pallet}, {"thin sheets under wrap", wrapped}, {"keystoned on a pallet", keystoned},
            {"running off the photo", runsOff}};
}

TEST(OperatorPhotos, LayoutIsWhereThePixelsShowTheBoards) {
    for (const auto& [name, recipe] : OperatorScenes()) {
        ASSERT_EQ(ValidateStackPhotoRecipe(recipe), "") << name;
        const StackPhotoLayout layout = LayoutOf(recipe);
        const BoardPixels boards(recipe);
        const Rows runs = boards.RunsUp(recipe.width / 2);
        ASSERT_EQ(static_cast<int>(runs.size()), BoardsInPhoto(recipe)) << name;
        const bool square = recipe.keystone == 0 && recipe.keystoneVertical == 0;
        if (square) {
            EXPECT_EQ(runs, BoardRowsInFrame(recipe, layout)) << name;
        } else {
            EXPECT_NEAR(runs.front().first, layout.firstBoardRow, 1) << name;
            EXPECT_NEAR(runs.back().second, layout.lastBoardRow, 1) << name;
        }
        for (std::size_t board = 1; board < runs.size(); ++board) {
            const auto gaps = std::count_if(layout.gapCentreRows.begin(), layout.gapCentreRows.end(), [&](int gap) {
                return gap > runs[board - 1].second && gap < runs[board].first;
            });
            EXPECT_EQ(gaps, 1) << name << ": between boards " << board - 1 << " and " << board << " in the photo";
        }
        const auto [left, right] = boards.Ends();
        const int slack = square ? 0 : 1;
        EXPECT_NEAR(left, std::clamp(layout.leftColumn, 0, recipe.width - 1), slack) << name;
        EXPECT_NEAR(right, std::clamp(layout.rightColumn, 0, recipe.width - 1), slack) << name;
    }
}

TEST(OperatorPhotos, AStackRunningOffThePhotoSaysWhereItsEndsLie) {
    const StackPhotoRecipe recipe = OperatorScenes().back().recipe;
    const StackPhotoLayout layout = LayoutOf(recipe);
    EXPECT_LT(layout.firstBoardRow, -layout.boardRows.front()) << "no board wholly below the photo";
    EXPECT_GE(layout.lastBoardRow, recipe.height);
    EXPECT_LT(layout.leftColumn, -30);
    EXPECT_GT(layout.rightColumn, recipe.width + 30);
    EXPECT_EQ(BoardsInPhoto(recipe), static_cast<int>(BoardRowsInFrame(recipe, layout).size()));
    EXPECT_LT(BoardsInPhoto(recipe), recipe.boards);
}

struct Confined {
    const char* name;
    std::function<void(StackPhotoRecipe&)> apply;
    std::function<bool(const StackPhotoLayout&, int x, int y)> mayChange;
};

bool InStack(const StackPhotoLayout& l, int x, int y, int reach = 0) {
    return x >= l.leftColumn - reach && x <= l.rightColumn + reach && y >= l.firstBoardRow - reach &&
           y <= l.lastBoardRow + reach;
}

// What surrounds the stack may show through where a board stops short of its ends.
bool BesideTheBoards(const StackPhotoLayout& l, int x, int y) {
    const int ragged = (l.rightColumn - l.leftColumn) / 200 + 1;
    return !(x > l.leftColumn + ragged && x < l.rightColumn - ragged && y >= l.firstBoardRow && y <= l.lastBoardRow);
}

// Each kind draws from its own random stream, in its own part of the photo, and
// leaves every other pixel as it was.
TEST(OperatorPhotos, EachKindChangesOnlyItsPartOfThePhoto) {
    const auto surroundings = [](const StackPhotoLayout& l, int x, int y) { return BesideTheBoards(l, x, y); };
    const auto stack = [](const StackPhotoLayout& l, int x, int y) { return InStack(l, x, y); };
    const auto below = [](const StackPhotoLayout& l, int, int y) { return y < l.firstBoardRow; };
    const auto beside = [](const StackPhotoLayout& l, int x, int) { return x < l.leftColumn || x > l.rightColumn; };
    const Confined kinds[] = {
        {"wall", [](StackPhotoRecipe& r) { r.backdrop = Backdrop::Wall; }, surroundings},
        {"gravel", [](StackPhotoRecipe& r) { r.backdrop = Backdrop::Gravel; }, surroundings},
        {"ground", [](StackPhotoRecipe& r) { r.floorLevel = 120; }, surroundings},
        {"sky", [](StackPhotoRecipe& r) { r.sky = 25; }, surroundings},
        {"bearers", [](StackPhotoRecipe& r) { r.bearers = 3; }, below},
        {"pallet under", [](StackPhotoRecipe& r) { r.onPallet = true; }, below},
        {"neighbouring stack", [](StackPhotoRecipe& r) { r.neighbour = Neighbour::Stack; }, beside},
        {"neighbouring pallet", [](StackPhotoRecipe& r) { r.neighbour = Neighbour::Pallet; }, beside},
        {"plies", [](StackPhotoRecipe& r) { r.face = BoardFace::Plies; }, stack},
        {"rounded", [](StackPhotoRecipe& r) { r.face = BoardFace::Rounded; }, stack},
        {"double flutes", [](StackPhotoRecipe& r) { r.face = BoardFace::DoubleFlutes; }, stack},
        {"flute ends", [](StackPhotoRecipe& r) { r.fluteEnds = true; }, stack},
        {"wrap", [](StackPhotoRecipe& r) { r.wrap = 40; },
         [](const StackPhotoLayout& l, int x, int y) { return InStack(l, x, y, 18 + 3); }},
    };
    StackPhotoRecipe plain{.boards = 14, .boardRows = 18, .greyscale = true};
    plain.leftEnd = 200;
    plain.rightEnd = 600;
    const BitmapHandle before = Drawn(plain);
    const StackPhotoLayout layout = LayoutOf(plain);
    for (const Confined& kind : kinds) {
        StackPhotoRecipe recipe = plain;
        kind.apply(recipe);
        const BitmapHandle after = Drawn(recipe);
        ASSERT_NE(after, nullptr) << kind.name;
        const auto [changed, stray] =
            ChangesBetween(before.get(), after.get(), [&](int x, int y) { return kind.mayChange(layout, x, y); });
        EXPECT_GT(changed, recipe.width) << kind.name << " drew next to nothing";
        EXPECT_EQ(stray, 0) << kind.name << " changed pixels it should not";
    }
}

// A least-squares line through (x, y) points: {slope, intercept}.
std::pair<double, double> LineThrough(const std::vector<std::pair<double, double>>& points) {
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (const auto& [x, y] : points) {
        sx += x;
        sy += y;
        sxx += x * x;
        sxy += x * y;
    }
    const double n = static_cast<double>(points.size());
    const double slope = (n * sxy - sx * sy) / (n * sxx - sx * sx);
    return {slope, (sy - slope * sx) / n};
}

// The stack's height in each column (or its width in each row) changes along a
// straight line, and the line's ends at the photo's edges stand as the keystone says.
TEST(OperatorPhotos, KeystoneMakesOneEndOfTheStackLargerAsAsked) {
    for (const double percent : {20.0, -15.0}) {
        StackPhotoRecipe yawed = Quiet({.boards = 14, .boardRows = 18, .marginTop = 80, .marginBottom = 80});
        yawed.keystone = percent;
        const BoardPixels boards(yawed);
        std::vector<std::pair<double, double>> heights;
        for (int x = yawed.width / 10; x < yawed.width * 9 / 10; x += 5) {
            const Rows runs = boards.RunsUp(x);
            if (!runs.empty()) heights.emplace_back(x, runs.back().second - runs.front().first + 1);
        }
        const auto [slope, intercept] = LineThrough(heights);
        EXPECT_NEAR(intercept / (intercept + slope * (yawed.width - 1)), 1 + percent / 100, 0.02) << percent;

        StackPhotoRecipe pitched = Quiet({.boards = 14, .boardRows = 18});
        pitched.keystoneVertical = percent;
        pitched.leftEnd = 120;
        pitched.rightEnd = 680;
        const BoardPixels pitchedBoards(pitched);
        std::vector<std::pair<double, double>> widths;
        for (const auto& [bottom, top] : pitchedBoards.RunsUp(pitched.width / 2)) {
            for (int y = bottom; y <= top; ++y) {
                const auto [left, right] = pitchedBoards.Across(y);
                widths.emplace_back(y, right - left + 1);
            }
        }
        const auto [across, base] = LineThrough(widths);
        EXPECT_NEAR((base + across * (pitched.height - 1)) / base, 1 + percent / 100, 0.03) << percent;
    }
}

// Grey levels along one column or row, for the checks below.
std::vector<int> Column(FIBITMAP* photo, int x, int from, int to) {
    std::vector<int> levels;
    for (int y = from; y <= to; ++y) levels.push_back(Level(photo, x, y));
    return levels;
}

std::vector<int> Row(FIBITMAP* photo, int y, int from, int to) {
    std::vector<int> levels;
    for (int x = from; x <= to; ++x) levels.push_back(Level(photo, x, y));
    return levels;
}

int DarkRuns(const std::vector<int>& levels, int below) {
    int runs = 0;
    for (std::size_t at = 0; at < levels.size(); ++at) runs += levels[at] < below && (at == 0 || levels[at - 1] >= below);
    return runs;
}

StackPhotoRecipe PlainQuiet() { return Quiet({.boards = 14, .boardRows = 24, .gapRows = 3}); }

TEST(OperatorPhotos, TexturedFacesShowPliesAndFlutesFinerThanTheBoards) {
    StackPhotoRecipe plywood = PlainQuiet();
    plywood.face = BoardFace::Plies;
    plywood.plies = 5;
    const BitmapHandle plies = Drawn(plywood);
    const StackPhotoLayout layout = LayoutOf(plywood);
    const int contrast = plywood.boardLevel - plywood.gapLevel;
    int bottom = layout.firstBoardRow, nearlySeams = 0;
    for (const int rows : layout.boardRows) {
        const std::vector<int> inside = Column(plies.get(), plywood.width / 2, bottom + 1, bottom + rows - 2);
        EXPECT_EQ(DarkRuns(inside, plywood.boardLevel - contrast * 3 / 10), plywood.plies) << "board at " << bottom;
        nearlySeams += *std::min_element(inside.begin(), inside.end()) < plywood.gapLevel + contrast * 2 / 10;
        bottom += rows + plywood.gapRows;
    }
    EXPECT_GT(nearlySeams, 0) << "no ply line nearly as dark as a seam";

    StackPhotoRecipe corrugated = PlainQuiet();
    corrugated.face = BoardFace::Flutes;
    const BitmapHandle flutes = Drawn(corrugated);
    const int middleRow = layout.firstBoardRow + corrugated.boardRows / 2;
    const int span = corrugated.width * 9 / 10 - corrugated.width / 10;
    const int waves = DarkRuns(Row(flutes.get(), middleRow, corrugated.width / 10, corrugated.width * 9 / 10),
                               (corrugated.boardLevel + corrugated.gapLevel) / 2);
    // A flute is one to two times as wide as the board is thick, and crosses the middle row twice.
    EXPECT_GT(waves, span / corrugated.boardRows);
    EXPECT_LT(waves, 2 * span / corrugated.boardRows);
}

TEST(OperatorPhotos, WrapVeilsTheSeamsAndGlintsShadowDarkensPartOfTheStackSkyIsBright) {
    const StackPhotoRecipe bare = PlainQuiet();
    const BitmapHandle plain = Drawn(bare);
    const StackPhotoLayout layout = LayoutOf(bare);
    const auto contrast = [&](FIBITMAP* photo) {
        double sum = 0;
        for (int gap : layout.gapCentreRows) {
            for (int x = bare.width / 10; x < bare.width * 9 / 10; x += 7) {
                sum += Level(photo, x, gap + bare.boardRows / 2 + 2) - Level(photo, x, gap);
            }
        }
        return sum;
    };
    const auto brightest = [&](FIBITMAP* photo) {
        int most = 0;
        for (int y = layout.firstBoardRow; y <= layout.lastBoardRow; ++y) {
            const std::vector<int> row = Row(photo, y, 0, bare.width - 1);
            most = std::max(most, *std::max_element(row.begin(), row.end()));
        }
        return most;
    };
    StackPhotoRecipe wrapped = bare;
    wrapped.wrap = 40;
    const BitmapHandle wrap = Drawn(wrapped);
    const double kept = contrast(wrap.get()) / contrast(plain.get());
    EXPECT_GT(kept, 0.3);
    EXPECT_LT(kept, 0.75);
    EXPECT_GT(brightest(wrap.get()), brightest(plain.get()) + 20) << "no glint";

    StackPhotoRecipe shaded = bare;
    shaded.shadow = 50;
    const BitmapHandle shadow = Drawn(shaded);
    int lit = 0, dark = 0, board = 0;
    for (int y = layout.firstBoardRow; y <= layout.lastBoardRow; ++y) {
        for (int x = 0; x < bare.width; ++x) {
            if (Level(plain.get(), x, y) < 150) continue;
            ++board;
            const double ratio = static_cast<double>(Level(shadow.get(), x, y)) / Level(plain.get(), x, y);
            lit += std::abs(ratio - 1) < 0.02;
            dark += std::abs(ratio - 0.5) < 0.02;
        }
    }
    EXPECT_GT(lit, board / 10);
    EXPECT_GT(dark, board / 10);
    EXPECT_GT(lit + dark, board * 9 / 10) << "a shadow's edge is soft, but narrow";

    StackPhotoRecipe outdoor = bare;
    outdoor.sky = 5;
    const BitmapHandle sky = Drawn(outdoor);
    const std::vector<int> top = Row(sky.get(), bare.height - 1, 0, bare.width - 1);
    EXPECT_GT(*std::min_element(top.begin(), top.end()), bare.boardLevel) << "the sky is brighter than the boards";
    EXPECT_EQ(Level(sky.get(), bare.width / 2, layout.lastBoardRow + 1), bare.marginLevel);
}

TEST(OperatorPhotos, MixedThicknessesCycleRunOrMixAsAsked) {
    StackPhotoRecipe recipe{.boards = 12, .boardRows = 14, .marginTop = 10, .marginBottom = 10};
    recipe.mixedRows = {10, 22};
    recipe.mixOrder = MixOrder::Cycle;
    EXPECT_EQ(LayoutOf(recipe).boardRows, (std::vector<int>{14, 10, 22, 14, 10, 22, 14, 10, 22, 14, 10, 22}));

    recipe.mixOrder = MixOrder::Runs;
    recipe.boards = 40;
    recipe.height = 2000;
    for (unsigned seed = 1; seed <= 5; ++seed) {
        recipe.seed = seed;
        ASSERT_EQ(ValidateStackPhotoRecipe(recipe), "");
        const std::vector<int> runs = LayoutOf(recipe).boardRows;
        for (std::size_t from = 0, to = 0; from < runs.size(); from = to) {
            while (to < runs.size() && runs[to] == runs[from]) ++to;
            EXPECT_TRUE(to - from >= 2 || to == runs.size()) << "seed " << seed << ": a run of one at board " << from;
            EXPECT_LE(to - from, 6u) << "seed " << seed << ", board " << from;
        }
    }

    recipe.mixOrder = MixOrder::Random;
    recipe.boards = 20;
    recipe.boardRows = 12;
    const std::vector<int> mixed = LayoutOf(recipe).boardRows;
    for (const int kind : {12, 10, 22}) EXPECT_NE(std::find(mixed.begin(), mixed.end(), kind), mixed.end()) << kind;
}

// A neighbour's seams repeat at a pitch well apart from the stack's own.
TEST(OperatorPhotos, NeighbouringStackHasItsOwnPitch) {
    StackPhotoRecipe recipe = PlainQuiet();
    recipe.leftEnd = 300;
    recipe.rightEnd = 760;
    recipe.neighbour = Neighbour::Stack;
    for (unsigned seed = 1; seed <= 4; ++seed) {
        recipe.seed = seed;
        const BitmapHandle photo = Drawn(recipe);
        const std::vector<int> column = Column(photo.get(), 100, 0, recipe.height - 1);
        std::vector<int> seams;
        for (int y = 1; y < recipe.height; ++y) {
            if (column[y] <= recipe.gapLevel && column[y - 1] > recipe.gapLevel) seams.push_back(y);
        }
        ASSERT_GE(seams.size(), 2u) << "seed " << seed;
        const double pitch = static_cast<double>(seams.back() - seams.front()) / (seams.size() - 1);
        const double own = recipe.boardRows + recipe.gapRows;
        EXPECT_TRUE(pitch < own * 0.85 || pitch > own * 1.2) << "seed " << seed << ": pitch " << pitch;
    }
}

}  // namespace
}  // namespace tamrex::testing
