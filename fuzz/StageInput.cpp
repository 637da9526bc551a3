#include "fuzz/StageInput.h"

#include "fuzz/FuzzCheck.h"
#include "fuzz/PixelBits.h"

namespace tamrex::fuzz {
namespace {

constexpr int kMaxWidth = 300;
constexpr int kMaxHeight = 700;
constexpr std::size_t kHeaderBytes = 9;

unsigned Word(const std::uint8_t* data, std::size_t size, std::size_t at) {
    const unsigned low = at < size ? data[at] : 0u;
    const unsigned high = at + 1 < size ? data[at + 1] : 0u;
    return low | high << 8;
}

// Deterministic noise, so that a saved crash input replays exactly. The state is
// never 0, which xorshift could not leave.
class Noise {
public:
    explicit Noise(std::uint32_t seed) : state_(seed * 2654435761u | 1u) {}
    unsigned Next63() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_ % 63;
    }

private:
    std::uint32_t state_;
};

bool IsDarkAt(std::uint8_t kind, int x, int width, Noise& noise) {
    const unsigned n = kind & 63u;
    switch (kind >> 6) {
        case 0: return false;
        case 1: return true;
        case 2: return static_cast<unsigned>(x) * 63u < n * static_cast<unsigned>(width);
        default: return noise.Next63() < n;
    }
}

}  // namespace

StageInput ReadStageInput(const std::uint8_t* data, std::size_t size) {
    StageInput input;
    input.throughBand = size > 0 && (data[0] & 1u);
    input.width = 1 + static_cast<int>(Word(data, size, 1) % kMaxWidth);
    input.height = 1 + static_cast<int>(Word(data, size, 3) % kMaxHeight);
    input.bdLine = static_cast<std::int16_t>(Word(data, size, 5));
    input.pWidth = static_cast<std::int16_t>(Word(data, size, 7));
    if (size > kHeaderBytes) input.rowKinds.assign(data + kHeaderBytes, data + size);
    if (input.rowKinds.empty()) input.rowKinds.push_back(0);
    return input;
}

BitmapHandle DrawPicture(const StageInput& input, bool lightPadding) {
    BitmapHandle picture(FreeImage_Allocate(input.width, input.height, 1));
    Require(picture != nullptr, "cannot allocate the picture");
    RGBQUAD* palette = FreeImage_GetPalette(picture.get());
    palette[0] = RGBQUAD{0, 0, 0, 0};
    palette[1] = RGBQUAD{255, 255, 255, 0};
    for (int y = 0; y < input.height; ++y) {
        const std::uint8_t kind = input.rowKinds[static_cast<std::size_t>(y) % input.rowKinds.size()];
        Noise noise(static_cast<std::uint32_t>(y) << 8 | kind);
        std::uint8_t* row = Row(picture.get(), y);
        for (int x = 0; x < input.width; ++x) SetLight(row, x, !IsDarkAt(kind, x, input.width, noise));
    }
    SetPadding(picture.get(), lightPadding);
    return picture;
}

}  // namespace tamrex::fuzz
