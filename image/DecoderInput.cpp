#include "image/DecoderInput.h"

namespace tamrex {
namespace {

using namespace jpeg_marker;

constexpr std::size_t kMarkerAndLength = 4;
// What libjpeg needs to see to take a segment for JFIF or Adobe, and where it reads.
constexpr std::string_view kJfif{"JFIF\0", 5};
constexpr std::size_t kJfifLength = 14;
constexpr std::size_t kJfifMajorVersion = 5;
constexpr std::string_view kAdobe{"Adobe", 5};
constexpr std::size_t kAdobeLength = 12;
constexpr std::size_t kAdobeTransform = 11;
constexpr char kLastCoefficient = 63;

std::string_view Payload(std::string_view file, const JpegSegment& segment) {
    return file.substr(segment.bytes.offset + kMarkerAndLength, segment.bytes.size - kMarkerAndLength);
}

bool UsableJfif(std::string_view payload) {
    return payload.size() >= kJfifLength && payload.substr(0, kJfif.size()) == kJfif &&
           payload[kJfifMajorVersion] == 1;
}

// libjpeg reads 3 components as RGB (0) or YCbCr (1), 4 as CMYK (0) or YCCK (2); grey
// photos need no transform.
bool UsableAdobe(std::string_view payload, std::size_t components) {
    if (payload.size() < kAdobeLength || payload.substr(0, kAdobe.size()) != kAdobe) return false;
    const char transform = payload[kAdobeTransform];
    if (components == 3) return transform == 0 || transform == 1;
    return components == 4 && (transform == 0 || transform == 2);
}

bool NeededByDecoder(std::string_view file, const JpegSegment& segment, std::size_t components) {
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
        case kSos: return true;
        case kApp0: return UsableJfif(Payload(file, segment));
        case kApp14: return UsableAdobe(Payload(file, segment), components);
        default: return false;
    }
}

// Ss, Se and Ah/Al are the last three bytes of a scan header.
void WriteSequentialFields(std::string& input, std::size_t scanStart) {
    const std::size_t length = static_cast<std::uint8_t>(input[scanStart + 2]) << 8 |
                               static_cast<std::uint8_t>(input[scanStart + 3]);
    const std::size_t headerEnd = scanStart + 2 + length;
    input[headerEnd - 3] = 0;
    input[headerEnd - 2] = kLastCoefficient;
    input[headerEnd - 1] = 0;
}

}  // namespace

std::string BuildDecoderInput(std::string_view file, const JpegStructure& structure) {
    const bool sequential = structure.frame.process != JpegProcess::kProgressive;
    const std::size_t components = structure.frame.components.size();
    std::string input;
    input.reserve(file.size() + 2);
    input += "\xFF\xD8";
    for (const JpegSegment& segment : structure.segments) {
        if (!NeededByDecoder(file, segment, components)) continue;
        const std::size_t start = input.size();
        input.append(file.substr(segment.bytes.offset, segment.bytes.size));
        if (sequential && segment.marker == kSos) WriteSequentialFields(input, start);
    }
    input += "\xFF\xD9";
    return input;
}

}  // namespace tamrex
