#include "overlay/PixelFont.h"

#include <array>

namespace tamrex {
namespace {

constexpr int kColumns = 5;
constexpr int kRows = 7;

struct Glyph {
    char character;
    std::array<const char*, kRows> rows;  // top row first; '#' is ink
};

constexpr Glyph kGlyphs[] = {
    {'0', {".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###."}},
    {'1', {"..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###."}},
    {'2', {".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"}},
    {'3', {"#####", "...#.", "..#..", "...#.", "....#", "#...#", ".###."}},
    {'4', {"...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."}},
    {'5', {"#####", "#....", "####.", "....#", "....#", "#...#", ".###."}},
    {'6', {"..##.", ".#...", "#....", "####.", "#...#", "#...#", ".###."}},
    {'7', {"#####", "....#", "...#.", "..#..", ".#...", ".#...", ".#..."}},
    {'8', {".###.", "#...#", "#...#", ".###.", "#...#", "#...#", ".###."}},
    {'9', {".###.", "#...#", "#...#", ".####", "....#", "...#.", ".##.."}},
    {'A', {".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
    {'C', {".###.", "#...#", "#....", "#....", "#....", "#...#", ".###."}},
    {'D', {"####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."}},
    {'E', {"#####", "#....", "#....", "####.", "#....", "#....", "#####"}},
    {'N', {"#...#", "#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#"}},
    {'O', {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {'P', {"####.", "#...#", "#...#", "####.", "#....", "#....", "#...."}},
    {'S', {".####", "#....", "#....", ".###.", "....#", "....#", "####."}},
    {'T', {"#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."}},
    {'U', {"#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
};

const Glyph* GlyphOf(char character) {
    for (const Glyph& glyph : kGlyphs) {
        if (glyph.character == character) return &glyph;
    }
    return nullptr;
}

void DrawGlyph(FIBITMAP* picture, const Glyph& glyph, int left, int top, int scale, Rgb colour) {
    for (int row = 0; row < kRows; ++row) {
        for (int column = 0; column < kColumns; ++column) {
            if (glyph.rows[row][column] != '#') continue;
            FillBox(picture, {left + column * scale, top - (row + 1) * scale + 1, scale, scale}, colour);
        }
    }
}

}  // namespace

int TextWidth(std::string_view text, int scale) {
    if (text.empty()) return 0;
    return static_cast<int>(text.size()) * (kColumns + 1) * scale - scale;
}

int TextHeight(int scale) { return kRows * scale; }

void DrawText(FIBITMAP* picture, std::string_view text, int left, int top, int scale, Rgb colour) {
    for (char character : text) {
        if (const Glyph* glyph = GlyphOf(character)) DrawGlyph(picture, *glyph, left, top, scale, colour);
        left += (kColumns + 1) * scale;
    }
}

}  // namespace tamrex
