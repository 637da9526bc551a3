#include "tools/photo/BoardFaces.h"

#include "tools/photo/PhotoRandom.h"
#include "tools/photo/StackFlaws.h"

#include <algorithm>
#include <cmath>

namespace tamrex::testing {
namespace {

const double kPi = std::acos(-1.0);
constexpr int kFewestPlyPercent = 35, kMostPlyPercent = 90;  // the darkest nearly match a gap
constexpr int kVeneerStep = 4;          // neighbouring plies differ a little in shade
constexpr int kHollowPercent = 30;      // the air behind a flute keeps this much of the contrast
constexpr int kWedgePercent = 15;       // an open flute end keeps this much
constexpr double kFlutePeriod = 1.4;    // a flute's width over its height
constexpr int kWedgeChance = 3;         // one board end in this many shows no open flutes

bool IsFluted(BoardFace face) { return face == BoardFace::Flutes || face == BoardFace::DoubleFlutes; }

// Seen end-on, the fluting is a wave between two liners, rising from one to the other
// and back over a period a little wider than it is tall.
FluteLayer LayerBetween(int first, int last) {
    FluteLayer layer{first, last, {}, {}};
    if (last < first) return layer;
    const int rise = last - first;
    const int period = std::max(4, static_cast<int>(std::lround(kFlutePeriod * (rise + 1))));
    for (int column = 0; column < period; ++column) {
        const double angle = 2 * kPi * column / period;
        // Where the wave is steep it covers more rows of one column.
        const double slope = rise * kPi / period * std::sin(angle);
        layer.middle.push_back(first + rise * (0.5 - 0.5 * std::cos(angle)));
        layer.half.push_back(std::max(0.55, (rise + 1) / 10.0) * std::sqrt(1 + slope * slope));
    }
    return layer;
}

std::array<FluteLayer, 2> LayersOf(BoardFace face, int rows) {
    if (face == BoardFace::DoubleFlutes) return {LayerBetween(1, rows / 2 - 1), LayerBetween(rows / 2 + 1, rows - 2)};
    if (face == BoardFace::Flutes) return {LayerBetween(1, rows - 2), LayerBetween(0, -1)};
    return {LayerBetween(0, -1), LayerBetween(0, -1)};
}

}  // namespace

int ThinnestBoardFor(const StackPhotoRecipe& recipe) {
    switch (recipe.face) {
    case BoardFace::Flutes: return 5;
    case BoardFace::DoubleFlutes: return 9;
    case BoardFace::Plies: return 2 * (recipe.plies + 1);
    default: return 1;
    }
}

BoardFaces::BoardFaces(const StackPhotoRecipe& recipe, const std::vector<int>& thicknesses)
    : face(recipe.face), gapLevel(recipe.gapLevel), flutes(IsFluted(recipe.face)), fluteEnds(recipe.fluteEnds) {
    const int reach = StackReach(recipe).Width();
    for (std::size_t index = 0; index < thicknesses.size(); ++index) {
        Random random(recipe.seed, Stream::Faces, index);
        Board board{thicknesses[index], random.Between(0, thicknesses[index] * 4), LayersOf(face, thicknesses[index]),
                    {}, {}, 0, 0};
        if (face == BoardFace::Plies) {
            for (int line = 1; line <= recipe.plies; ++line) {
                board.plyRows.push_back(board.rows * line / (recipe.plies + 1));
                board.plyDepths.push_back(random.Between(kFewestPlyPercent, kMostPlyPercent));
            }
        }
        const auto wedge = [&] { return random.Between(0, kWedgeChance - 1) ? random.Between(reach / 100, reach / 25) : 0; };
        board.leftWedge = wedge();
        board.rightWedge = wedge();
        boards.push_back(std::move(board));
    }
}

int BoardFaces::Hollowed(int level, int percent) const { return gapLevel + (level - gapLevel) * percent / 100; }

// A folded box is round where it folds: darkest at its edges, and a little darker
// below its middle than above, lit from above.
int BoardFaces::Rounded(int row, int rows, int level) const {
    const double along = (row + 0.5) / rows;
    const double light = 0.4 + 0.6 * std::pow(std::sin(kPi * along), 0.7) * (0.85 + 0.15 * along);
    return gapLevel + static_cast<int>(std::lround((level - gapLevel) * light));
}

int BoardFaces::Plied(const Board& board, int row, int level) const {
    int ply = 0;
    for (std::size_t line = 0; line < board.plyRows.size(); ++line) {
        if (row == board.plyRows[line]) return Hollowed(level, 100 - board.plyDepths[line]);
        ply += row > board.plyRows[line];
    }
    return level + (ply % 2 ? kVeneerStep : -kVeneerStep);
}

int BoardFaces::RowLevel(int board, int row, int level) const {
    if (face == BoardFace::Rounded) return Rounded(row, boards[static_cast<std::size_t>(board)].rows, level);
    if (face == BoardFace::Plies) return Plied(boards[static_cast<std::size_t>(board)], row, level);
    return level;
}

// Behind the fluting lies dark air.
int BoardFaces::Fluted(const Board& board, int row, int column, int level) const {
    for (const FluteLayer& layer : board.layers) {
        if (row < layer.first || row > layer.last) continue;
        const int period = static_cast<int>(layer.middle.size());
        int phase = (column + board.flutePhase) % period;
        if (phase < 0) phase += period;
        const bool onWave = std::abs(row - layer.middle[phase]) <= layer.half[phase];
        return onWave ? level * 9 / 10 : Hollowed(level, kHollowPercent);
    }
    return level;  // a liner
}

int BoardFaces::Wedged(const Board& board, int row, int column, int left, int right, int level) const {
    const int fromLeft = column - left, fromRight = right - 1 - column;
    const int length = fromLeft < board.leftWedge ? board.leftWedge : fromRight < board.rightWedge ? board.rightWedge : 0;
    if (length == 0) return level;
    const double in = static_cast<double>(std::min(fromLeft, fromRight)) / length;
    const double middle = (board.rows - 1) / 2.0;
    const bool inWedge = std::abs(row - middle) <= 0.8 * middle * (1 - in);
    return inWedge ? Hollowed(level, kWedgePercent) : level;
}

int BoardFaces::PixelLevel(int board, int row, int column, int left, int right, int level) const {
    const Board& drawn = boards[static_cast<std::size_t>(board)];
    if (flutes) level = Fluted(drawn, row, column, level);
    return fluteEnds ? Wedged(drawn, row, column, left, right, level) : level;
}

}  // namespace tamrex::testing
