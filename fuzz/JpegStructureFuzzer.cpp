// Any bytes at all, as a photo file: the segment walker must refuse them or describe
// them within their bounds, the stream built for the decoder must be a clean JPEG
// that walks again to the same picture and rebuilds to itself, the photo loader's own
// decode of a small picture must be the image library's decode of the same stream, its
// rows handed on as they are decoded must be that picture's, and
// the EXIF reader must give an orientation of 1 to 8, both for the payload the walker
// found and for the raw bytes.
#include "fuzz/FuzzCheck.h"
#include "image/DecodeJpeg.h"
#include "image/DecoderInput.h"
#include "image/ExifOrientation.h"
#include "image/ImageLibrary.h"
#include "image/JpegStructure.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace tamrex::fuzz {
namespace {

using namespace jpeg_marker;

void CheckRange(std::string_view bytes, ByteRange range, const std::string& what) {
    Require(range.offset <= bytes.size() && range.size <= bytes.size() - range.offset, what + " lies outside the file");
}

void CheckSegments(std::string_view bytes, const JpegStructure& structure) {
    Require(structure.segments.size() <= kMostJpegSegments, "more segments than the limit");
    std::size_t previousEnd = 2;
    for (const JpegSegment& segment : structure.segments) {
        CheckRange(bytes, segment.bytes, "a segment");
        Require(segment.bytes.offset >= previousEnd, "segments overlap or start inside the start marker");
        Require(static_cast<std::uint8_t>(bytes[segment.bytes.offset]) == 0xFF &&
                    static_cast<std::uint8_t>(bytes[segment.bytes.offset + 1]) == segment.marker,
                "a segment does not start at its marker");
        previousEnd = segment.bytes.end();
    }
}

void CheckPicture(std::string_view bytes, const JpegStructure& structure) {
    const JpegFrame& frame = structure.frame;
    const std::size_t components = frame.components.size();
    Require(frame.width > 0 && frame.height > 0 && frame.precision == 8, "an accepted frame has no pixels or 12 bits");
    Require(components == 1 || components == 3 || components == 4, "an accepted frame has odd components");
    Require(!structure.scans.empty() && structure.scans.size() <= kMostJpegScans, "scans outside 1 to the limit");
    for (const JpegScan& scan : structure.scans) CheckRange(bytes, scan.entropyData, "entropy-coded data");
    if (structure.exif) {
        CheckRange(bytes, *structure.exif, "the EXIF payload");
        Require(bytes.substr(structure.exif->offset, 6) == std::string_view("Exif\0\0", 6), "EXIF without its header");
    }
    Require(structure.end == JpegEnd::kEndMarker || structure.trailingBytes == 0, "trailing bytes without an end");
    Require(structure.trailingBytes + 4 <= bytes.size(), "more trailing bytes than the file holds");
    if (const std::optional<CoefficientGap> gap = structure.unsentCoefficient) {
        Require(gap->coefficient >= 0 && gap->coefficient < 64 && gap->lowestBitSent >= -1 && gap->lowestBitSent <= 13,
                "a gap outside the coefficients");
    }
}

bool OnlyWhatTheDecoderNeeds(const JpegStructure& structure) {
    for (const JpegSegment& segment : structure.segments) {
        switch (segment.marker) {
            case kSof0:
            case kSof1:
            case kSof2:
            case kSof9:
            case kSof10:
            case kDqt:
            case kDht:
            case kDac:
            case kDri:
            case kSos:
            case kApp0:
            case kApp14: break;
            default: return false;
        }
    }
    return true;
}

bool SameScans(const JpegStructure& a, const JpegStructure& b) {
    if (a.scans.size() != b.scans.size()) return false;
    const bool progressive = a.frame.process == JpegProcess::kProgressive;
    for (std::size_t i = 0; i < a.scans.size(); ++i) {
        const JpegScan& x = a.scans[i];
        const JpegScan& y = b.scans[i];
        if (x.componentIds != y.componentIds) return false;
        // Sequential scans' spectral fields are written as 0, 63, 0, 0 for the decoder.
        if (progressive && (x.spectralStart != y.spectralStart || x.spectralEnd != y.spectralEnd ||
                            x.bitHigh != y.bitHigh || x.bitLow != y.bitLow)) {
            return false;
        }
        if (x.entropyData.size != y.entropyData.size) return false;
    }
    return true;
}

void CheckDecoderInput(std::string_view bytes, const JpegStructure& structure) {
    const std::string input = BuildDecoderInput(bytes, structure).Copy();
    const bool startToEnd = input.size() >= 4 && input.compare(0, 2, "\xFF\xD8") == 0 &&
                            input.compare(input.size() - 2, 2, "\xFF\xD9") == 0;
    Require(startToEnd, "the decoder input does not run from SOI to EOI");
    Require(input.size() <= bytes.size() + 2, "the decoder input is longer than the file and an end marker");
    const Expected<JpegStructure> again = ReadJpegStructure(input);
    Require(bool(again), "the decoder input is refused: " + (again ? std::string() : again.error().message));
    Require(again->stray.count == 0 && again->end == JpegEnd::kEndMarker && again->trailingBytes == 0 && !again->exif,
            "the decoder input keeps stray bytes, EXIF or a trailer, or lacks its end marker");
    Require(OnlyWhatTheDecoderNeeds(*again), "the decoder input keeps a segment the decoder does not need");
    Require(again->frame.width == structure.frame.width && again->frame.height == structure.frame.height &&
                again->frame.process == structure.frame.process &&
                again->frame.arithmetic == structure.frame.arithmetic &&
                again->frame.components.size() == structure.frame.components.size(),
            "the decoder input describes another frame");
    Require(SameScans(structure, *again), "the decoder input has other scans");
    Require(again->unsentCoefficient.has_value() == structure.unsentCoefficient.has_value(),
            "the decoder input is complete where the file is not, or the other way round");
    Require(BuildDecoderInput(input, *again).Copy() == input, "building the decoder input again changes it");
}

// Pictures of at most this many pixels are decoded, so that a run stays quick.
constexpr std::uint64_t kMostDecodedPixels = std::uint64_t{1} << 16;

BitmapHandle DecodedByTheLibrary(const std::string& stream) {
    EnsureImageLibrary();
    FIMEMORY* memory = FreeImage_OpenMemory(reinterpret_cast<BYTE*>(const_cast<char*>(stream.data())),
                                            static_cast<DWORD>(stream.size()));
    BitmapHandle bitmap(FreeImage_LoadFromMemory(FIF_JPEG, memory, JPEG_DEFAULT));
    FreeImage_CloseMemory(memory);
    TakeLibraryMessages();
    return bitmap;
}

bool SamePicture(FIBITMAP* expected, FIBITMAP* actual) {
    if (FreeImage_GetWidth(expected) != FreeImage_GetWidth(actual) ||
        FreeImage_GetHeight(expected) != FreeImage_GetHeight(actual) ||
        FreeImage_GetBPP(expected) != FreeImage_GetBPP(actual)) {
        return false;
    }
    for (unsigned y = 0; y < FreeImage_GetHeight(expected); ++y) {
        if (std::memcmp(FreeImage_GetScanLine(expected, static_cast<int>(y)),
                        FreeImage_GetScanLine(actual, static_cast<int>(y)), FreeImage_GetLine(expected)) != 0) {
            return false;
        }
    }
    return true;
}

// Each row as the decoder hands it on, kept to be compared with the decoded picture.
class RowCopies : public DecodedRows {
public:
    bool Start(const PictureShape& shape) override {
        rowBytes_ = static_cast<std::size_t>(shape.width) * static_cast<std::size_t>(shape.bytesPerPixel);
        rows_.assign(static_cast<std::size_t>(shape.height), std::string());
        return true;
    }
    void Row(int scanline, const BYTE* pixels) override {
        Require(scanline >= 0 && static_cast<std::size_t>(scanline) < rows_.size(), "a row handed on outside the picture");
        rows_[static_cast<std::size_t>(scanline)].assign(reinterpret_cast<const char*>(pixels), rowBytes_);
    }
    // Whether every row was handed on, and as the picture holds it.
    bool Match(FIBITMAP* picture) const {
        for (std::size_t y = 0; y < rows_.size(); ++y) {
            const BYTE* line = FreeImage_GetScanLine(picture, static_cast<int>(y));
            if (rows_[y].size() != rowBytes_ || std::memcmp(rows_[y].data(), line, rowBytes_) != 0) return false;
        }
        return rows_.size() == FreeImage_GetHeight(picture);
    }

private:
    std::size_t rowBytes_ = 0;
    std::vector<std::string> rows_;
};

// The count takes a colour or grey photo's rows as they are decoded, a band at a time,
// and keeps no picture: they must be the picture's rows, every one of them, and a stream
// the decoder refuses must be refused alike.
void CheckRowsHandedOn(const DecoderInput& input, const Expected<BitmapHandle>& whole) {
    RowCopies copies;
    std::string warning;
    const Expected<BitmapHandle> handedOn = DecodeJpeg(input, warning, &copies);
    Require(handedOn.has_value() == whole.has_value(), "handing the rows on decides otherwise whether the stream decodes");
    if (!whole || input.Components() == 4) return;  // CMYK goes through the library, whole
    Require(*handedOn == nullptr, "a picture is kept although its rows were handed on");
    Require(copies.Match(whole->get()), "the rows handed on are not the decoded picture's");
}

// The loader decodes colour and grey photos with libjpeg itself: whatever it decodes
// must be the very picture the image library decodes from the same stream.
void CheckDecode(std::string_view bytes, const JpegStructure& structure) {
    const JpegFrame& frame = structure.frame;
    if (static_cast<std::uint64_t>(frame.width) * static_cast<std::uint64_t>(frame.height) > kMostDecodedPixels) return;
    const DecoderInput input = BuildDecoderInput(bytes, structure);
    std::string warning;
    const Expected<BitmapHandle> ours = DecodeJpeg(input, warning);
    CheckRowsHandedOn(input, ours);
    if (!ours) return;
    const BitmapHandle library = DecodedByTheLibrary(input.Copy());
    Require(library != nullptr, "the library refuses a stream the loader decodes");
    Require(SamePicture(library.get(), ours->get()), "the loader decodes another picture than the library");
}

void CheckOrientation(std::string_view payload) {
    const int orientation = ReadExifOrientation(payload);
    Require(orientation >= 1 && orientation <= 8, "orientation " + std::to_string(orientation));
}

void CheckOneInput(std::string_view bytes) {
    CheckOrientation(bytes);
    const Expected<JpegStructure> structure = ReadJpegStructure(bytes);
    if (!structure) {
        Require(!structure.error().message.empty(), "a refusal without a reason");
        return;
    }
    CheckSegments(bytes, *structure);
    CheckPicture(bytes, *structure);
    if (structure->exif) CheckOrientation(bytes.substr(structure->exif->offset, structure->exif->size));
    CheckDecoderInput(bytes, *structure);
    CheckDecode(bytes, *structure);
}

}  // namespace
}  // namespace tamrex::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tamrex::fuzz::CheckOneInput(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
