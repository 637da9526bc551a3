#pragma once

#include "base/Expected.h"
#include "image/Bitmap.h"
#include "overlay/Canvas.h"
#include "counting/CountResult.h"

#include <filesystem>

namespace tamrex {

// The colour the lines of a pass are drawn in, for passes 1 to 4 (4: the synthetic
// lines of the thickness split). Bright hues that colour-blind eyes tell apart too.
Rgb PassColour(int pass);

// The photo in 24-bit colour with every line of a count painted across the strip's
// columns on the photo rows its strip rows stand for, in the colour of the pass that
// found it; numbered from the bottom at the left end, with the count and the pass
// colours in the top-right corner. Null when the result is not a count of a photo
// this size, or memory runs out. The photo itself is left as it is.
BitmapHandle DrawLineOverlay(FIBITMAP* photo, const CountResult& result);

// Reads the counted photo again and draws the lines of its count over it. The photo
// is not kept from the run: most counts are never looked at this way.
Expected<BitmapHandle> ReloadWithLines(const CountResult& result);

// The same, written to `target` as JPEG or PNG, by the extension.
Outcome WriteLineOverlay(const CountResult& result, const std::filesystem::path& target);

}  // namespace tamrex
