#pragma once

#include "image/JpegStructure.h"

#include <string>
#include <string_view>

namespace tamrex {

// What the JPEG decoder is given instead of the file: the start marker, then in file
// order only what it needs for the pixels (quantisation and Huffman tables or
// arithmetic conditioning, restart interval, frame header, every scan with its entropy-coded data, the JFIF segment
// for the resolution and the Adobe segment for the colour transform), then an end
// marker, whether or not the file had one. EXIF, XMP, ICC, IPTC, comments, stray
// bytes and everything after the end marker stay behind, so the image library's
// metadata readers never see them.
//
// FreeImage passes on only the first warning of the decoder, so nothing that draws a
// warning before the pixels may remain: a JFIF segment of a major version other than 1
// and an Adobe segment with a colour transform libjpeg does not know for the number
// of components stay behind too (libjpeg would warn, then decode as without them),
// and the spectral and approximation fields of sequential scans, which libjpeg
// ignores but warns about unless they read 0, 63, 0, 0, are written so. The decoder's
// warnings can then only concern the entropy-coded data: "premature end of data
// segment" means the picture data ends early, even in a file whose cut was hidden
// behind an appended end marker or an earlier harmless fault.
//
// `structure` must be what ReadJpegStructure returned for `file`.
std::string BuildDecoderInput(std::string_view file, const JpegStructure& structure);

}  // namespace tamrex
