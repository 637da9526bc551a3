#pragma once

#include <cstdint>
#include <filesystem>

namespace tamrex {

// The memory a count of this photo takes at its peak, from its structure alone, so
// that a batch can keep the photos in flight within a budget before decoding any. The
// largest of: decoding (the file, the stream the decoder gets, the picture or, for a
// colour or grey photo stored upright, the band of rows decoded at a time, the
// thresholded picture and the second look's strips and, when the first scan does not
// carry every component, as in progressive files and in sequential ones with a scan per
// component, every coefficient of the picture, which libjpeg then keeps); turning a
// photo stored sideways upright (the file and two pictures); and counting (the picture
// if kept, its thresholded copy, the strips and the profiles of its rows). 0 when the
// photo cannot be read; its count will say why.
std::uint64_t DecodeCost(const std::filesystem::path& photo);

}  // namespace tamrex
