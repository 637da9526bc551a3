#include "image/JpegStructure.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>

namespace tamrex {
namespace {

using namespace jpeg_marker;

constexpr std::uint8_t kFill = 0xFF;
constexpr std::string_view kExifHeader{"Exif\0\0", 6};
// libjpeg stops with an error on a successive-approximation bit above this.
constexpr int kHighestApproximationBit = 13;
constexpr int kCoefficients = 64;

std::string AtByte(std::size_t offset) { return "at byte " + std::to_string(offset); }

bool IsRestart(std::uint8_t marker) { return marker >= kRst0 && marker <= kRst7; }

// SOF0 to SOF15, less the three markers that share their range.
bool IsFrame(std::uint8_t marker) {
    return marker >= kSof0 && marker <= kSof0 + 15 && marker != kDht && marker != kDac && marker != kSof0 + 8;
}

// Segments that carry a length and that a decoder either reads or steps over.
bool IsKnownSegment(std::uint8_t marker) {
    return marker == kDht || marker == kDac || marker == kDqt || marker == kDnl || marker == kDri ||
           (marker >= kApp0 && marker <= kApp15) || marker == kCom;
}

std::string SegmentName(std::uint8_t marker) {
    if (IsFrame(marker)) return "SOF" + std::to_string(marker - kSof0);
    if (marker >= kApp0 && marker <= kApp15) return "APP" + std::to_string(marker - kApp0);
    switch (marker) {
        case kDht: return "DHT";
        case kDac: return "DAC";
        case kSos: return "SOS";
        case kDqt: return "DQT";
        case kDnl: return "DNL";
        case kDri: return "DRI";
        case kCom: return "COM";
        default: break;
    }
    char name[16];
    std::snprintf(name, sizeof name, "FF %02X", marker);
    return name;
}

bool IsArithmetic(std::uint8_t marker) { return marker == kSof9 || marker == kSof10; }

// Why a frame of this kind is not decoded, or "" for the processes that are.
std::string ProcessProblem(std::uint8_t marker) {
    if (marker <= kSof2 || IsArithmetic(marker)) return {};
    const int kind = marker - kSof0;
    const std::string instead = ", which cameras and phones do not write; save it again as an ordinary JPEG";
    if (kind == 3 || kind == 11) return "it is a lossless JPEG" + instead;
    return "it is a hierarchical JPEG" + instead;
}

JpegProcess ProcessOf(std::uint8_t marker) {
    if (marker == kSof0) return JpegProcess::kBaseline;
    return marker == kSof1 || marker == kSof9 ? JpegProcess::kExtended : JpegProcess::kProgressive;
}

// libjpeg's own limits on a progressive scan; it stops with an error past them.
bool ValidProgression(const JpegScan& scan) {
    const bool dc = scan.spectralStart == 0;
    if (dc && scan.spectralEnd != 0) return false;
    if (!dc && (scan.spectralStart > scan.spectralEnd || scan.spectralEnd > 63 || scan.componentIds.size() != 1)) {
        return false;
    }
    if (scan.bitHigh != 0 && scan.bitLow != scan.bitHigh - 1) return false;
    return scan.bitLow <= kHighestApproximationBit;
}

std::size_t IndexOf(const std::vector<JpegComponent>& components, int id) {
    const auto found = std::find_if(components.begin(), components.end(),
                                    [id](const JpegComponent& component) { return component.id == id; });
    return static_cast<std::size_t>(found - components.begin());
}

// What the scans so far have sent: for each component and coefficient the lowest bit,
// -1 for none, as libjpeg keeps it.
class CoefficientProgress {
public:
    void Start(std::size_t components) { lowest_.assign(components, Unsent()); }
    // A sequential scan sends its components whole, whatever its header says.
    void AddSequential(std::size_t component) { lowest_[component].fill(0); }
    bool AddProgressive(std::size_t component, const JpegScan& scan);
    std::optional<CoefficientGap> FirstGap(const std::vector<JpegComponent>& components) const;

private:
    using Bits = std::array<int, kCoefficients>;
    static Bits Unsent() {
        Bits bits;
        bits.fill(-1);
        return bits;
    }
    std::vector<Bits> lowest_;
};

// Records the scan if it continues where the scans of its coefficients stopped: a
// first pass on coefficients not sent yet, after the DC coefficient for AC ones, or
// the refinement of the next bit. libjpeg decodes any other scan with a warning that
// would hide a later one (only the first reaches us), and no encoder writes one.
bool CoefficientProgress::AddProgressive(std::size_t component, const JpegScan& scan) {
    Bits& bits = lowest_[component];
    if (scan.spectralStart > 0 && bits[0] < 0) return false;
    const int expected = scan.bitHigh == 0 ? -1 : scan.bitHigh;
    const auto first = bits.begin() + scan.spectralStart;
    const auto last = bits.begin() + scan.spectralEnd + 1;
    if (std::any_of(first, last, [expected](int bit) { return bit != expected; })) return false;
    std::fill(first, last, scan.bitLow);
    return true;
}

std::optional<CoefficientGap> CoefficientProgress::FirstGap(const std::vector<JpegComponent>& components) const {
    for (std::size_t c = 0; c < lowest_.size(); ++c) {
        const auto unfinished = std::find_if(lowest_[c].begin(), lowest_[c].end(), [](int bit) { return bit != 0; });
        if (unfinished != lowest_[c].end()) {
            return CoefficientGap{components[c].id, static_cast<int>(unfinished - lowest_[c].begin()), *unfinished};
        }
    }
    return std::nullopt;
}

class JpegWalker {
public:
    explicit JpegWalker(std::string_view bytes) : bytes_(bytes) {}
    Expected<JpegStructure> Walk();

private:
    std::uint8_t At(std::size_t offset) const { return static_cast<std::uint8_t>(bytes_[offset]); }
    int Word(std::size_t offset) const { return At(offset) << 8 | At(offset + 1); }
    std::size_t Find(std::uint8_t byte, std::size_t from) const;
    std::optional<std::uint8_t> NextMarker();
    void NoteStray(std::size_t offset, std::size_t count);
    Outcome ReadSegment(std::uint8_t marker);
    Expected<ByteRange> ReadPayload(std::uint8_t marker);
    Outcome ReadFrame(std::uint8_t marker, ByteRange payload);
    Outcome CheckFrame() const;
    Outcome ReadScan(ByteRange payload);
    Expected<JpegScan> ReadScanHeader(ByteRange payload) const;
    Outcome CheckScan(const JpegScan& scan) const;
    Outcome RecordProgress(const JpegScan& scan);
    bool ReadEntropyData(ByteRange& data);
    void NoteExif(std::uint8_t marker, ByteRange payload);
    Expected<JpegStructure> Finish();
    std::string Where() const { return AtByte(markerOffset_); }

    std::string_view bytes_;
    std::size_t position_ = 0;
    std::size_t markerOffset_ = 0;
    bool strayInGap_ = false;
    bool sawFrame_ = false;
    CoefficientProgress progress_;
    JpegStructure structure_;
};

Expected<JpegStructure> JpegWalker::Walk() {
    if (bytes_.empty()) return Fail("not a JPEG file: the file is empty (0 bytes); copy the photo again");
    if (bytes_.size() < 2 || At(0) != kFill || At(1) != kSoi) {
        return Fail("not a JPEG file: it does not start with the JPEG start marker FF D8");
    }
    position_ = 2;
    structure_.end = JpegEnd::kBetweenSegments;
    while (const std::optional<std::uint8_t> marker = NextMarker()) {
        if (*marker == kEoi) {
            structure_.end = JpegEnd::kEndMarker;
            structure_.trailingBytes = bytes_.size() - position_;
            break;
        }
        if (structure_.segments.size() == kMostJpegSegments) {
            return Fail("it has more than " + std::to_string(kMostJpegSegments) +
                        " marker segments, far more than any camera or phone writes, as if made to stall the "
                        "decoder; if it is a real photo, save it again with an image editor");
        }
        if (Outcome read = ReadSegment(*marker); !read) return tl::unexpected(read.error());
        if (structure_.end == JpegEnd::kInsideScanData) break;
    }
    return Finish();
}

std::size_t JpegWalker::Find(std::uint8_t byte, std::size_t from) const {
    if (from >= bytes_.size()) return bytes_.size();
    const void* found = std::memchr(bytes_.data() + from, byte, bytes_.size() - from);
    return found ? static_cast<std::size_t>(static_cast<const char*>(found) - bytes_.data()) : bytes_.size();
}

// As libjpeg does: skips anything up to the next 0xFF, any fill bytes 0xFF, and a
// 0xFF 0x00 pair, which is data and no marker.
std::optional<std::uint8_t> JpegWalker::NextMarker() {
    strayInGap_ = false;
    while (position_ < bytes_.size()) {
        const std::size_t fill = Find(kFill, position_);
        if (fill > position_) NoteStray(position_, fill - position_);
        std::size_t after = fill;
        while (after < bytes_.size() && At(after) == kFill) ++after;
        if (after >= bytes_.size()) break;
        position_ = after + 1;
        if (At(after) != 0) {
            markerOffset_ = after - 1;
            return At(after);
        }
        NoteStray(after, 1);
    }
    position_ = bytes_.size();
    return std::nullopt;
}

void JpegWalker::NoteStray(std::size_t offset, std::size_t count) {
    if (structure_.stray.count == 0) structure_.stray.firstOffset = offset;
    if (!strayInGap_) ++structure_.stray.runs;
    strayInGap_ = true;
    structure_.stray.count += count;
}

Outcome JpegWalker::ReadSegment(std::uint8_t marker) {
    if (marker == kTem || IsRestart(marker)) {  // no length; libjpeg passes over them
        structure_.segments.push_back({marker, {markerOffset_, 2}});
        return {};
    }
    if (marker == kSoi) return Fail("it has a second start marker (FF D8) " + Where() + ": the file is damaged");
    if (!IsFrame(marker) && !IsKnownSegment(marker) && marker != kSos) {
        return Fail("it holds a marker the decoder does not know (" + SegmentName(marker) + ") " + Where() +
                    ": the file is damaged or not a photo");
    }
    const Expected<ByteRange> payload = ReadPayload(marker);
    if (!payload) return tl::unexpected(payload.error());
    if (marker == kSos) return ReadScan(*payload);
    structure_.segments.push_back({marker, {markerOffset_, payload->end() - markerOffset_}});
    if (IsFrame(marker)) return ReadFrame(marker, *payload);
    NoteExif(marker, *payload);
    return {};
}

Expected<ByteRange> JpegWalker::ReadPayload(std::uint8_t marker) {
    const std::string cut = "the file is cut short: it ends inside its " + SegmentName(marker) + " segment " +
                            Where() + "; copy the photo again from where it came from";
    if (bytes_.size() - position_ < 2) return Fail(cut);
    const std::size_t length = static_cast<std::size_t>(Word(position_));
    if (length < 2) {
        return Fail("its " + SegmentName(marker) + " segment " + Where() + " gives its length as " +
                    std::to_string(length) + ", less than the length field itself: the file is damaged");
    }
    if (bytes_.size() - position_ < length) return Fail(cut);
    const ByteRange payload{position_ + 2, length - 2};
    position_ += length;
    return payload;
}

Outcome JpegWalker::ReadFrame(std::uint8_t marker, ByteRange payload) {
    if (const std::string problem = ProcessProblem(marker); !problem.empty()) return Fail(problem);
    if (sawFrame_) return Fail("it has a second frame header " + Where() + ": the file is damaged");
    const std::size_t count = payload.size >= 6 ? At(payload.offset + 5) : 0;
    if (payload.size < 6 || payload.size != 6 + 3 * count) {
        return Fail("its frame header " + Where() + " has the wrong length: the file is damaged");
    }
    JpegFrame& frame = structure_.frame;
    frame.process = ProcessOf(marker);
    frame.arithmetic = IsArithmetic(marker);
    frame.precision = At(payload.offset);
    frame.height = Word(payload.offset + 1);
    frame.width = Word(payload.offset + 3);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = payload.offset + 6 + 3 * i;
        frame.components.push_back({At(at), At(at + 1) >> 4, At(at + 1) & 0x0F, At(at + 2)});
    }
    progress_.Start(count);
    sawFrame_ = true;
    return CheckFrame();
}

Outcome JpegWalker::CheckFrame() const {
    const JpegFrame& frame = structure_.frame;
    if (frame.precision != 8) {
        return Fail("it has " + std::to_string(frame.precision) +
                    "-bit samples; only 8-bit JPEG photos, which cameras and phones write, are read");
    }
    if (frame.width == 0 || frame.height == 0) {
        return Fail("its frame header says it is " + std::to_string(frame.width) + " x " +
                    std::to_string(frame.height) + " pixels, a picture of no pixels: the file is damaged");
    }
    const std::size_t count = frame.components.size();
    if (count != 1 && count != 3 && count != 4) {
        return Fail("it has " + std::to_string(count) +
                    " colour components; only grey (1), colour (3) and CMYK (4) photos are read");
    }
    for (std::size_t i = 0; i < count; ++i) {
        const JpegComponent& component = frame.components[i];
        const bool sampling = component.horizontalSampling >= 1 && component.horizontalSampling <= 4 &&
                              component.verticalSampling >= 1 && component.verticalSampling <= 4;
        const bool unique = std::none_of(frame.components.begin(), frame.components.begin() + static_cast<long>(i),
                                         [&](const JpegComponent& other) { return other.id == component.id; });
        if (!sampling || component.quantTable > 3 || !unique) {
            return Fail("its frame header " + Where() + " describes component " + std::to_string(component.id) +
                        " in a way no decoder accepts: the file is damaged");
        }
    }
    return {};
}

Outcome JpegWalker::ReadScan(ByteRange payload) {
    if (!sawFrame_) return Fail("it has a scan " + Where() + " before its frame header: the file is damaged");
    if (structure_.scans.size() == kMostJpegScans) {
        return Fail("it has more than " + std::to_string(kMostJpegScans) +
                    " scans, more than any camera, phone or image editor writes, and would take very long to "
                    "decode; if it is a real photo, save it again with an image editor");
    }
    Expected<JpegScan> scan = ReadScanHeader(payload);
    if (!scan) return tl::unexpected(scan.error());
    if (Outcome valid = CheckScan(*scan); !valid) return valid;
    if (Outcome continues = RecordProgress(*scan); !continues) return continues;
    const std::size_t start = markerOffset_;
    if (ReadEntropyData(scan->entropyData)) structure_.end = JpegEnd::kInsideScanData;
    structure_.segments.push_back({kSos, {start, scan->entropyData.end() - start}});
    structure_.scans.push_back(std::move(*scan));
    return {};
}

Expected<JpegScan> JpegWalker::ReadScanHeader(ByteRange payload) const {
    const std::size_t count = payload.size >= 1 ? At(payload.offset) : 0;
    if (count < 1 || count > 4 || payload.size != 4 + 2 * count) {
        return Fail("its scan header " + Where() + " has the wrong length: the file is damaged");
    }
    JpegScan scan;
    for (std::size_t i = 0; i < count; ++i) scan.componentIds.push_back(At(payload.offset + 1 + 2 * i));
    const std::size_t rest = payload.offset + 1 + 2 * count;
    scan.spectralStart = At(rest);
    scan.spectralEnd = At(rest + 1);
    scan.bitHigh = At(rest + 2) >> 4;
    scan.bitLow = At(rest + 2) & 0x0F;
    return scan;
}

Outcome JpegWalker::CheckScan(const JpegScan& scan) const {
    const std::vector<JpegComponent>& components = structure_.frame.components;
    for (std::size_t i = 0; i < scan.componentIds.size(); ++i) {
        const int id = scan.componentIds[i];
        const bool inFrame = IndexOf(components, id) < components.size();
        const bool repeated = std::count(scan.componentIds.begin(), scan.componentIds.begin() + static_cast<long>(i),
                                         id) > 0;
        if (!inFrame || repeated) {
            return Fail("its scan " + Where() + " names component " + std::to_string(id) +
                        (repeated ? " twice" : ", which the frame does not have") + ": the file is damaged");
        }
    }
    if (structure_.frame.process == JpegProcess::kProgressive && !ValidProgression(scan)) {
        return Fail("its scan " + Where() + " asks for a progression the decoder refuses (coefficients " +
                    std::to_string(scan.spectralStart) + " to " + std::to_string(scan.spectralEnd) + ", bits " +
                    std::to_string(scan.bitHigh) + " to " + std::to_string(scan.bitLow) +
                    "): the file is damaged");
    }
    return {};
}

Outcome JpegWalker::RecordProgress(const JpegScan& scan) {
    for (const int id : scan.componentIds) {
        const std::size_t component = IndexOf(structure_.frame.components, id);
        if (structure_.frame.process != JpegProcess::kProgressive) {
            progress_.AddSequential(component);
        } else if (!progress_.AddProgressive(component, scan)) {
            return Fail("its scan " + Where() + " sends coefficients " + std::to_string(scan.spectralStart) + " to " +
                        std::to_string(scan.spectralEnd) + " of component " + std::to_string(id) +
                        " out of order, which no encoder does: the file is damaged");
        }
    }
    return {};
}

// Entropy-coded data runs up to the first marker other than a restart marker; 0xFF
// 0x00 is a data byte. Returns whether the file ended first.
bool JpegWalker::ReadEntropyData(ByteRange& data) {
    data.offset = position_;
    std::size_t from = position_;
    for (;;) {
        const std::size_t fill = Find(kFill, from);
        std::size_t after = fill + 1;
        while (after < bytes_.size() && At(after) == kFill) ++after;
        if (after >= bytes_.size()) {  // fill bytes at the very end belong to no data
            data.size = fill - data.offset;
            position_ = bytes_.size();
            return true;
        }
        if (At(after) == 0 || IsRestart(At(after))) {
            from = after + 1;
            continue;
        }
        data.size = fill - data.offset;
        position_ = fill;
        return false;
    }
}

void JpegWalker::NoteExif(std::uint8_t marker, ByteRange payload) {
    if (marker != kApp1 || structure_.exif || payload.size < kExifHeader.size()) return;
    if (bytes_.substr(payload.offset, kExifHeader.size()) == kExifHeader) structure_.exif = payload;
}

Expected<JpegStructure> JpegWalker::Finish() {
    if (!sawFrame_) {
        return Fail("it has no frame header (SOF marker), so it holds no picture: the file is damaged or not a photo");
    }
    if (structure_.scans.empty()) {
        return Fail("it has a frame header but no scan (SOS marker), so it holds no picture data: the file is "
                    "damaged or cut short");
    }
    structure_.unsentCoefficient = progress_.FirstGap(structure_.frame.components);
    return std::move(structure_);
}

}  // namespace

Expected<JpegStructure> ReadJpegStructure(std::string_view bytes) { return JpegWalker(bytes).Walk(); }

std::string StrayBytesNote(const JpegStructure& structure) {
    const StrayBytes& stray = structure.stray;
    if (stray.count == 0) return {};
    return std::to_string(stray.count) + (stray.count == 1 ? " stray byte" : " stray bytes") +
           " between its segments " + (stray.count == 1 ? "was" : "were") + " skipped (the first at byte " +
           std::to_string(stray.firstOffset) + ")";
}

std::string DescribeCoefficientGap(const CoefficientGap& gap) {
    const std::string what =
        "coefficient " + std::to_string(gap.coefficient) + " of component " + std::to_string(gap.componentId);
    if (gap.lowestBitSent < 0) return "its scans never send " + what;
    return "its scans send " + what + " only down to bit " + std::to_string(gap.lowestBitSent);
}

}  // namespace tamrex
