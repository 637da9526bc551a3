#include "image/DecoderInput.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace tamrex {
namespace {

using namespace jpeg_marker;

constexpr std::size_t kMarkerAndLength = 4;
constexpr std::string_view kStart{"\xFF\xD8", 2};
constexpr std::string_view kEnd{"\xFF\xD9", 2};
// What a sequential scan's Ss, Se and Ah/Al, the last three bytes of its header, read:
// 0, 63 (the last coefficient), 0.
constexpr std::string_view kSequentialFields{"\0\x3F\0", 3};
// What libjpeg needs to see to take a segment for JFIF or Adobe, and where it reads.
constexpr std::string_view kJfif{"JFIF\0", 5};
constexpr std::size_t kJfifLength = 14;
constexpr std::size_t kJfifMajorVersion = 5;
constexpr std::string_view kAdobe{"Adobe", 5};
constexpr std::size_t kAdobeLength = 12;
constexpr std::size_t kAdobeTransform = 11;

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

std::size_t ScanHeaderEnd(std::string_view scan) {
    return 2 + (static_cast<std::size_t>(static_cast<std::uint8_t>(scan[2])) << 8 |
                static_cast<std::uint8_t>(scan[3]));
}

}  // namespace

std::size_t DecoderInput::Read(std::size_t offset, char* target, std::size_t count) const {
    if (offset >= size_) return 0;
    count = std::min(count, size_ - offset);
    // The last piece that starts at or before the offset holds it.
    std::size_t piece = static_cast<std::size_t>(std::upper_bound(starts_.begin(), starts_.end(), offset) -
                                                 starts_.begin()) - 1;
    std::size_t within = offset - starts_[piece];
    for (std::size_t copied = 0; copied < count; ++piece, within = 0) {
        const std::size_t part = std::min(count - copied, pieces_[piece].size() - within);
        std::memcpy(target + copied, pieces_[piece].data() + within, part);
        copied += part;
    }
    return count;
}

std::string DecoderInput::Copy() const {
    std::string bytes(size_, '\0');
    Read(0, bytes.data(), size_);
    return bytes;
}

// Bytes that follow the last piece in memory extend it, so an intact file is a few
// pieces however many segments it has.
void DecoderInput::Append(std::string_view bytes) {
    if (bytes.empty()) return;
    if (!pieces_.empty() && pieces_.back().data() + pieces_.back().size() == bytes.data()) {
        pieces_.back() = std::string_view(pieces_.back().data(), pieces_.back().size() + bytes.size());
    } else {
        pieces_.push_back(bytes);
        starts_.push_back(size_);
    }
    size_ += bytes.size();
}

DecoderInput BuildDecoderInput(std::string_view file, const JpegStructure& structure) {
    const bool sequential = structure.frame.process != JpegProcess::kProgressive;
    const std::size_t components = structure.frame.components.size();
    DecoderInput input;
    input.components_ = components;
    input.Append(kStart);
    for (const JpegSegment& segment : structure.segments) {
        if (!NeededByDecoder(file, segment, components)) continue;
        const std::string_view bytes = file.substr(segment.bytes.offset, segment.bytes.size);
        if (sequential && segment.marker == kSos) {
            const std::size_t fields = ScanHeaderEnd(bytes) - kSequentialFields.size();
            input.Append(bytes.substr(0, fields));
            input.Append(kSequentialFields);
            input.Append(bytes.substr(fields + kSequentialFields.size()));
        } else {
            input.Append(bytes);
        }
    }
    input.Append(kEnd);
    return input;
}

}  // namespace tamrex
