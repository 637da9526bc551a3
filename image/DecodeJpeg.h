#pragma once

#include "base/Expected.h"
#include "image/Bitmap.h"
#include "image/DecoderInput.h"

#include <string>

namespace tamrex {

// Decodes the stream with the image library's JPEG decoder, which reads it straight from
// its pieces. Fails when the decoder cannot read it or stops before the picture is whole;
// puts what else the decoder warned of in `warning`.
Expected<BitmapHandle> DecodeJpeg(const DecoderInput& input, std::string& warning);

}  // namespace tamrex
