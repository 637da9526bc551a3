#pragma once

#include "base/Expected.h"
#include "calibration/PhotoIdentity.h"
#include "counting/CountResult.h"
#include "window/PhotoPyramid.h"

#include <optional>

namespace tamrex {

// The photo of a count read again for its review, in two steps that both run off the
// window's thread: for a big photo, a shrunk copy that opens the review at once; then the
// whole photo, exactly as the count saw it, which sharpens it.

// The photo's size and, for a photo of more than some 20 megapixels, a copy of it shrunk
// while it is decoded (Empty() for a smaller one, read whole at once). Fails when the photo
// cannot be read, or is no longer the photo counted: of another size, or, when `counted`
// says what its content was, of another content.
Expected<PhotoPyramid> ReadReviewPreview(const CountResult& count, const std::optional<PhotoIdentity>& counted);

// The whole photo as the count decoded it, with its shrunk copies for zooming out.
Expected<PhotoPyramid> ReadReviewPhoto(const CountResult& count);

}  // namespace tamrex
