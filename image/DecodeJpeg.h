#pragma once

#include "base/Expected.h"
#include "image/Bitmap.h"
#include "image/DecoderInput.h"

#include <string>

namespace tamrex {

// Told of a photo's rows as they are decoded, from the top of the picture down, while
// they are still in the processor's caches: work that reads every pixel once costs far
// less there than in a pass of its own over the whole photo afterwards.
class DecodedRows {
public:
    virtual ~DecodedRows() = default;
    // The photo is allocated but holds no rows yet; false if no rows are wanted.
    virtual bool Start(FIBITMAP* photo) = 0;
    // Scanlines [first, end) of the photo, counted bottom-up as FreeImage counts them,
    // have just been decoded.
    virtual void Rows(FIBITMAP* photo, int first, int end) = 0;
};

// Decodes the stream into 24-bit colour or 8-bit grey exactly as the image library's
// JPEG loader does, with libjpeg reading the stream straight from its pieces and writing
// the colours in the library's order, so that no pass over the photo follows; CMYK
// photos go through the library itself. Fails when the decoder cannot read the stream or
// stops before the picture is whole; puts what else the decoder warned of in `warning`.
// `rows`, if given, hears of the rows as they are decoded (not for CMYK photos).
Expected<BitmapHandle> DecodeJpeg(const DecoderInput& input, std::string& warning, DecodedRows* rows = nullptr);

}  // namespace tamrex
