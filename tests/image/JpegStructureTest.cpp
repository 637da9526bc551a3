// The segment walker on JPEG files assembled segment by segment: what it reads from
// real structures, how it steps over what libjpeg steps over, and every refusal.
#include "image/JpegStructure.h"
#include "tests/fixtures/JpegSegments.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tamrex {
namespace {

using namespace jpeg_marker;

using testing::Marker;
using testing::Segment;
using testing::Word;

struct FrameRecipe {
    std::uint8_t marker = kSof0;
    int width = 640;
    int height = 480;
    int components = 3;
    int precision = 8;
    int sampling = 0x11;
    int quantTable = 0;
};

std::string Frame(const FrameRecipe& recipe) {
    std::string payload = static_cast<char>(recipe.precision) + Word(recipe.height) + Word(recipe.width) +
                          static_cast<char>(recipe.components);
    for (int id = 1; id <= recipe.components; ++id) {
        payload += {static_cast<char>(id), static_cast<char>(recipe.sampling), static_cast<char>(recipe.quantTable)};
    }
    return Segment(recipe.marker, payload);
}

std::string Scan(const std::vector<int>& ids, int ss = 0, int se = 63, int ah = 0, int al = 0) {
    std::string payload(1, static_cast<char>(ids.size()));
    for (const int id : ids) payload += {static_cast<char>(id), '\0'};
    return Segment(kSos, payload + static_cast<char>(ss) + static_cast<char>(se) + static_cast<char>(ah << 4 | al));
}

const std::string kSoiBytes = Marker(kSoi);
const std::string kEoiBytes = Marker(kEoi);
const std::string kTables = Segment(kDqt, std::string(65, '\x01')) + Segment(kDht, std::string(17, '\0'));
// A stuffed 0xFF and a restart marker, neither of which ends a scan.
const std::string kData{"\x12\x34\xFF\x00\x56\xFF\xD0\x78", 8};

std::string Baseline(const FrameRecipe& frame = {}) {
    return kSoiBytes + kTables + Frame(frame) + Scan({1, 2, 3}) + kData + kEoiBytes;
}

std::vector<std::uint8_t> Markers(const JpegStructure& structure) {
    std::vector<std::uint8_t> markers;
    for (const JpegSegment& segment : structure.segments) markers.push_back(segment.marker);
    return markers;
}

JpegStructure Read(const std::string& bytes) {
    Expected<JpegStructure> structure = ReadJpegStructure(bytes);
    EXPECT_TRUE(structure) << structure.error().message;
    return structure ? std::move(*structure) : JpegStructure{};
}

void ExpectRefused(const std::string& bytes, const std::string& reason) {
    const Expected<JpegStructure> structure = ReadJpegStructure(bytes);
    ASSERT_FALSE(structure) << "accepted; expected a refusal for: " << reason;
    EXPECT_NE(structure.error().message.find(reason), std::string::npos) << structure.error().message;
}

TEST(JpegStructure, ReadsTheFrameTheScanAndWhereEachSegmentLies) {
    const std::string file = Baseline({.width = 1234, .height = 567, .sampling = 0x21});
    const JpegStructure structure = Read(file);
    EXPECT_EQ(structure.frame.process, JpegProcess::kBaseline);
    EXPECT_EQ(structure.frame.width, 1234);
    EXPECT_EQ(structure.frame.height, 567);
    ASSERT_EQ(structure.frame.components.size(), 3u);
    EXPECT_EQ(structure.frame.components[2].id, 3);
    EXPECT_EQ(structure.frame.components[2].horizontalSampling, 2);
    EXPECT_EQ(structure.frame.components[2].verticalSampling, 1);
    ASSERT_EQ(structure.scans.size(), 1u);
    EXPECT_EQ(structure.scans[0].componentIds, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(file.substr(structure.scans[0].entropyData.offset, structure.scans[0].entropyData.size), kData);
    EXPECT_EQ(Markers(structure), (std::vector<std::uint8_t>{kDqt, kDht, kSof0, kSos}));
    const JpegSegment& scan = structure.segments.back();
    EXPECT_EQ(file.substr(scan.bytes.offset, scan.bytes.size), Scan({1, 2, 3}) + kData);
    EXPECT_EQ(structure.segments[0].bytes.offset, 2u);
    EXPECT_EQ(structure.end, JpegEnd::kEndMarker);
    EXPECT_EQ(structure.trailingBytes, 0u);
    EXPECT_EQ(structure.stray.count, 0u);
    EXPECT_FALSE(structure.exif);
}

TEST(JpegStructure, NamesTheProcessOfEachAcceptedFrame) {
    EXPECT_EQ(Read(Baseline({.marker = kSof1})).frame.process, JpegProcess::kExtended);
    const JpegStructure progressive =
        Read(kSoiBytes + kTables + Frame({.marker = kSof2}) + Scan({1, 2, 3}, 0, 0, 0, 1) + kData + Segment(kDht, "x") +
             Scan({1}, 1, 63, 0, 0) + kData + kEoiBytes);
    EXPECT_EQ(progressive.frame.process, JpegProcess::kProgressive);
    ASSERT_EQ(progressive.scans.size(), 2u);
    EXPECT_EQ(progressive.scans[0].spectralEnd, 0);
    EXPECT_EQ(progressive.scans[0].bitLow, 1);
    EXPECT_EQ(progressive.scans[1].spectralStart, 1);
    EXPECT_EQ(progressive.scans[1].spectralEnd, 63);
    EXPECT_EQ(Markers(progressive), (std::vector<std::uint8_t>{kDqt, kDht, kSof2, kSos, kDht, kSos}));
    EXPECT_FALSE(progressive.frame.arithmetic);

    const JpegStructure arithmetic = Read(Baseline({.marker = kSof9}));
    EXPECT_EQ(arithmetic.frame.process, JpegProcess::kExtended);
    EXPECT_TRUE(arithmetic.frame.arithmetic);
    const JpegStructure arithmeticProgressive = Read(kSoiBytes + Segment(kDac, "\x00\x10") + Frame({.marker = kSof10}) +
                                                     Scan({1, 2, 3}, 0, 0, 0, 0) + kData + Scan({1}, 1, 63) + kData +
                                                     Scan({2}, 1, 63) + kData + Scan({3}, 1, 63) + kData + kEoiBytes);
    EXPECT_EQ(arithmeticProgressive.frame.process, JpegProcess::kProgressive);
    EXPECT_TRUE(arithmeticProgressive.frame.arithmetic);
    EXPECT_FALSE(arithmeticProgressive.unsentCoefficient);
}

TEST(JpegStructure, EntropyDataEndsAtTheFirstMarkerThatIsNoRestartMarker) {
    // Fill bytes before the next marker belong to neither the data nor the marker.
    const std::string file = kSoiBytes + kTables + Frame({}) + Scan({1, 2, 3}) + kData + "\xFF\xFF\xFF" +
                             Segment(kCom, "after") + kEoiBytes;
    const JpegStructure structure = Read(file);
    EXPECT_EQ(file.substr(structure.scans[0].entropyData.offset, structure.scans[0].entropyData.size), kData);
    EXPECT_EQ(Markers(structure).back(), kCom);
    EXPECT_EQ(structure.segments.back().bytes.offset, file.find(Segment(kCom, "after")));
    EXPECT_EQ(structure.stray.count, 0u);
}

TEST(JpegStructure, StepsOverStrayBytesAsLibjpegDoesAndCountsThem) {
    // One stray byte after the start marker: libjpeg warns and reads on.
    const JpegStructure structure =
        Read(kSoiBytes + std::string(1, '\0') + kTables + Frame({}) + Scan({1, 2, 3}) + kData + kEoiBytes);
    EXPECT_EQ(structure.stray.count, 1u);
    EXPECT_EQ(structure.stray.runs, 1u);
    EXPECT_EQ(structure.stray.firstOffset, 2u);
    EXPECT_EQ(Markers(structure), (std::vector<std::uint8_t>{kDqt, kDht, kSof0, kSos}));
    EXPECT_EQ(StrayBytesNote(structure), "1 stray byte between its segments was skipped (the first at byte 2)");

    // Two runs: text before the frame, and 0xFF 0x00, which is no marker, before the scan.
    const std::string twoRuns = kSoiBytes + kTables + "junk" + Frame({}) + std::string("\xFF\x00", 2) +
                                Scan({1, 2, 3}) + kData + kEoiBytes;
    const JpegStructure twice = Read(twoRuns);
    EXPECT_EQ(twice.stray.count, 5u);
    EXPECT_EQ(twice.stray.runs, 2u);
    EXPECT_EQ(twice.stray.firstOffset, (kSoiBytes + kTables).size());
    EXPECT_EQ(Markers(twice), (std::vector<std::uint8_t>{kDqt, kDht, kSof0, kSos}));

    // Fill bytes before a marker are allowed and are no stray bytes.
    EXPECT_EQ(Read(kSoiBytes + "\xFF\xFF" + kTables + Frame({}) + Scan({1, 2, 3}) + kData + kEoiBytes).stray.count,
              0u);
    EXPECT_EQ(StrayBytesNote(Read(Baseline())), "");
}

TEST(JpegStructure, SaysWhereTheFileEnds) {
    const std::string body = kSoiBytes + kTables + Frame({}) + Scan({1, 2, 3}) + kData;
    const JpegStructure trailer = Read(body + kEoiBytes + "MPF preview \xFF\xD8\xFF");
    EXPECT_EQ(trailer.end, JpegEnd::kEndMarker);
    EXPECT_EQ(trailer.trailingBytes, 15u);

    const JpegStructure noEnd = Read(body);
    EXPECT_EQ(noEnd.end, JpegEnd::kInsideScanData);
    EXPECT_EQ(noEnd.scans[0].entropyData.end(), body.size());

    // A lone 0xFF at the end may be half of a stuffed byte or of a marker: not data.
    const JpegStructure halfMarker = Read(body + "\xFF");
    EXPECT_EQ(halfMarker.end, JpegEnd::kInsideScanData);
    EXPECT_EQ(halfMarker.scans[0].entropyData.end(), body.size());

    const JpegStructure afterTables = Read(body + Segment(kDht, "x"));
    EXPECT_EQ(afterTables.end, JpegEnd::kBetweenSegments);
    EXPECT_EQ(afterTables.scans[0].entropyData.end(), body.size());
}

TEST(JpegStructure, FindsTheFirstExifPayloadOnly) {
    const std::string xmp = Segment(kApp1, std::string("http://ns.adobe.com/xap/1.0/\0<x/>", 33));
    const std::string exif(std::string("Exif\0\0", 6) + "II*\0");
    const std::string prefix = kSoiBytes + xmp + Segment(kApp1, std::string("Exif", 4));  // no "\0\0": not EXIF
    const std::string file = prefix + Segment(kApp1, exif) + Segment(kApp1, std::string("Exif\0\0MM", 8)) +
                             kTables + Frame({}) + Scan({1, 2, 3}) + kData + kEoiBytes;
    const JpegStructure structure = Read(file);
    ASSERT_TRUE(structure.exif);
    EXPECT_EQ(structure.exif->offset, prefix.size() + 4);
    EXPECT_EQ(file.substr(structure.exif->offset, structure.exif->size), exif);
}

TEST(JpegStructure, AcceptsSequentialScansWithOddProgressionFieldsAsLibjpegOnlyWarns) {
    const std::string file = kSoiBytes + kTables + Frame({}) + Scan({1, 2, 3}, 5, 3, 2, 7) + kData + kEoiBytes;
    EXPECT_EQ(Read(file).scans.size(), 1u);
}

TEST(JpegStructureRefuses, WhatIsNoJpeg) {
    for (const std::string& bytes : {std::string(), std::string("\xFF"), std::string("GIF89a"),
                                     std::string("\xD8\xFF"), " " + Baseline(), std::string("\x89PNG\r\n")}) {
        ExpectRefused(bytes, "not a JPEG file");
    }
}

TEST(JpegStructureRefuses, SegmentsCutShortOrWithImpossibleLengths) {
    const std::string start = kSoiBytes + kTables + Frame({});
    ExpectRefused(start + Segment(kDqt, std::string(65, '\x01')).substr(0, 30), "cut short: it ends inside its DQT");
    ExpectRefused(start + "\xFF\xE1\x10", "cut short: it ends inside its APP1 segment at byte " +
                                              std::to_string(start.size()));
    ExpectRefused(start + "\xFF\xC4", "cut short");
    const std::string comment = Segment(kCom, "one byte too few");
    ExpectRefused(start + comment.substr(0, comment.size() - 1), "cut short: it ends inside its COM segment");
    ExpectRefused(start + std::string("\xFF\xFE\x00\x01", 4), "gives its length as 1");
    ExpectRefused(kSoiBytes + Segment(kSof0, std::string("\x08\x01\xE0\x02\x80\x03\x01\x11\x00", 9)) +
                      Scan({1}) + kEoiBytes,
                  "frame header at byte 2 has the wrong length");
    const std::string frame = start;
    ExpectRefused(frame + Segment(kSos, std::string("\x01\x01\x00\x00\x3F", 5)), "scan header");  // one byte short
    ExpectRefused(frame + Segment(kSos, std::string("\x00\x00\x3F\x00", 4)), "scan header");      // no component
}

TEST(JpegStructureRefuses, FilesWithoutPictureOrInTheWrongOrder) {
    ExpectRefused(kSoiBytes + kTables + kEoiBytes, "no frame header");
    ExpectRefused(kSoiBytes, "no frame header");
    ExpectRefused(kSoiBytes + kTables + Frame({}) + kEoiBytes, "no scan");
    ExpectRefused(kSoiBytes + kTables + Scan({1}) + kData + Frame({}) + kEoiBytes, "before its frame header");
    ExpectRefused(kSoiBytes + Frame({}) + Frame({}) + Scan({1}) + kEoiBytes, "second frame header");
    ExpectRefused(kSoiBytes + kSoiBytes + Baseline(), "second start marker");
}

TEST(JpegStructureRefuses, ProcessesCamerasDoNotWrite) {
    for (const std::uint8_t lossless : {kSof3, std::uint8_t(kSof0 + 11)}) {
        ExpectRefused(Baseline({.marker = lossless}), "lossless");
    }
    for (const int hierarchical : {5, 6, 7, 13, 14, 15}) {
        ExpectRefused(Baseline({.marker = static_cast<std::uint8_t>(kSof0 + hierarchical)}), "hierarchical");
    }
    ExpectRefused(Baseline({.precision = 12}), "12-bit samples");
    ExpectRefused(Baseline({.precision = 16}), "16-bit samples");
}

TEST(JpegStructureRefuses, FramesNoDecoderAccepts) {
    ExpectRefused(Baseline({.width = 0}), "0 x 480 pixels");
    ExpectRefused(Baseline({.height = 0}), "640 x 0 pixels");
    ExpectRefused(kSoiBytes + kTables + Frame({.components = 2}) + Scan({1, 2}) + kData + kEoiBytes,
                  "2 colour components");
    ExpectRefused(kSoiBytes + kTables + Frame({.components = 5}) + Scan({1}) + kData + kEoiBytes,
                  "5 colour components");
    for (const int sampling : {0x01, 0x10, 0x51, 0x15}) ExpectRefused(Baseline({.sampling = sampling}), "component 1");
    ExpectRefused(Baseline({.quantTable = 4}), "component 1");
    // Two components with the same id.
    const std::string twins =
        Segment(kSof0, std::string("\x08\x01\xE0\x02\x80\x03\x01\x11\x00\x02\x11\x00\x02\x11\x00", 15));
    ExpectRefused(kSoiBytes + kTables + twins + Scan({1}) + kData + kEoiBytes, "component 2");
    const std::string grey = kSoiBytes + kTables + Frame({.components = 1}) + Scan({1}) + kData + kEoiBytes;
    EXPECT_EQ(Read(grey).frame.components.size(), 1u);
    const std::string cmyk = kSoiBytes + kTables + Frame({.components = 4}) + Scan({1, 2, 3, 4}) + kData + kEoiBytes;
    EXPECT_EQ(Read(cmyk).frame.components.size(), 4u);
}

TEST(JpegStructureRefuses, ScansNamingComponentsTheFrameLacksOrNamingOneTwice) {
    const std::string start = kSoiBytes + kTables + Frame({});
    ExpectRefused(start + Scan({1, 9}) + kData + kEoiBytes, "names component 9, which the frame does not have");
    ExpectRefused(start + Scan({2, 2}) + kData + kEoiBytes, "names component 2 twice");
}

TEST(JpegStructureRefuses, ProgressionsLibjpegStopsAt) {
    const std::string start = kSoiBytes + kTables + Frame({.marker = kSof2});
    struct Bad {
        std::vector<int> ids;
        int ss, se, ah, al;
    };
    for (const Bad& bad : {Bad{{1}, 0, 5, 0, 0},      // a DC scan must send the DC coefficient alone
                           Bad{{1, 2}, 1, 63, 0, 0},  // an AC scan has one component
                           Bad{{1}, 9, 3, 0, 0},      // backwards
                           Bad{{1}, 1, 64, 0, 0},     // past the last coefficient
                           Bad{{1}, 1, 63, 3, 1},     // a refinement sends one bit
                           Bad{{1, 2, 3}, 0, 0, 0, 14}}) {
        ExpectRefused(start + Scan(bad.ids, bad.ss, bad.se, bad.ah, bad.al) + kData + kEoiBytes, "progression");
    }
    EXPECT_EQ(Read(start + Scan({1, 2, 3}, 0, 0, 0, 13) + kData + Scan({1, 2, 3}, 0, 0, 13, 12) + kData + kEoiBytes)
                  .scans.size(),
              2u);
}

TEST(JpegStructureRefuses, MarkersLibjpegDoesNotKnow) {
    const std::string start = kSoiBytes + kTables + Frame({});
    for (const std::uint8_t unknown : {0x02, 0x4F, 0xBF, 0xC8, 0xDE, 0xDF, 0xF0, 0xF7, 0xFD}) {
        ExpectRefused(start + Segment(unknown, "abc") + Scan({1, 2, 3}) + kData + kEoiBytes,
                      "a marker the decoder does not know");
    }
    // Restart and TEM markers outside a scan have no length; libjpeg passes over them.
    const JpegStructure standalone = Read(kSoiBytes + Marker(kRst7) + Marker(kTem) + kTables + Frame({}) +
                                          Scan({1, 2, 3}) + kData + kEoiBytes);
    EXPECT_EQ(Markers(standalone), (std::vector<std::uint8_t>{kRst7, kTem, kDqt, kDht, kSof0, kSos}));
}

std::string WithComments(std::size_t comments) {
    std::string file = kSoiBytes;
    for (std::size_t i = 0; i < comments; ++i) file += Segment(kCom, "c");
    return file + kTables + Frame({}) + Scan({1, 2, 3}) + kData + kEoiBytes;
}

// Sequential scans may repeat a component (libjpeg decodes each again); progressive
// ones may not, see ScanProgression.
std::string WithScans(std::size_t scans) {
    std::string file = kSoiBytes + kTables + Frame({});
    for (std::size_t i = 0; i < scans; ++i) file += Scan({1, 2, 3}) + kData;
    return file + kEoiBytes;
}

TEST(JpegLimits, SegmentsUpToTheLimitAreReadAndOneMoreIsRefused) {
    const std::size_t others = 4;  // DQT, DHT, SOF0, SOS
    EXPECT_EQ(Read(WithComments(kMostJpegSegments - others)).segments.size(), kMostJpegSegments);
    ExpectRefused(WithComments(kMostJpegSegments - others + 1), "more than 1024 marker segments");
    ExpectRefused(WithComments(200'000), "more than 1024 marker segments");
}

TEST(JpegLimits, ScansUpToTheLimitAreReadAndOneMoreIsRefused) {
    EXPECT_EQ(Read(WithScans(kMostJpegScans)).scans.size(), kMostJpegScans);
    ExpectRefused(WithScans(kMostJpegScans + 1), "more than 32 scans");
    ExpectRefused(WithScans(5000), "more than 32 scans");
}

struct ScanSpec {
    std::vector<int> ids;
    int ss, se, ah, al;
};

// jpeg_simple_progression's script for YCbCr (components 1, 2, 3), as libjpeg writes it.
std::vector<ScanSpec> LibjpegColourScript() {
    return {{{1, 2, 3}, 0, 0, 0, 1}, {{1}, 1, 5, 0, 2},  {{3}, 1, 63, 0, 1}, {{2}, 1, 63, 0, 1},
            {{1}, 6, 63, 0, 2},      {{1}, 1, 63, 2, 1}, {{1, 2, 3}, 0, 0, 1, 0}, {{3}, 1, 63, 1, 0},
            {{2}, 1, 63, 1, 0},      {{1}, 1, 63, 1, 0}};
}

// jpeg_simple_progression's script for grey and CMYK.
std::vector<ScanSpec> LibjpegOtherScript(int components) {
    std::vector<int> all;
    for (int id = 1; id <= components; ++id) all.push_back(id);
    std::vector<ScanSpec> script{{all, 0, 0, 0, 1}};
    for (const ScanSpec& pass : {ScanSpec{{}, 1, 5, 0, 2}, ScanSpec{{}, 6, 63, 0, 2}, ScanSpec{{}, 1, 63, 2, 1}}) {
        for (const int id : all) script.push_back({{id}, pass.ss, pass.se, pass.ah, pass.al});
    }
    script.push_back({all, 0, 0, 1, 0});
    for (const int id : all) script.push_back({{id}, 1, 63, 1, 0});
    return script;
}

std::string Progressive(const std::vector<ScanSpec>& scans, int components = 3) {
    std::string file = kSoiBytes + kTables + Frame({.marker = kSof2, .components = components});
    for (const ScanSpec& scan : scans) {
        file += Segment(kDht, "h") + Scan(scan.ids, scan.ss, scan.se, scan.ah, scan.al) + kData;
    }
    return file + kEoiBytes;
}

void ExpectGap(const JpegStructure& structure, int componentId, int coefficient, int lowestBit) {
    ASSERT_TRUE(structure.unsentCoefficient) << "no gap; expected one in component " << componentId;
    EXPECT_EQ(structure.unsentCoefficient->componentId, componentId);
    EXPECT_EQ(structure.unsentCoefficient->coefficient, coefficient);
    EXPECT_EQ(structure.unsentCoefficient->lowestBitSent, lowestBit);
}

TEST(ScanProgression, TheScriptsLibjpegWritesSendEveryCoefficientWhole) {
    EXPECT_FALSE(Read(Progressive(LibjpegColourScript())).unsentCoefficient);
    EXPECT_FALSE(Read(Progressive(LibjpegOtherScript(1), 1)).unsentCoefficient);
    EXPECT_EQ(LibjpegOtherScript(4).size(), 18u);
    EXPECT_FALSE(Read(Progressive(LibjpegOtherScript(4), 4)).unsentCoefficient);
}

TEST(ScanProgression, AFileCutBetweenScansLeavesAGap) {
    const std::vector<ScanSpec> script = LibjpegColourScript();
    for (std::size_t kept = 1; kept < script.size(); ++kept) {
        const JpegStructure cut = Read(Progressive({script.begin(), script.begin() + static_cast<long>(kept)}));
        EXPECT_TRUE(cut.unsentCoefficient) << "cut after scan " << kept;
    }
    ExpectGap(Read(Progressive({script.begin(), script.begin() + 1})), 1, 0, 1);       // DC lacks its last bit
    ExpectGap(Read(Progressive({script.begin(), script.begin() + 2})), 1, 0, 1);
    ExpectGap(Read(Progressive({script.begin(), script.begin() + 9})), 1, 1, 1);       // luma AC lacks its last bit
    std::vector<ScanSpec> withoutChroma = script;
    withoutChroma.erase(withoutChroma.begin() + 7, withoutChroma.begin() + 9);  // Cr and Cb AC refinements
    ExpectGap(Read(Progressive(withoutChroma)), 2, 1, 1);
}

TEST(ScanProgression, SequentialFilesLackOnlyComponentsWithoutAScan) {
    EXPECT_FALSE(Read(Baseline()).unsentCoefficient);
    const std::string start = kSoiBytes + kTables + Frame({});
    EXPECT_FALSE(Read(start + Scan({1}) + kData + Scan({2}) + kData + Scan({3}) + kData + kEoiBytes).unsentCoefficient);
    ExpectGap(Read(start + Scan({1}) + kData + Scan({3}) + kData + kEoiBytes), 2, 0, -1);
}

TEST(ScanProgression, ScansThatDoNotContinueWhereTheOthersStoppedAreRefused) {
    const std::vector<ScanSpec> script = LibjpegColourScript();
    std::vector<ScanSpec> repeated = script;
    repeated.insert(repeated.begin() + 3, script[2]);  // the same first pass twice
    ExpectRefused(Progressive(repeated), "of component 3 out of order");
    ExpectRefused(Progressive({{{1}, 1, 63, 0, 0}, {{1, 2, 3}, 0, 0, 0, 0}}), "out of order");  // AC before DC
    ExpectRefused(Progressive({{{1, 2, 3}, 0, 0, 0, 2}, {{1, 2, 3}, 0, 0, 1, 0}}), "out of order");  // skips bit 1
    ExpectRefused(Progressive({{{1, 2, 3}, 0, 0, 0, 0}, {{1}, 1, 5, 0, 0}, {{1}, 3, 63, 0, 0}}),
                  "coefficients 3 to 63 of component 1 out of order");  // bands overlap
    ExpectRefused(Progressive({{{1, 2, 3}, 0, 0, 0, 0}, {{1}, 1, 63, 1, 0}}), "out of order");  // refines unsent bits
    // The decoder-stalling file: one scan, thousands of times.
    ExpectRefused(Progressive(std::vector<ScanSpec>(5000, {{1, 2, 3}, 0, 0, 0, 0})), "out of order");
}

}  // namespace
}  // namespace tamrex
