#include "record/EvidencePicture.h"

#include "base/OutputTarget.h"
#include "base/Quoted.h"
#include "image/PictureFile.h"
#include "overlay/LineOverlay.h"
#include "overlay/PixelFont.h"

#include <algorithm>

namespace tamrex {
namespace {

constexpr int kCharactersAcross = 100;  // the type is sized so that this many fit the width
constexpr Rgb kPaper{255, 255, 255};
constexpr Rgb kInk{0, 0, 0};

// The font draws printable ASCII only: each other character (a UTF-8 sequence in a
// name, say) shows as one '?', so that the caption keeps its length and a reader
// sees that something stood there.
std::string Printable(const std::string& text) {
    std::string shown;
    for (const char character : text) {
        const auto byte = static_cast<unsigned char>(character);
        if (byte >= 0x20 && byte < 0x7F) {
            shown += character;
        } else if (byte < 0x80 || byte >= 0xC0) {
            shown += '?';  // a character of its own, or the first byte of a UTF-8 sequence
        }
    }
    return shown;
}

std::vector<std::string> Wrapped(const std::vector<std::string>& lines, std::size_t across) {
    std::vector<std::string> rows;
    for (const std::string& line : lines) {
        const std::string shown = Printable(line);
        if (shown.empty()) rows.emplace_back();
        for (std::size_t start = 0; start < shown.size(); start += across) rows.push_back(shown.substr(start, across));
    }
    return rows;
}

}  // namespace

BitmapHandle DrawEvidence(FIBITMAP* overlay, const std::vector<std::string>& lines) {
    const int width = static_cast<int>(FreeImage_GetWidth(overlay));
    const int height = static_cast<int>(FreeImage_GetHeight(overlay));
    const int scale = std::max(1, width / (kCharactersAcross * 6));
    const int margin = 4 * scale;
    const int across = std::max(1, (width - 2 * margin + scale) / (6 * scale));
    const std::vector<std::string> rows = Wrapped(lines, static_cast<std::size_t>(across));
    const int rowHeight = TextHeight(scale) + 4 * scale;
    const int band = 2 * margin + static_cast<int>(rows.size()) * rowHeight;

    BitmapHandle evidence(FreeImage_Allocate(width, height + band, 24));
    if (!evidence) return evidence;
    FillBox(evidence.get(), {0, 0, width, band}, kPaper);
    if (!FreeImage_Paste(evidence.get(), overlay, 0, 0, 256)) return nullptr;
    int top = band - margin - 1;  // bottom-up row of the first text row's top
    for (const std::string& row : rows) {
        DrawText(evidence.get(), row, margin, top, scale, kInk);
        top -= rowHeight;
    }
    return evidence;
}

Outcome WriteEvidencePicture(const CountResult& result, const std::vector<std::string>& lines,
                             const std::filesystem::path& target) {
    if (Outcome name = CheckPictureName(target); !name) return Fail("cannot write evidence " + name.error().message);
    if (SameFile(target, result.photo))
        return Fail("cannot write evidence " + Quoted(target) + ": it is the photo being counted: name another file");
    const Expected<BitmapHandle> overlay = ReloadWithLines(result);
    if (!overlay) return tl::unexpected(overlay.error());
    const BitmapHandle evidence = DrawEvidence(overlay->get(), lines);
    if (!evidence) return Fail("not enough memory to draw the evidence of " + Quoted(result.photo));
    if (Outcome saved = SavePictureReplacing(evidence.get(), target); !saved)
        return Fail("cannot write evidence " + Quoted(target) + ": " + saved.error().message);
    return {};
}

}  // namespace tamrex
