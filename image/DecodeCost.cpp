#include "image/DecodeCost.h"

#include "base/RegularFile.h"
#include "image/ExifOrientation.h"
#include "image/JpegStructure.h"
#include "image/LoadPhoto.h"

#include <algorithm>
#include <string>

namespace tamrex {
namespace {

constexpr std::uint64_t kBlockBytes = 64 * 2;  // 8 x 8 coefficients of two bytes
constexpr std::uint64_t kBytesPerRow = 1024;    // the profiles of a row, for the count and the second look
constexpr std::uint64_t kBandRows = 16;         // rows decoded at a time when they are handed on

std::uint64_t RoundUp(std::uint64_t value, std::uint64_t step) { return (value + step - 1) / step * step; }

// The decoder's picture: 24-bit colour, which CMYK is turned into, or 8-bit grey, each
// row padded to whole 32-bit words.
std::uint64_t PictureBytes(const JpegFrame& frame) {
    const std::uint64_t bits = frame.components.size() == 1 ? 8 : 24;
    const std::uint64_t rowBytes = RoundUp(static_cast<std::uint64_t>(frame.width) * bits, 32) / 8;
    return rowBytes * static_cast<std::uint64_t>(frame.height);
}

bool KeepsEveryCoefficient(const JpegStructure& structure) {
    return structure.frame.process == JpegProcess::kProgressive ||
           structure.scans.front().componentIds.size() < structure.frame.components.size();
}

// As libjpeg sizes its coefficient buffer: each component's blocks at its sampling,
// rounded out to whole MCUs.
std::uint64_t CoefficientBytes(const JpegFrame& frame) {
    int widest = 1, tallest = 1;
    for (const JpegComponent& component : frame.components) {
        widest = std::max(widest, component.horizontalSampling);
        tallest = std::max(tallest, component.verticalSampling);
    }
    std::uint64_t blocks = 0;
    for (const JpegComponent& component : frame.components) {
        const std::uint64_t across = RoundUp(static_cast<std::uint64_t>(frame.width) * component.horizontalSampling,
                                             8u * static_cast<std::uint64_t>(widest)) /
                                     (8u * static_cast<std::uint64_t>(widest));
        const std::uint64_t down = RoundUp(static_cast<std::uint64_t>(frame.height) * component.verticalSampling,
                                           8u * static_cast<std::uint64_t>(tallest)) /
                                   (8u * static_cast<std::uint64_t>(tallest));
        blocks += RoundUp(across, static_cast<std::uint64_t>(component.horizontalSampling)) *
                  RoundUp(down, static_cast<std::uint64_t>(component.verticalSampling));
    }
    return blocks * kBlockBytes;
}

// The count hands the rows of a colour or grey photo stored upright on as they are
// decoded, a band of them at a time, and keeps no picture; one to be turned, and a CMYK
// one, is decoded whole.
std::uint64_t PictureBytesHeld(const JpegFrame& frame, int orientation) {
    const std::size_t components = frame.components.size();
    if (orientation == kUprightAsStored && (components == 1 || components == 3))
        return kBandRows * PictureBytes(frame) / static_cast<std::uint64_t>(std::max(frame.height, 1));
    return PictureBytes(frame);
}

std::uint64_t CostOf(const JpegStructure& structure, std::uint64_t fileBytes, int orientation) {
    const JpegFrame& frame = structure.frame;
    const std::uint64_t picture = PictureBytesHeld(frame, orientation);
    const std::uint64_t pixels = static_cast<std::uint64_t>(frame.width) * static_cast<std::uint64_t>(frame.height);
    const std::uint64_t rows = kBytesPerRow * static_cast<std::uint64_t>(frame.height);
    const std::uint64_t coefficients = KeepsEveryCoefficient(structure) ? CoefficientBytes(frame) : 0;
    // The thresholded picture and the second look's strips are made while decoding.
    const std::uint64_t decoding = 2 * fileBytes + picture + coefficients + pixels / 8 + rows;
    const std::uint64_t turning = orientation == kUprightAsStored ? 0 : fileBytes + 2 * PictureBytes(frame);
    const std::uint64_t counting = picture + pixels / 4 + rows;
    return std::max({decoding, turning, counting});
}

}  // namespace

std::uint64_t DecodeCost(const std::filesystem::path& photo) {
    // The headers of camera and phone photos, thumbnails and colour profiles included,
    // lie well within this; the rest of the file is only counted by its size.
    constexpr std::size_t kHeaderBytes = std::size_t{1} << 20;
    Expected<std::string> start = ReadRegularFileStart(photo, kHeaderBytes, "photo");
    if (!start) return 0;
    Expected<JpegStructure> structure = ReadJpegStructure(*start);
    if (!structure && start->size() == kHeaderBytes) {  // a header longer than that: read it all
        start = ReadRegularFile(photo, kMostPhotoBytes, "photo");
        if (!start) return 0;
        structure = ReadJpegStructure(*start);
    }
    if (!structure) return 0;
    std::error_code error;
    const std::uint64_t fileBytes = std::filesystem::file_size(photo, error);
    const int orientation = structure->exif ? ReadExifOrientation(std::string_view(*start).substr(
                                                  structure->exif->offset, structure->exif->size))
                                            : kUprightAsStored;
    return CostOf(*structure, error ? start->size() : fileBytes, orientation);
}

}  // namespace tamrex
