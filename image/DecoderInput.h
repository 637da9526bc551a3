#pragma once

#include "image/JpegStructure.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

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
// The stream is not copied out of the file: it is read piece by piece from the file's
// own bytes, with the few bytes written anew in between, so a photo is in memory once.
class DecoderInput {
public:
    std::size_t Size() const { return size_; }

    // Copies at most `count` bytes of the stream from `offset` on to `target`; returns
    // how many, fewer only at the end of the stream.
    std::size_t Read(std::size_t offset, char* target, std::size_t count) const;

    // The whole stream in one string.
    std::string Copy() const;

    // The stream as it is kept: views into the file and into constants, in order.
    const std::vector<std::string_view>& Pieces() const { return pieces_; }

    // The colour components of the frame: 1 (grey), 3 (colour) or 4 (CMYK).
    std::size_t Components() const { return components_; }

private:
    friend DecoderInput BuildDecoderInput(std::string_view file, const JpegStructure& structure);
    void Append(std::string_view bytes);

    std::vector<std::string_view> pieces_;
    std::vector<std::size_t> starts_;  // where each piece begins in the stream
    std::size_t size_ = 0;
    std::size_t components_ = 0;
};

// `structure` must be what ReadJpegStructure returned for `file`, and `file` must outlive
// the input.
DecoderInput BuildDecoderInput(std::string_view file, const JpegStructure& structure);

}  // namespace tamrex
