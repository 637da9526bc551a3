#pragma once

#include "base/Expected.h"
#include "counting/CountResult.h"
#include "image/Bitmap.h"

#include <filesystem>
#include <string>
#include <vector>

namespace tamrex {

// The overlay of a count (the photo with its lines drawn and numbered) with a white
// band under it holding `lines`, in type sized to the photo; a line too long for the
// width goes on over as many rows as it needs. Null when memory runs out.
BitmapHandle DrawEvidence(FIBITMAP* overlay, const std::vector<std::string>& lines);

// Reads the counted photo again, draws its lines and the caption, and writes it to
// `target` as PNG or JPEG, by the extension. The failure names the target.
Outcome WriteEvidencePicture(const CountResult& result, const std::vector<std::string>& lines,
                             const std::filesystem::path& target);

}  // namespace tamrex
