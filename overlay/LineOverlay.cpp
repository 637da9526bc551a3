#include "overlay/LineOverlay.h"

#include "base/OutputTarget.h"
#include "base/Quoted.h"
#include "image/LoadPhoto.h"
#include "image/PictureFile.h"
#include "overlay/Dashes.h"
#include "overlay/PixelFont.h"

#include <algorithm>
#include <array>
#include <climits>
#include <vector>

namespace tamrex {
namespace {

constexpr int kStripLeft = 4;            // the strip leaves out the photo's four leftmost columns
constexpr int kRowsPerLabelScale = 288;  // a 576-row photo gets labels two font pixels a dot
constexpr int kMostLanes = 8;

constexpr std::array<Rgb, 4> kPassColours = {{
    {86, 180, 233},   // sky blue
    {230, 159, 0},    // orange
    {204, 121, 167},  // reddish purple
    {240, 228, 66},   // yellow
}};
constexpr Rgb kInk{0, 0, 0};
constexpr Rgb kSecondLook{255, 255, 255};  // white: the second look's seams, apart from every pass
constexpr Rgb kPanel{24, 24, 24};
constexpr Rgb kPanelText{255, 255, 255};

struct DrawnLine {
    LineRun rows;
    int pass;  // 1..4
};

std::vector<DrawnLine> LinesBottomUp(const CountResult& result) {
    std::vector<DrawnLine> lines;
    for (int pass = 1; pass <= 4; ++pass) {
        for (const LineRun& run : result.lineRuns[pass - 1]) lines.push_back({run, pass});
    }
    std::stable_sort(lines.begin(), lines.end(), [](const DrawnLine& a, const DrawnLine& b) {
        return a.rows.firstRow < b.rows.firstRow;
    });
    return lines;
}

bool FitsPhoto(FIBITMAP* photo, const CountResult& result) {
    const int width = static_cast<int>(FreeImage_GetWidth(photo));
    const int height = static_cast<int>(FreeImage_GetHeight(photo));
    return width == result.stripWidth + kStripLeft && result.bandOffset >= 0 &&
           result.bandOffset + result.stripHeight <= height;
}

void PaintLines(FIBITMAP* canvas, const CountResult& result, const std::vector<DrawnLine>& lines) {
    for (const DrawnLine& line : lines) {
        const Box rows{kStripLeft, result.bandOffset + line.rows.firstRow, result.stripWidth,
                       line.rows.lastRow - line.rows.firstRow + 1};
        FillBox(canvas, rows, PassColour(line.pass));
    }
}

int MiddleRow(const DrawnLine& line) { return (line.rows.firstRow + line.rows.lastRow) / 2; }

// Labels of lines closer together than a label is tall go side by side, in lanes.
int LanesFor(const std::vector<DrawnLine>& lines, int labelHeight, int mostLanes) {
    int closest = INT_MAX;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        closest = std::min(closest, MiddleRow(lines[i]) - MiddleRow(lines[i - 1]));
    }
    if (closest >= labelHeight) return 1;
    const int needed = (labelHeight + std::max(closest, 1) - 1) / std::max(closest, 1);
    return std::clamp(needed, 1, std::max(mostLanes, 1));
}

void PaintLabels(FIBITMAP* canvas, const CountResult& result, const std::vector<DrawnLine>& lines,
                 int scale) {
    const int labelHeight = TextHeight(scale) + 2 * scale;
    const int laneWidth = TextWidth(std::to_string(lines.size()), scale) + 3 * scale;
    const int lanes =
        LanesFor(lines, labelHeight + scale, std::min(kMostLanes, result.stripWidth / 3 / laneWidth));
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string number = std::to_string(i + 1);
        const int lane = static_cast<int>(i) % lanes;
        const Box label{kStripLeft + scale + lane * laneWidth,
                        result.bandOffset + MiddleRow(lines[i]) - labelHeight / 2,
                        TextWidth(number, scale) + 2 * scale, labelHeight};
        FillBox(canvas, label, PassColour(lines[i].pass));
        DrawText(canvas, number, label.left + scale, label.top() - 1 - scale, scale, kInk);
    }
}

// "COUNT 21" above a legend "PASS 1 2 3 4" whose digits sit on their pass colours.
// The second look's seams, dashed in the colour of no pass.
void PaintSecondLook(FIBITMAP* canvas, const CountResult& result, int scale) {
    if (!result.secondLook) return;
    for (const std::vector<SeamPoint>& seam : result.secondLook->seams) DrawDashes(canvas, seam, kSecondLook, scale);
}

// "SECOND 24" under the count panel, with a dash in the seams' colour.
void PaintSecondCountPanel(FIBITMAP* canvas, const CountResult& result, int scale, const Box& countPanel) {
    if (!result.secondLook) return;
    const int pad = 2 * scale;
    const std::string text = "SECOND " + std::to_string(result.secondLook->boards);
    const int dash = TextWidth("00", scale);
    const int width = TextWidth(text, scale) + dash + 3 * pad;
    const int height = TextHeight(scale) + 2 * pad;
    const Box panel{countPanel.right() - width, countPanel.bottom - scale - height, width, height};
    FillBox(canvas, panel, kPanel);
    DrawText(canvas, text, panel.left + pad, panel.top() - 1 - pad, scale, kPanelText);
    FillBox(canvas, {panel.right() - pad - dash, panel.bottom + height / 2 - scale / 2, dash, std::max(1, scale)},
            kSecondLook);
}

Box PaintCountPanel(FIBITMAP* canvas, const CountResult& result, int scale) {
    const int bigScale = scale + 1;
    const int pad = 2 * scale;
    const std::string countText = "COUNT " + std::to_string(result.count());
    const int swatchWidth = TextWidth("0", scale) + 2 * scale;
    const int swatchHeight = TextHeight(scale) + 2 * scale;
    const int legendWidth = TextWidth("PASS", scale) + 4 * (scale + swatchWidth);
    const int width = std::max(TextWidth(countText, bigScale), legendWidth) + 2 * pad;
    const int height = pad + TextHeight(bigScale) + pad + swatchHeight + pad;
    const Box panel{static_cast<int>(FreeImage_GetWidth(canvas)) - scale - width,
                    static_cast<int>(FreeImage_GetHeight(canvas)) - scale - height, width, height};
    FillBox(canvas, panel, kPanel);

    const int left = panel.left + pad;
    DrawText(canvas, countText, left, panel.top() - 1 - pad, bigScale, kPanelText);
    const int legendTop = panel.bottom + pad + swatchHeight - 1;
    DrawText(canvas, "PASS", left, legendTop - scale, scale, kPanelText);
    int swatchLeft = left + TextWidth("PASS", scale) + scale;
    for (int pass = 1; pass <= 4; ++pass) {
        FillBox(canvas, {swatchLeft, panel.bottom + pad, swatchWidth, swatchHeight}, PassColour(pass));
        DrawText(canvas, std::to_string(pass), swatchLeft + scale, legendTop - scale, scale, kInk);
        swatchLeft += swatchWidth + scale;
    }
    return panel;
}

}  // namespace

Rgb PassColour(int pass) { return kPassColours.at(static_cast<std::size_t>(pass - 1)); }

BitmapHandle DrawLineOverlay(FIBITMAP* photo, const CountResult& result) {
    if (!FitsPhoto(photo, result)) return nullptr;
    BitmapHandle canvas(FreeImage_ConvertTo24Bits(photo));
    if (!canvas) return canvas;
    const int scale = std::max(1, static_cast<int>(FreeImage_GetHeight(photo)) / kRowsPerLabelScale);
    const std::vector<DrawnLine> lines = LinesBottomUp(result);
    // Under the lines of the count: where both agree the pass colour shows.
    PaintSecondLook(canvas.get(), result, scale);
    PaintLines(canvas.get(), result, lines);
    PaintLabels(canvas.get(), result, lines, scale);
    PaintSecondCountPanel(canvas.get(), result, scale, PaintCountPanel(canvas.get(), result, scale));
    return canvas;
}

Expected<BitmapHandle> ReloadWithLines(const CountResult& result) {
    const std::filesystem::path photo(result.photo);
    const Expected<LoadedPhoto> loaded = LoadJpeg(photo);
    if (!loaded) return Fail("cannot read photo " + Quoted(photo) + " again to draw its lines: " + loaded.error().message);
    if (!FitsPhoto(loaded->bitmap.get(), result))
        return Fail("photo " + Quoted(photo) + " is no longer the size it was counted at: count it again");
    BitmapHandle overlay = DrawLineOverlay(loaded->bitmap.get(), result);
    if (!overlay) return Fail("not enough memory to draw the lines over " + Quoted(photo));
    return overlay;
}

Outcome WriteLineOverlay(const CountResult& result, const std::filesystem::path& target) {
    if (Outcome name = CheckPictureName(target); !name) return Fail("cannot write overlay " + name.error().message);
    if (SameFile(target, result.photo))
        return Fail("cannot write overlay " + Quoted(target) + ": it is the photo being counted: name another file");
    const Expected<BitmapHandle> overlay = ReloadWithLines(result);
    if (!overlay) return tl::unexpected(overlay.error());
    if (Outcome saved = SavePictureReplacing(overlay->get(), target); !saved)
        return Fail("cannot write overlay " + Quoted(target) + ": " + saved.error().message);
    return {};
}

}  // namespace tamrex
