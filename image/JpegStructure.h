#pragma once

#include "base/Expected.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tamrex {

// Markers are the byte after 0xFF.
namespace jpeg_marker {
inline constexpr std::uint8_t kTem = 0x01;
inline constexpr std::uint8_t kSof0 = 0xC0;  // baseline
inline constexpr std::uint8_t kSof1 = 0xC1;  // extended sequential
inline constexpr std::uint8_t kSof2 = 0xC2;  // progressive
inline constexpr std::uint8_t kSof3 = 0xC3;  // lossless
inline constexpr std::uint8_t kDht = 0xC4;
inline constexpr std::uint8_t kSof9 = 0xC9;   // arithmetic-coded sequential
inline constexpr std::uint8_t kSof10 = 0xCA;  // arithmetic-coded progressive
inline constexpr std::uint8_t kDac = 0xCC;
inline constexpr std::uint8_t kRst0 = 0xD0;
inline constexpr std::uint8_t kRst7 = 0xD7;
inline constexpr std::uint8_t kSoi = 0xD8;
inline constexpr std::uint8_t kEoi = 0xD9;
inline constexpr std::uint8_t kSos = 0xDA;
inline constexpr std::uint8_t kDqt = 0xDB;
inline constexpr std::uint8_t kDnl = 0xDC;
inline constexpr std::uint8_t kDri = 0xDD;
inline constexpr std::uint8_t kApp0 = 0xE0;
inline constexpr std::uint8_t kApp1 = 0xE1;
inline constexpr std::uint8_t kApp14 = 0xEE;
inline constexpr std::uint8_t kApp15 = 0xEF;
inline constexpr std::uint8_t kCom = 0xFE;
}  // namespace jpeg_marker

// Phones write 10 to 30 segments; a progressive photo with its own Huffman tables per
// scan about 40; ICC profiles and extended XMP are split into 64 KB segments and
// rarely need ten. 1024 leaves ample room for real files and stops a file built of
// hundreds of thousands of tiny segments, which the image library walks for minutes,
// at once.
inline constexpr std::size_t kMostJpegSegments = 1024;

// libjpeg's default progressive script has 10 scans for colour, 6 for grey and 18 for
// CMYK; mozjpeg writes 10 to 20, Photoshop 3 to 5, a sequential file one per
// component at most. Every scan is a full pass over the picture's coefficients, so a
// file that repeats one scan thousands of times decodes for minutes; 32 passes all
// those writers with room and bounds the decode at about three default scripts.
inline constexpr std::size_t kMostJpegScans = 32;

// Only the 8-bit, non-hierarchical, lossy processes are accepted: the Huffman-coded
// ones cameras and phones write, and their arithmetic-coded forms, which libjpeg
// decodes and jpegtran writes. The others are refused when the frame is read.
enum class JpegProcess { kBaseline, kExtended, kProgressive };

struct ByteRange {
    std::size_t offset = 0;
    std::size_t size = 0;
    std::size_t end() const { return offset + size; }
};

struct JpegComponent {
    int id = 0;
    int horizontalSampling = 1;
    int verticalSampling = 1;
    int quantTable = 0;
};

struct JpegFrame {
    JpegProcess process = JpegProcess::kBaseline;  // SOF9 is extended, SOF10 progressive
    // Arithmetic-coded (SOF9, SOF10): the decoder needs the DAC segments. Its data
    // carries no sign of a cut: the decoder fills what is missing with zeros, silently.
    bool arithmetic = false;
    int width = 0;
    int height = 0;
    int precision = 8;
    std::vector<JpegComponent> components;
};

struct JpegScan {
    std::vector<int> componentIds;  // as the scan header lists them
    int spectralStart = 0;          // Ss
    int spectralEnd = 63;           // Se
    int bitHigh = 0;                // Ah: 0 on a first pass, else the bit the scan refines
    int bitLow = 0;                 // Al: the lowest bit the scan sends
    ByteRange entropyData;          // restart markers included, fill bytes before the next marker not
};

struct JpegSegment {
    std::uint8_t marker = 0;
    ByteRange bytes;  // from its 0xFF through its payload; a scan's also holds its entropy-coded data
};

// Bytes between segments that are no marker. libjpeg steps over them with the warning
// "extraneous bytes before marker"; the walker does the same and keeps count.
struct StrayBytes {
    std::size_t count = 0;
    std::size_t runs = 0;
    std::size_t firstOffset = 0;
};

// Where the file stops.
enum class JpegEnd {
    kEndMarker,        // at an EOI marker; anything after it is trailingBytes
    kInsideScanData,   // in the last scan's entropy-coded data, without EOI: complete or cut,
                       // which only decoding can tell
    kBetweenSegments,  // after a whole segment, without EOI
};

// A coefficient that the scans leave unfinished.
struct CoefficientGap {
    int componentId = 0;
    int coefficient = 0;     // 0 is the DC coefficient, 1 to 63 the AC ones in zigzag order
    int lowestBitSent = -1;  // -1 when no scan sent any bit of it
};

struct JpegStructure {
    JpegFrame frame;
    std::vector<JpegScan> scans;
    std::vector<JpegSegment> segments;  // in file order; SOI and EOI are not listed
    std::optional<ByteRange> exif;      // the first APP1 "Exif\0\0" payload, from "Exif" on
    JpegEnd end = JpegEnd::kEndMarker;
    std::size_t trailingBytes = 0;      // after EOI: phones put preview pictures there
    StrayBytes stray;
    // The first coefficient (by component, then zigzag order) that the scans do not
    // send down to its last bit. A progressive file cut exactly between two scans
    // decodes without a single warning, blurred where the missing scans belonged:
    // this is the only way to see it. A sequential file lacks one only when a
    // component has no scan. Whether a scan's entropy-coded data is whole is not
    // known here: the decoder's warnings tell that.
    std::optional<CoefficientGap> unsentCoefficient;
};

// Walks the marker segments of a JPEG file once, checking every length against the
// bytes there are, and never reads past them. Refuses, with the reason in words, a
// file that is no JPEG, one cut inside a segment, one a decoder cannot or should not
// be given (processes other than 8-bit Huffman, frames of no pixels, bad scan
// headers, scans that do not continue where the ones before stopped), and files with
// more segments or scans than any real photo has. The entropy-coded data is not
// decoded: whether it is whole and right is for the decoder to find.
Expected<JpegStructure> ReadJpegStructure(std::string_view bytes);

// "its scans never send coefficient 5 of component 2" style, for a message.
std::string DescribeCoefficientGap(const CoefficientGap& gap);

// "3 stray bytes were skipped (the first at byte 20)" for a warning, or "".
std::string StrayBytesNote(const JpegStructure& structure);

}  // namespace tamrex
