#pragma once

#include "base/Expected.h"
#include "image/Bitmap.h"
#include "image/DecoderInput.h"

#include <optional>
#include <string>
#include <utility>

namespace tamrex {

// A decoded photo as it will be, known before any of its rows are.
struct PictureShape {
    int width = 0, height = 0;
    int bytesPerPixel = 3;  // 3: blue, green, red in FreeImage's order; 1: grey
    // Dots per metre across and down, when the file gives its resolution.
    std::optional<std::pair<unsigned, unsigned>> dotsPerMetre;
};

// Gives `picture` the photo's resolution, when its file gives one.
void SetResolution(FIBITMAP* picture, const PictureShape& shape);

// Told of a photo's rows as they are decoded, from the top of the picture down, while
// they are still in the processor's caches: work that reads every pixel once costs far
// less there than in a pass of its own over the whole photo afterwards. A photo whose
// rows were handed on is not kept: the decoder never writes the whole picture to memory.
class DecodedRows {
public:
    virtual ~DecodedRows() = default;
    // False if no rows are wanted; the decoder then keeps the whole picture instead.
    virtual bool Start(const PictureShape& shape) = 0;
    // Scanline `scanline`, counted bottom-up as FreeImage counts them, has just been
    // decoded into `pixels`, laid out as a scanline of the photo.
    virtual void Row(int scanline, const BYTE* pixels) = 0;
};

// Decodes the stream into 24-bit colour or 8-bit grey exactly as the image library's
// JPEG loader does, with libjpeg reading the stream straight from its pieces and writing
// the colours in the library's order, so that no pass over the photo follows; CMYK
// photos go through the library itself. Fails when the decoder cannot read the stream or
// stops before the picture is whole; puts what else the decoder warned of in `warning`.
// `rows`, if given, hears of the rows as they are decoded (not for CMYK photos); when
// it takes them the bitmap given back is null.
Expected<BitmapHandle> DecodeJpeg(const DecoderInput& input, std::string& warning, DecodedRows* rows = nullptr);

}  // namespace tamrex
