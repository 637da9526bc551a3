#include "image/LoadPhoto.h"

#include "base/RegularFile.h"
#include "base/StageMark.h"
#include "image/DecodeJpeg.h"
#include "image/DecoderInput.h"
#include "image/ExifOrientation.h"
#include "image/JpegStructure.h"
#include "image/TurnUpright.h"

#include <cstdio>

namespace tamrex {
namespace {

std::string Megapixels(std::uint64_t pixels) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", static_cast<double>(pixels) / 1e6);
    return text;
}

Outcome CheckSize(const JpegFrame& frame, std::uint64_t pixelLimit) {
    const std::uint64_t width = static_cast<std::uint64_t>(frame.width);
    const std::uint64_t height = static_cast<std::uint64_t>(frame.height);
    if (width * height <= pixelLimit) return {};
    return Fail("it is " + std::to_string(width) + " x " + std::to_string(height) + " pixels (" +
                Megapixels(width * height) + " megapixels), more than the limit of " + Megapixels(pixelLimit) +
                " megapixels; scale the photo down, or raise the limit if it really is that big");
}

void AddWarning(std::string& warnings, const std::string& warning) {
    if (warning.empty()) return;
    if (!warnings.empty()) warnings += "; ";
    warnings += warning;
}

// What was wrong with the file's structure that did not stop it from being read.
std::string StructureWarnings(const JpegStructure& structure) {
    std::string warnings = StrayBytesNote(structure);
    if (structure.end == JpegEnd::kInsideScanData)
        AddWarning(warnings, "the file lacks its end marker, but its picture data is complete");
    return warnings;
}

int OrientationOf(std::string_view file, const JpegStructure& structure) {
    if (!structure.exif) return kUprightAsStored;
    return ReadExifOrientation(file.substr(structure.exif->offset, structure.exif->size));
}

Expected<LoadedPhoto> Upright(LoadedPhoto loaded) {
    if (loaded.orientation == kUprightAsStored) return loaded;
    BitmapHandle turned = TurnUpright(loaded.bitmap.get(), loaded.orientation);
    if (!turned) return Fail("not enough memory to turn it upright");
    loaded.bitmap = std::move(turned);
    return loaded;
}

Expected<LoadedPhoto> LoadFromBytes(const std::string& file, std::uint64_t pixelLimit, DecodedRows* rows) {
    const Expected<JpegStructure> structure = ReadJpegStructure(file);
    if (!structure) return tl::unexpected(structure.error());
    if (Outcome size = CheckSize(structure->frame, pixelLimit); !size) return tl::unexpected(size.error());
    if (structure->unsentCoefficient)
        return Fail("the file is damaged: its picture data ends early (" +
                    DescribeCoefficientGap(*structure->unsentCoefficient) + ")");
    if (structure->frame.arithmetic && structure->end == JpegEnd::kInsideScanData)
        return Fail("the file ends inside its picture data without an end marker, and its arithmetic coding "
                    "hides whether it was cut: copy the photo again from where it came from");
    LoadedPhoto loaded;
    loaded.orientation = OrientationOf(file, *structure);
    StageDone("structure walk");
    const DecoderInput input = BuildDecoderInput(file, *structure);
    StageDone("decoder input");
    std::string decoderWarning;
    // Rows as decoded are the photo's rows only when it needs no turning.
    Expected<BitmapHandle> bitmap =
        DecodeJpeg(input, decoderWarning, loaded.orientation == kUprightAsStored ? rows : nullptr);
    if (!bitmap) return tl::unexpected(bitmap.error());
    StageDone("decode");
    loaded.bitmap = std::move(*bitmap);
    loaded.warning = StructureWarnings(*structure);
    AddWarning(loaded.warning, decoderWarning);
    Expected<LoadedPhoto> upright = Upright(std::move(loaded));
    StageDone("orientation");
    return upright;
}

}  // namespace

Expected<LoadedPhoto> LoadJpeg(const std::filesystem::path& photo, std::uint64_t pixelLimit, DecodedRows* rows) {
    const Expected<std::string> file = ReadRegularFile(photo, kMostPhotoBytes, "photo");
    if (!file) return tl::unexpected(file.error());
    StageDone("read file");
    return LoadFromBytes(*file, pixelLimit, rows);
}

}  // namespace tamrex
