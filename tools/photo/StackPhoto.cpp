#include "tools/photo/StackPhoto.h"

#include "image/Bitmap.h"
#include "tools/photo/PhotoRandom.h"
#include "tools/photo/StackFlaws.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <numeric>
#include <sstream>
#include <utility>

namespace tamrex::testing {
namespace {

constexpr int kLargestJpegSide = 65500;
constexpr int kBoardShadeSpread = 8;  // brightness steps between boards, as on a real stack
constexpr int kGrainStrength = 5;     // faint enough never to read as a gap
constexpr int kStreakLength = 1024;   // power of two: columns wrap with a mask
constexpr int kStreakKnotSpacing = 32;
constexpr int kFixedOne = 256;        // sub-row and brightness factors are in 1/256
constexpr int kSideFalloff = 26;      // a lamp in front leaves the sides about a tenth darker
constexpr int kBevelShare = 6;        // board edge rows lose a sixth of the board-gap contrast
constexpr int kFadedShare = 5;        // a faded gap keeps only a fifth of that contrast
constexpr int kMostStraps = 20;
constexpr int kMostLightLoss = 90;    // percent; a lamp that leaves no light draws no stack
constexpr int kStrapOverhang = 2;     // rows a strap reaches beyond the stack, over its edges

struct Bound {
    const char* what;
    long long value, low, high;
};

std::string FirstOutOfRange(std::initializer_list<Bound> bounds) {
    for (const Bound& bound : bounds) {
        if (bound.value < bound.low || bound.value > bound.high) {
            return std::string(bound.what) + " must be between " + std::to_string(bound.low) +
                   " and " + std::to_string(bound.high) + ", not " + std::to_string(bound.value);
        }
    }
    return {};
}

std::string CheckRanges(const StackPhotoRecipe& recipe) {
    return FirstOutOfRange({
        {"width", recipe.width, 1, kLargestJpegSide},
        {"height", recipe.height, 1, kLargestJpegSide},
        {"boards", recipe.boards, 1, kLargestJpegSide},
        {"board rows", recipe.boardRows, 1, kLargestJpegSide},
        {"gap rows", recipe.gapRows, 1, kLargestJpegSide},
        {"top margin", recipe.marginTop, 0, kLargestJpegSide},
        {"bottom margin", recipe.marginBottom, 0, kLargestJpegSide},
        {"board level", recipe.boardLevel, 0, 255},
        {"gap level", recipe.gapLevel, 0, 255},
        {"margin level", recipe.marginLevel, 0, 255},
        {"noise", recipe.noise, 0, 255},
        {"faded gaps", recipe.fadedGaps, 0, recipe.boards - 1LL},
        {"JPEG quality", recipe.quality, 1, 100},
        {"thickness jitter", recipe.thicknessJitter, 0, recipe.boardRows - 1LL},
        {"broken gaps", recipe.brokenGaps, 0, recipe.boards - 1LL},
        {"missing segments", recipe.missingSegments, 0, recipe.boards - 1LL},
        {"straps", recipe.straps, 0, kMostStraps},
        {"light slope", recipe.lightSlope, -kMostLightLoss, kMostLightLoss},
        {"light fall", recipe.lightFall, -kMostLightLoss, kMostLightLoss},
        {"vignette", recipe.vignette, 0, kMostLightLoss},
        {"bottom blur", recipe.bottomBlur, 0, recipe.boardRows - recipe.thicknessJitter},
    });
}

long long StackRows(const StackPhotoRecipe& recipe) {
    const std::vector<int> boardRows = BoardThicknesses(recipe);
    return std::accumulate(boardRows.begin(), boardRows.end(), 0LL) +
           static_cast<long long>(recipe.boards - 1) * recipe.gapRows;
}

long long SpareRows(const StackPhotoRecipe& recipe) {
    return static_cast<long long>(recipe.height) - recipe.marginTop - recipe.marginBottom -
           StackRows(recipe);
}

std::string CheckFit(const StackPhotoRecipe& recipe) {
    if (SpareRows(recipe) >= 0) return {};
    const std::string jitter =
        recipe.thicknessJitter ? " (give or take " + std::to_string(recipe.thicknessJitter) + ")" : "";
    return std::to_string(recipe.boards) + " boards of " + std::to_string(recipe.boardRows) + jitter +
           " rows with " + std::to_string(recipe.gapRows) + "-row gaps need " +
           std::to_string(StackRows(recipe)) + " rows, but a " + std::to_string(recipe.height) +
           "-row photo with margins of " + std::to_string(recipe.marginTop) + " and " +
           std::to_string(recipe.marginBottom) + " rows leaves only " +
           std::to_string(recipe.height - recipe.marginTop - recipe.marginBottom);
}

std::string Rows(double rows) {
    std::ostringstream text;
    text << rows << (rows == 1 ? " row" : " rows");
    return text.str();
}

// The stack pivots on the middle column, so each end moves by half the tilt.
std::string CheckTilt(const StackPhotoRecipe& recipe) {
    if (!std::isfinite(recipe.tilt)) return "tilt must be a finite number of rows";
    const StackPhotoLayout layout = LayoutOf(recipe);
    const double room = std::min(layout.firstBoardRow, recipe.height - 1 - layout.lastBoardRow);
    if (std::abs(recipe.tilt) / 2 <= room) return {};
    return "a tilt of " + Rows(recipe.tilt) + " moves the stack's ends " +
           Rows(std::abs(recipe.tilt) / 2) + " up or down, but the margins leave only " +
           Rows(room) + ": widen the margins or lessen the tilt";
}

// How far the stack is moved up (first) and down (second), in rows, at its furthest:
// shift(u) = tilt / 2 * u + bow * u * u for u from -1 (left edge) to 1 (right edge).
std::pair<double, double> Reach(const StackPhotoRecipe& recipe) {
    const double slope = recipe.tilt / 2;
    std::vector<double> shifts{0.0, recipe.bow - slope, recipe.bow + slope};
    if (recipe.bow != 0 && std::abs(slope) <= 2 * std::abs(recipe.bow)) {
        shifts.push_back(-slope * slope / (4 * recipe.bow));
    }
    const auto [low, high] = std::minmax_element(shifts.begin(), shifts.end());
    return {*high, -*low};
}

// With a bow the ends move both ways unequally, so each margin is checked on its own.
std::string CheckBow(const StackPhotoRecipe& recipe) {
    if (!std::isfinite(recipe.bow)) return "bow must be a finite number of rows";
    if (recipe.bow == 0) return {};
    const StackPhotoLayout layout = LayoutOf(recipe);
    const auto [up, down] = Reach(recipe);
    const int above = recipe.height - 1 - layout.lastBoardRow, below = layout.firstBoardRow;
    if (up <= above && down <= below) return {};
    return "a bow of " + Rows(recipe.bow) + " with a tilt of " + Rows(recipe.tilt) + " moves the stack " +
           Rows(up) + " up and " + Rows(down) + " down, but the margins leave only " + Rows(above) +
           " above and " + Rows(below) + " below: widen the margins or lessen the bow";
}

// The grey level and texture of every row of the stack as drawn in the middle column,
// indexed by picture row plus `pad`, so that tilted look-ups beyond the picture's
// edge rows still find margin.
struct StackLook {
    int pad;
    std::vector<int> level;
    std::vector<int> grain;        // signed strength of the row's grain streaks; 0 off the boards
    std::vector<int> grainPhase;   // where in the streak pattern the row starts
    std::vector<int> left, right;  // the row lies within columns [left, right); margin elsewhere
    // Only for recipes with broken gaps or missing segments: which gap a row belongs
    // to (-1 for none), where each gap is closed and what it shows there.
    std::vector<int> gapOf;
    std::vector<std::vector<bool>> closed;
    std::vector<int> closedLevel;
    std::size_t stackFrom = 0, stackTo = 0;  // the look rows a strap covers, [from, to)
};

StackLook EmptyLook(const StackPhotoRecipe& recipe) {
    const auto [up, down] = Reach(recipe);
    const int pad = static_cast<int>(std::ceil(std::max(up, down))) + 1;
    const std::size_t rows = static_cast<std::size_t>(recipe.height) + 2 * pad + 1;
    return StackLook{pad,
                     std::vector<int>(rows, recipe.marginLevel),
                     std::vector<int>(rows, 0),
                     std::vector<int>(rows, 0),
                     std::vector<int>(rows, 0),
                     std::vector<int>(rows, recipe.width),
                     {},
                     {},
                     {}};
}

// Boards in a real stack never line up exactly, so each one's ends sit a few
// columns in from the picture's edge by a different amount.
void PaintBoard(StackLook& look, const StackPhotoRecipe& recipe, int bottomRow, int rows, Random& random) {
    const int shade = recipe.boardLevel + random.Between(-kBoardShadeSpread, kBoardShadeSpread);
    const int inset = recipe.width / 100;
    const int jitter = recipe.width / 200;
    const int left = inset + random.Between(0, jitter);
    const int right = recipe.width - inset - random.Between(0, jitter);
    // Worn edges lean a little toward the gap, as rounded board edges catch less light.
    const int contrast = recipe.boardLevel - recipe.gapLevel;
    const int bevel = rows >= 3 ? contrast / kBevelShare : 0;
    for (int row = 0; row < rows; ++row) {
        const std::size_t index = static_cast<std::size_t>(bottomRow + row + look.pad);
        const bool edge = row == 0 || row == rows - 1;
        look.level[index] = shade - (edge ? bevel : 0);
        look.grain[index] = random.Between(-kGrainStrength, kGrainStrength);
        look.grainPhase[index] = random.Between(0, kStreakLength - 1);
        look.left[index] = left;
        look.right[index] = right;
    }
}

// A gap spans the wider of its two boards: where one board stops short, the dark
// gap and the dark surroundings merge.
void PaintGap(StackLook& look, const StackPhotoRecipe& recipe, int bottomRow, bool faded) {
    const std::size_t below = static_cast<std::size_t>(bottomRow - 1 + look.pad);
    const std::size_t above = below + recipe.gapRows + 1;
    const int contrast = recipe.boardLevel - recipe.gapLevel;
    const int level = faded ? recipe.boardLevel - contrast / kFadedShare : recipe.gapLevel;
    for (std::size_t index = below + 1; index < above; ++index) {
        look.level[index] = level;
        look.left[index] = std::min(look.left[below], look.left[above]);
        look.right[index] = std::max(look.right[below], look.right[above]);
    }
}

std::vector<bool> ChooseFadedGaps(const StackPhotoRecipe& recipe) {
    const int gaps = recipe.boards - 1;
    std::vector<int> order(static_cast<std::size_t>(gaps));
    std::iota(order.begin(), order.end(), 0);
    std::vector<bool> faded(order.size(), false);
    Random random(recipe.seed, Stream::FadedGaps);
    for (int pick = 0; pick < recipe.fadedGaps; ++pick) {
        std::swap(order[pick], order[random.Between(pick, gaps - 1)]);
        faded[order[pick]] = true;
    }
    if (recipe.fadedTopGap && gaps > 0) faded.back() = true;
    return faded;
}

// Where the boards touch, a gap shows the worn edges of the boards on either side.
void CloseGaps(StackLook& look, const StackPhotoRecipe& recipe, const StackPhotoLayout& layout) {
    look.closed = GapInterruptions(recipe);
    look.gapOf.assign(look.level.size(), -1);
    look.closedLevel.assign(look.closed.size(), 0);
    for (std::size_t gap = 0; gap < look.closed.size(); ++gap) {
        const int bottomRow = layout.gapCentreRows[gap] - recipe.gapRows / 2;
        const std::size_t below = static_cast<std::size_t>(bottomRow - 1 + look.pad);
        const std::size_t above = below + recipe.gapRows + 1;
        look.closedLevel[gap] = (look.level[below] + look.level[above]) / 2;
        for (std::size_t row = below + 1; row < above; ++row) look.gapOf[row] = static_cast<int>(gap);
    }
}

// An out-of-focus floor: the bottom board's light ramps down over `bottomBlur` rows
// centred on its edge, so the edge still lies where the layout puts it.
void BlurBottomEdge(StackLook& look, const StackPhotoRecipe& recipe, const StackPhotoLayout& layout) {
    const int ramp = recipe.bottomBlur;
    const int first = layout.firstBoardRow + look.pad;
    const int shade = look.level[static_cast<std::size_t>(first + layout.boardRows.front() / 2)];
    for (int step = 0; step < ramp; ++step) {
        const int index = first - ramp / 2 + step;
        if (index < 0) continue;
        const std::size_t row = static_cast<std::size_t>(index);
        look.level[row] = recipe.marginLevel + (shade - recipe.marginLevel) * (step + 1) / (ramp + 1);
        look.left[row] = look.left[static_cast<std::size_t>(first)];
        look.right[row] = look.right[static_cast<std::size_t>(first)];
    }
}

StackLook LookOf(const StackPhotoRecipe& recipe) {
    StackLook look = EmptyLook(recipe);
    const StackPhotoLayout layout = LayoutOf(recipe);
    Random random(recipe.seed, Stream::Boards);
    int bottomRow = layout.firstBoardRow;
    for (int board = 0; board < recipe.boards; ++board) {
        PaintBoard(look, recipe, bottomRow, layout.boardRows[board], random);
        bottomRow += layout.boardRows[board] + recipe.gapRows;
    }
    const std::vector<bool> faded = ChooseFadedGaps(recipe);
    for (int gap = 0; gap + 1 < recipe.boards; ++gap) {
        PaintGap(look, recipe, layout.gapCentreRows[gap] - recipe.gapRows / 2, faded[gap]);
    }
    if (recipe.brokenGaps > 0 || recipe.missingSegments > 0) CloseGaps(look, recipe, layout);
    if (recipe.bottomBlur > 0) BlurBottomEdge(look, recipe, layout);
    look.stackFrom = static_cast<std::size_t>(std::max(0, layout.firstBoardRow + look.pad - kStrapOverhang));
    look.stackTo = static_cast<std::size_t>(layout.lastBoardRow + 1 + look.pad + kStrapOverhang);
    return look;
}

// Long, soft streaks along each board: values in [0, kFixedOne], interpolated between
// random knots so neighbouring columns differ only slightly.
std::vector<int> GrainStreaks(unsigned seed) {
    Random random(seed, Stream::Streaks);
    std::vector<int> knots(kStreakLength / kStreakKnotSpacing);
    for (int& knot : knots) knot = random.Between(0, kFixedOne);
    std::vector<int> streaks(kStreakLength);
    for (int column = 0; column < kStreakLength; ++column) {
        const int knot = column / kStreakKnotSpacing;
        const int next = (knot + 1) % static_cast<int>(knots.size());
        const int step = column % kStreakKnotSpacing;
        streaks[column] =
            (knots[knot] * (kStreakKnotSpacing - step) + knots[next] * step) / kStreakKnotSpacing;
    }
    return streaks;
}

// What varies across the picture from column to column.
struct ColumnLook {
    std::vector<int> shift;  // how far the stack is raised in this column, in 1/256 row
    std::vector<int> light;  // lamp falloff toward the sides, in 1/256
};

ColumnLook ColumnsOf(const StackPhotoRecipe& recipe) {
    ColumnLook columns{std::vector<int>(recipe.width), std::vector<int>(recipe.width)};
    const double middle = (recipe.width - 1) / 2.0;
    const double halfWidth = std::max(middle, 1.0);
    for (int x = 0; x < recipe.width; ++x) {
        const double fromMiddle = (x - middle) / halfWidth;  // -1 at the left edge, 1 at the right
        const double shift = recipe.tilt / 2 * fromMiddle + recipe.bow * fromMiddle * fromMiddle;
        columns.shift[x] = static_cast<int>(std::lround(shift * kFixedOne));
        const double falloff = kSideFalloff * fromMiddle * fromMiddle;
        columns.light[x] = kFixedOne - static_cast<int>(std::lround(falloff));
    }
    return columns;
}

// MDF's brownish tint, keeping the luminance of every grey level within half a percent.
struct Tint {
    BYTE red[256], green[256], blue[256];
};

Tint WoodTint() {
    Tint tint{};
    for (int level = 0; level < 256; ++level) {
        tint.red[level] = static_cast<BYTE>(std::min(255L, std::lround(level * 1.08)));
        tint.green[level] = static_cast<BYTE>(level);
        tint.blue[level] = static_cast<BYTE>(std::lround(level * 0.82));
    }
    return tint;
}

// Draws one picture row: noise comes from the row's own stream, 16 bits per pixel.
class RowPainter {
public:
    explicit RowPainter(const StackPhotoRecipe& recipe)
        : recipe(recipe), look(LookOf(recipe)), columns(ColumnsOf(recipe)),
          streaks(GrainStreaks(recipe.seed)), tint(WoodTint()), straps(StrapLevels(recipe)), light(recipe) {}

    void Paint(int y, BYTE* line) const {
        Random random(recipe.seed, Stream::Noise, static_cast<std::uint64_t>(y));
        std::uint64_t bits = 0;
        for (int x = 0; x < recipe.width; ++x) {
            if (x % 4 == 0) bits = random.Next();
            const int level = std::clamp(Level(x, y) + Noise(bits & 0xFFFF), 0, 255);
            bits >>= 16;
            Put(line, x, level);
        }
    }

private:
    int Level(int x, int y) const {
        const int position = (y + look.pad) * kFixedOne - columns.shift[x];
        const int lit = Surface(x, position) * columns.light[x] / kFixedOne;
        return light.Even() ? lit : lit * light.At(x, y) / kFixedOne;
    }

    // The stack's own grey level at `position`, an index into the look in 1/256 row.
    int Surface(int x, int position) const {
        const std::size_t row = static_cast<std::size_t>(position / kFixedOne);
        if (straps[x] >= 0 && row >= look.stackFrom && row < look.stackTo) return straps[x];
        if (x < look.left[row] || x >= look.right[row]) return recipe.marginLevel;
        // Blending the two rows the pixel straddles draws a tilted gap smoothly.
        const int fraction = position % kFixedOne;
        const int blended =
            (LevelAt(row, x) * (kFixedOne - fraction) + LevelAt(row + 1, x) * fraction) / kFixedOne;
        const int grain =
            look.grain[row] * streaks[(x + look.grainPhase[row]) & (kStreakLength - 1)] / kFixedOne;
        return blended + grain;
    }

    int LevelAt(std::size_t row, int x) const {
        if (look.gapOf.empty() || look.gapOf[row] < 0) return look.level[row];
        const std::size_t gap = static_cast<std::size_t>(look.gapOf[row]);
        return !look.closed[gap].empty() && look.closed[gap][x] ? look.closedLevel[gap] : look.level[row];
    }

    int Noise(std::uint64_t sixteenBits) const {
        const int span = 2 * recipe.noise + 1;
        return static_cast<int>((sixteenBits * span) >> 16) - recipe.noise;
    }

    void Put(BYTE* line, int x, int level) const {
        if (recipe.greyscale) {
            line[x] = static_cast<BYTE>(level);
            return;
        }
        BYTE* pixel = line + 3 * x;
        pixel[FI_RGBA_RED] = tint.red[level];
        pixel[FI_RGBA_GREEN] = tint.green[level];
        pixel[FI_RGBA_BLUE] = tint.blue[level];
    }

    const StackPhotoRecipe& recipe;
    StackLook look;
    ColumnLook columns;
    std::vector<int> streaks;
    Tint tint;
    std::vector<int> straps;
    LightField light;
};

struct MemoryCloser {
    void operator()(FIMEMORY* memory) const noexcept { FreeImage_CloseMemory(memory); }
};
using MemoryHandle = std::unique_ptr<FIMEMORY, MemoryCloser>;

std::string Quoted(const std::string& path) { return "'" + path + "'"; }

// Writes all bytes or removes the file, so no half photo is left behind.
std::string WriteFile(const std::string& path, const BYTE* data, std::size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return std::strerror(errno);
    const bool written = std::fwrite(data, 1, size, file) == size;
    const int writeError = errno;
    const bool closed = std::fclose(file) == 0;
    if (written && closed) return {};
    const int error = written ? errno : writeError;
    std::remove(path.c_str());
    return std::strerror(error);
}

}  // namespace

std::string ValidateStackPhotoRecipe(const StackPhotoRecipe& recipe) {
    // Later checks rely on the ranges the earlier ones establish.
    for (auto check : {CheckRanges, CheckFit, CheckTilt, CheckBow}) {
        std::string problem = check(recipe);
        if (!problem.empty()) return problem;
    }
    return {};
}

StackPhotoLayout LayoutOf(const StackPhotoRecipe& recipe) {
    StackPhotoLayout layout{};
    layout.boardRows = BoardThicknesses(recipe);
    layout.firstBoardRow = recipe.marginBottom + static_cast<int>(SpareRows(recipe) / 2);
    layout.lastBoardRow = layout.firstBoardRow + static_cast<int>(StackRows(recipe)) - 1;
    int boardBottom = layout.firstBoardRow;
    for (int gap = 0; gap + 1 < recipe.boards; ++gap) {
        boardBottom += layout.boardRows[gap];
        layout.gapCentreRows.push_back(boardBottom + recipe.gapRows / 2);
        boardBottom += recipe.gapRows;
    }
    return layout;
}

FIBITMAP* DrawStackPhoto(const StackPhotoRecipe& recipe) {
    if (!ValidateStackPhotoRecipe(recipe).empty()) return nullptr;
    FIBITMAP* bitmap = FreeImage_Allocate(recipe.width, recipe.height, recipe.greyscale ? 8 : 24);
    if (!bitmap) return nullptr;
    const RowPainter painter(recipe);
    for (int y = 0; y < recipe.height; ++y) painter.Paint(y, FreeImage_GetScanLine(bitmap, y));
    return bitmap;
}

bool WriteStackPhoto(const StackPhotoRecipe& recipe, const std::string& path, std::string& error) {
    const std::string problem = ValidateStackPhotoRecipe(recipe);
    if (!problem.empty()) {
        error = "cannot make " + Quoted(path) + ": " + problem;
        return false;
    }
    const BitmapHandle bitmap(DrawStackPhoto(recipe));
    const MemoryHandle memory(FreeImage_OpenMemory());
    if (!bitmap || !memory) {
        error = "cannot make " + Quoted(path) + ": not enough memory for a " +
                std::to_string(recipe.width) + " x " + std::to_string(recipe.height) + " photo";
        return false;
    }
    const int flags = recipe.quality | JPEG_OPTIMIZE;
    if (!FreeImage_SaveToMemory(FIF_JPEG, bitmap.get(), memory.get(), flags)) {
        error = "cannot make " + Quoted(path) + ": the JPEG encoder failed";
        return false;
    }
    BYTE* data = nullptr;
    DWORD size = 0;
    FreeImage_AcquireMemory(memory.get(), &data, &size);
    const std::string writeProblem = WriteFile(path, data, size);
    if (!writeProblem.empty()) {
        error = "cannot write " + Quoted(path) + ": " + writeProblem;
        return false;
    }
    return true;
}

}  // namespace tamrex::testing
