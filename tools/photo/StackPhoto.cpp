#include "tools/photo/StackPhoto.h"

#include "image/Bitmap.h"
#include "tools/photo/BoardFaces.h"
#include "tools/photo/PhotoRandom.h"
#include "tools/photo/Scenery.h"
#include "tools/photo/StackFlaws.h"
#include "tools/photo/StackGeometry.h"
#include "tools/photo/StackLook.h"
#include "tools/photo/StretchWrap.h"
#include "tools/photo/Surroundings.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <utility>

namespace tamrex::testing {
namespace {

constexpr int kStreakKnotSpacing = 32;
constexpr int kFixedOne = 256;        // sub-row and brightness factors are in 1/256
constexpr int kSideFalloff = 26;      // a lamp in front leaves the sides about a tenth darker

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

// Lamp falloff toward the sides, per column, in 1/256.
std::vector<int> SideLight(const StackPhotoRecipe& recipe) {
    std::vector<int> light;
    for (const double u : FromMiddle(recipe.width)) {
        light.push_back(kFixedOne - static_cast<int>(std::lround(kSideFalloff * u * u)));
    }
    return light;
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

// The plane columns [left, right) the boards cover.
ColumnSpan ColumnsOf(const std::vector<BoardDraw>& boards) {
    ColumnSpan span{boards.front().left, boards.front().right};
    for (const BoardDraw& board : boards) {
        span.left = std::min(span.left, board.left);
        span.right = std::max(span.right, board.right);
    }
    return span;
}

// Each board's first and last row in the photo's middle column, bottom board first.
// A pixel shows the plane row it lies most on, so a board's rows are those within
// half a row of its plane rows.
std::vector<std::pair<int, int>> BoardRowsInPhoto(const StackPhotoRecipe& recipe, const StackPhotoLayout& plane) {
    const StackGeometry geometry(recipe, plane);
    const double middle = recipe.width / 2;
    std::vector<std::pair<int, int>> rows;
    int bottom = plane.firstBoardRow;
    for (const int thickness : plane.boardRows) {
        const int top = bottom + thickness - 1;
        if (geometry.Square()) {
            rows.emplace_back(bottom, top);
        } else {
            rows.emplace_back(static_cast<int>(std::ceil(geometry.PhotoRow(bottom - 0.5, middle))),
                              static_cast<int>(std::floor(geometry.PhotoRow(top + 0.5, middle))));
        }
        bottom = top + 1 + recipe.gapRows;
    }
    return rows;
}

// The outermost photo columns the boards reach: under a keystone, at a corner of one of them.
ColumnSpan OutermostColumns(const StackPhotoRecipe& recipe, const StackPhotoLayout& plane,
                            const std::vector<BoardDraw>& boards) {
    const StackGeometry geometry(recipe, plane);
    if (geometry.Square()) {
        const ColumnSpan span = ColumnsOf(boards);
        return {span.left, span.right - 1};
    }
    ColumnSpan outermost{INT32_MAX, INT32_MIN};
    int bottom = plane.firstBoardRow;
    for (std::size_t board = 0; board < boards.size(); ++board) {
        const int top = bottom + plane.boardRows[board] - 1;
        for (const double row : {bottom - 0.5, top + 0.5}) {
            const double left = geometry.PhotoColumn(boards[board].left - 0.5, row);
            const double right = geometry.PhotoColumn(boards[board].right - 0.5, row);
            outermost.left = std::min(outermost.left, static_cast<int>(std::ceil(left)));
            outermost.right = std::max(outermost.right, static_cast<int>(std::floor(right)));
        }
        bottom = top + 1 + recipe.gapRows;
    }
    return outermost;
}

// Draws one picture row: noise comes from the row's own stream, 16 bits per pixel.
class RowPainter {
public:
    explicit RowPainter(const StackPhotoRecipe& recipe)
        : recipe(recipe), plane(PlaneLayoutOf(recipe)), geometry(recipe, plane),
          boards(DrawBoards(recipe, plane.boardRows)), faces(recipe, plane.boardRows),
          look(LookOf(recipe, plane, boards, faces)), scenery(recipe, plane),
          surroundings(recipe, scenery.FootRow()), wrap(recipe, plane, ColumnsOf(boards)),
          sideLight(SideLight(recipe)), streaks(GrainStreaks(recipe.seed)), tint(WoodTint()),
          straps(StrapLevels(recipe)), light(LightOf(recipe)), trueEnds(HasEnds(recipe) || !geometry.Square()) {}

    void Paint(int y, BYTE* line) const {
        Random random(recipe.seed, Stream::Noise, static_cast<std::uint64_t>(y));
        std::vector<int> columns, positions;
        geometry.Locate(y, look.offset, columns, positions);
        std::uint64_t bits = 0;
        for (int x = 0; x < recipe.width; ++x) {
            if (x % 4 == 0) bits = random.Next();
            const int level = std::clamp(Level(x, y, columns[x], positions[x]) + Noise(bits & 0xFFFF), 0, 255);
            bits >>= 16;
            Put(line, x, level);
        }
    }

private:
    // The shadow's edge crosses the stack somewhere along its middle row.
    LightField LightOf(const StackPhotoRecipe& recipe) const {
        const ColumnSpan span = ColumnsOf(boards);
        const ColumnSpan shown{std::max(0, span.left), std::min(recipe.width, span.right)};
        const double middle = std::clamp((plane.firstBoardRow + plane.lastBoardRow) / 2.0, 0.0, recipe.height - 1.0);
        return LightField(recipe, shown, middle);
    }

    int Level(int x, int y, int column, int position) const {
        int surface = Surface(x, y, column, position);
        if (!wrap.None()) surface = wrap.Over(x, y, column, PlaneRow(position), surface);
        const int lit = surface * sideLight[x] / kFixedOne;
        return light.Even() ? lit : lit * light.At(x, y) / kFixedOne;
    }

    int PlaneRow(int position) const { return (position >> 8) - look.offset; }

    // The stack's own grey level at `position`, an index into the look in 1/256 row,
    // or what lies behind it.
    int Surface(int x, int y, int column, int position) const {
        const int index = position >> 8;
        if (index < 0 || index + 1 >= static_cast<int>(look.level.size())) return Behind(x, y, column, PlaneRow(position));
        const std::size_t row = static_cast<std::size_t>(index);
        if (StrapAt(column) >= 0 && row >= look.stackFrom && row < look.stackTo) return straps[column];
        // Blending the two rows the pixel straddles draws a tilted gap smoothly.
        const int fraction = position % kFixedOne;
        if (!look.onStack[row]) {
            const int behind = Behind(x, y, column, PlaneRow(position));
            if (fraction == 0 || !look.onStack[row + 1] || PastEnds(row + 1, column)) return behind;
            return (behind * (kFixedOne - fraction) + LevelAt(row + 1, x, y, column) * fraction) / kFixedOne;
        }
        if (column < look.left[row] || column >= look.right[row]) return Behind(x, y, column, PlaneRow(position));
        const int blended =
            (LevelAt(row, x, y, column) * (kFixedOne - fraction) + LevelAt(row + 1, x, y, column) * fraction) /
            kFixedOne;
        const int grain =
            look.grain[row] * streaks[(column + look.grainPhase[row]) & (kStreakLength - 1)] / kFixedOne;
        return blended + grain;
    }

    // Photos drawn before stacks had ends blend the row under a tilted stack into its
    // bottom board even past the board's ends; they still do, so that they keep their pixels.
    bool PastEnds(std::size_t row, int column) const {
        return trueEnds && (column < look.left[row] || column >= look.right[row]);
    }

    int StrapAt(int column) const { return column >= 0 && column < recipe.width ? straps[column] : -1; }

    int LevelAt(std::size_t row, int x, int y, int column) const {
        if (!look.onStack[row]) return Behind(x, y, column, static_cast<int>(row) - look.offset);
        if (!look.gapOf.empty() && look.gapOf[row] >= 0) {
            const std::vector<bool>& closed = look.closed[static_cast<std::size_t>(look.gapOf[row])];
            const bool shut = column >= 0 && static_cast<std::size_t>(column) < closed.size() && closed[column];
            return shut ? look.closedLevel[static_cast<std::size_t>(look.gapOf[row])] : look.level[row];
        }
        const int board = look.boardOf[row];
        if (board < 0 || !faces.ByPixel()) return look.level[row];
        return faces.PixelLevel(board, look.rowInBoard[row], column, look.left[row], look.right[row], look.level[row]);
    }

    // What lies behind the stack: whatever stands beside it, or the surroundings.
    int Behind(int x, int y, int column, int planeRow) const {
        if (!scenery.Empty()) {
            const int level = scenery.At(column, planeRow);
            if (level >= 0) return level;
        }
        return surroundings.At(x, y, planeRow);
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
    StackPhotoLayout plane;
    StackGeometry geometry;
    std::vector<BoardDraw> boards;
    BoardFaces faces;
    StackLook look;
    Scenery scenery;
    Surroundings surroundings;
    StretchWrap wrap;
    std::vector<int> sideLight;
    std::vector<int> streaks;
    Tint tint;
    std::vector<int> straps;
    LightField light;
    bool trueEnds;
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

StackPhotoLayout LayoutOf(const StackPhotoRecipe& recipe) {
    const StackPhotoLayout plane = PlaneLayoutOf(recipe);
    StackPhotoLayout layout = plane;
    const ColumnSpan outermost = OutermostColumns(recipe, plane, DrawBoards(recipe, plane.boardRows));
    layout.leftColumn = outermost.left;
    layout.rightColumn = outermost.right;
    const StackGeometry geometry(recipe, plane);
    if (geometry.Square()) return layout;
    const auto rows = BoardRowsInPhoto(recipe, plane);
    layout.firstBoardRow = rows.front().first;
    layout.lastBoardRow = rows.back().second;
    for (int& gap : layout.gapCentreRows) gap = static_cast<int>(std::lround(geometry.PhotoRow(gap, recipe.width / 2)));
    return layout;
}

int BoardsInPhoto(const StackPhotoRecipe& recipe) {
    const auto rows = BoardRowsInPhoto(recipe, PlaneLayoutOf(recipe));
    return static_cast<int>(std::count_if(rows.begin(), rows.end(), [&](const std::pair<int, int>& board) {
        return board.second >= 0 && board.first < recipe.height && board.first <= board.second;
    }));
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
