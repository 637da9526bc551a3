// The stream the decoder gets, built from real JPEG files written by FreeImage and then
// spoiled the ways photos arrive spoiled; decoded by FreeImage as the photo loader does.
#include "image/DecoderInput.h"
#include "image/Bitmap.h"
#include "image/DecodeJpeg.h"
#include "image/ExifOrientation.h"
#include "image/ImageLibrary.h"
#include "image/JpegStructure.h"
#include "tests/fixtures/JpegInMemory.h"
#include "tests/fixtures/ScratchFolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace tamrex {
namespace {

constexpr int kWidth = 160;
constexpr int kHeight = 120;
const std::string kSoiBytes("\xFF\xD8", 2);
const std::string kEoiBytes("\xFF\xD9", 2);
const std::string kPremature = "premature end of data segment";

std::string Segment(std::uint8_t marker, const std::string& payload) {
    const std::size_t length = payload.size() + 2;
    return std::string{'\xFF', static_cast<char>(marker), static_cast<char>(length >> 8),
                       static_cast<char>(length & 0xFF)} +
           payload;
}

// Texture in every channel, so the entropy-coded data runs to some kilobytes.
BitmapHandle TexturedPicture() {
    BitmapHandle picture(FreeImage_Allocate(kWidth, kHeight, 24));
    for (int y = 0; y < kHeight; ++y) {
        BYTE* row = FreeImage_GetScanLine(picture.get(), y);
        for (int x = 0; x < kWidth; ++x) {
            row[3 * x + FI_RGBA_RED] = static_cast<BYTE>((x ^ y) * 5);
            row[3 * x + FI_RGBA_GREEN] = static_cast<BYTE>(x * y);
            row[3 * x + FI_RGBA_BLUE] = static_cast<BYTE>(x * 7 + y * 3);
        }
    }
    return picture;
}

struct Decoded {
    BitmapHandle bitmap;
    std::string messages;
};

// As the photo loader decodes: from memory, JPEG decoder only, messages captured.
Decoded Decode(const std::string& bytes) {
    EnsureImageLibrary();
    TakeLibraryMessages();
    BYTE* data = reinterpret_cast<BYTE*>(const_cast<char*>(bytes.data()));  // only read
    FIMEMORY* memory = FreeImage_OpenMemory(data, static_cast<DWORD>(bytes.size()));
    Decoded decoded{BitmapHandle(FreeImage_LoadFromMemory(FIF_JPEG, memory, JPEG_DEFAULT)), TakeLibraryMessages()};
    FreeImage_CloseMemory(memory);
    return decoded;
}

JpegStructure Structure(const std::string& file) {
    Expected<JpegStructure> structure = ReadJpegStructure(file);
    EXPECT_TRUE(structure) << structure.error().message;
    return structure ? std::move(*structure) : JpegStructure{};
}

std::string Clean(const std::string& file) { return BuildDecoderInput(file, Structure(file)).Copy(); }

::testing::AssertionResult SamePixels(FIBITMAP* expected, FIBITMAP* actual) {
    if (!expected || !actual) return ::testing::AssertionFailure() << "a picture is missing";
    if (FreeImage_GetWidth(expected) != FreeImage_GetWidth(actual) ||
        FreeImage_GetHeight(expected) != FreeImage_GetHeight(actual) ||
        FreeImage_GetBPP(expected) != FreeImage_GetBPP(actual)) {
        return ::testing::AssertionFailure() << "the pictures differ in size or depth";
    }
    for (unsigned y = 0; y < FreeImage_GetHeight(expected); ++y) {
        if (std::memcmp(FreeImage_GetScanLine(expected, static_cast<int>(y)),
                        FreeImage_GetScanLine(actual, static_cast<int>(y)), FreeImage_GetLine(expected)) != 0) {
            return ::testing::AssertionFailure() << "row " << y << " differs";
        }
    }
    return ::testing::AssertionSuccess();
}

std::string AfterStart(const std::string& file, const std::string& inserted) {
    return file.substr(0, 2) + inserted + file.substr(2);
}

std::string WithoutEnd(const std::string& file) { return file.substr(0, file.size() - 2); }

std::vector<std::size_t> ScanOffsets(const std::string& file) {
    std::vector<std::size_t> offsets;
    for (std::size_t at = file.find("\xFF\xDA"); at != std::string::npos; at = file.find("\xFF\xDA", at + 2)) {
        offsets.push_back(at);
    }
    return offsets;
}

std::size_t SegmentLength(const std::string& file, std::size_t marker) {
    return static_cast<std::size_t>(static_cast<std::uint8_t>(file[marker + 2]) << 8 |
                                    static_cast<std::uint8_t>(file[marker + 3]));
}

// Two thirds into the entropy-coded data of the last scan, which runs up to the end marker.
std::string CutInsideLastScan(const std::string& file) {
    const std::size_t scan = ScanOffsets(file).back();
    const std::size_t data = scan + 2 + SegmentLength(file, scan);
    return file.substr(0, data + (file.size() - 2 - data) * 2 / 3);
}

std::string Metadata() {
    return Segment(0xE1, std::string("Exif\0\0II*\0\x08\0\0\0\0\0", 16)) +
           Segment(0xE1, std::string("http://ns.adobe.com/xap/1.0/\0<x/>", 33)) +
           Segment(0xE2, std::string("ICC_PROFILE\0\x01\x01", 14) + std::string(100, 'p')) +
           Segment(0xED, "Photoshop 3.0") + Segment(0xEF, "app15") + Segment(0xFE, "a comment") +
           Segment(0xE0, std::string("JFXX\0\x13", 6));
}

class DecoderInput : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureImageLibrary();
        picture_ = TexturedPicture();
        baseline_ = testing::JpegInMemory(picture_.get(), JPEG_QUALITYGOOD);
        progressive_ = testing::JpegInMemory(picture_.get(), JPEG_QUALITYGOOD | JPEG_PROGRESSIVE);
        ASSERT_EQ(ScanOffsets(baseline_).size(), 1u);
        ASSERT_EQ(ScanOffsets(progressive_).size(), 10u);
    }

    BitmapHandle picture_;
    std::string baseline_;
    std::string progressive_;
};

TEST_F(DecoderInput, PassesAnIntactFileOnByteForByte) {
    EXPECT_EQ(Clean(baseline_), baseline_);
    EXPECT_EQ(Clean(progressive_), progressive_);
}

TEST_F(DecoderInput, LeavesMetadataStrayBytesAndTrailersBehind) {
    for (const std::string& file : {baseline_, progressive_}) {
        const std::string spoiled = AfterStart(WithoutEnd(file), Metadata() + "stray") + Segment(0xFE, "last") +
                                    kEoiBytes + "trailing preview" + kSoiBytes;
        EXPECT_EQ(Clean(spoiled), file);
        // The library's metadata readers cannot get at what is not there.
        EXPECT_EQ(Clean(spoiled).find("Exif"), std::string::npos);
    }
}

TEST_F(DecoderInput, KeepsTheAdobeSegmentAndTheRestartInterval) {
    const std::string adobe = Segment(0xEE, std::string("Adobe\0\x64\0\0\0\0\x01", 12));
    const std::string noRestarts = Segment(0xDD, std::string("\0\0", 2));
    const std::string file = AfterStart(baseline_, adobe + noRestarts);
    EXPECT_EQ(Clean(file), file);
}

// A minimal file of grey (1), colour (3) or CMYK (4) components with an Adobe segment.
std::string WithAdobeTransform(int components, char transform) {
    std::string frame{'\x08', '\0', '\x10', '\0', '\x10', static_cast<char>(components)};
    std::string scan(1, static_cast<char>(components));
    for (char id = 1; id <= components; ++id) {
        frame += {id, '\x11', '\0'};
        scan += {id, '\0'};
    }
    return kSoiBytes + Segment(0xEE, std::string("Adobe\0\x64\0\0\0\0", 11) + transform) + Segment(0xC0, frame) +
           Segment(0xDA, scan + std::string("\0\x3F\0", 3)) + "data" + kEoiBytes;
}

TEST(DecoderInputAdobe, KeepsTheColourTransformOnlyWhereLibjpegKnowsIt) {
    const auto kept = [](int components, char transform) {
        const std::string file = WithAdobeTransform(components, transform);
        return Clean(file).find("Adobe") != std::string::npos;
    };
    EXPECT_TRUE(kept(3, 0));   // RGB
    EXPECT_TRUE(kept(3, 1));   // YCbCr
    EXPECT_FALSE(kept(3, 2));
    EXPECT_TRUE(kept(4, 0));   // CMYK
    EXPECT_TRUE(kept(4, 2));   // YCCK
    EXPECT_FALSE(kept(4, 1));
    EXPECT_FALSE(kept(1, 0));  // grey needs none
}

TEST_F(DecoderInput, AppendsTheEndMarkerAFileLacks) {
    EXPECT_EQ(Clean(WithoutEnd(baseline_)), baseline_);
    EXPECT_EQ(Clean(WithoutEnd(baseline_) + "\xFF"), baseline_);
    EXPECT_EQ(Clean(WithoutEnd(progressive_)), progressive_);
}

TEST_F(DecoderInput, DecodesToExactlyThePixelsOfTheFile) {
    for (const std::string& file : {baseline_, progressive_}) {
        const Decoded original = Decode(file);
        ASSERT_EQ(original.messages, "");
        const Decoded clean = Decode(Clean(AfterStart(file, Metadata() + "\x01")));
        EXPECT_EQ(clean.messages, "");
        EXPECT_TRUE(SamePixels(original.bitmap.get(), clean.bitmap.get()));
    }
}

// The stream is read from pieces of the file with bytes written anew between them; read
// in any chunks, it is the stream as one string, and the decoder sees exactly that.
TEST_F(DecoderInput, IsReadFromItsPiecesAsFromOneStream) {
    std::string zeroed = baseline_;  // a sequential scan whose fields the input writes anew
    const std::size_t scanHeaderEnd = ScanOffsets(zeroed)[0] + 2 + SegmentLength(zeroed, ScanOffsets(zeroed)[0]);
    zeroed.replace(scanHeaderEnd - 3, 3, std::string(3, '\0'));
    for (const auto& [file, intact] : {std::pair{zeroed, baseline_}, std::pair{progressive_, progressive_}}) {
        const std::string spoiled = AfterStart(WithoutEnd(file), Metadata() + "stray") + Segment(0xFE, "last") +
                                    kEoiBytes + "trailing preview";
        const tamrex::DecoderInput input = BuildDecoderInput(spoiled, Structure(spoiled));
        ASSERT_EQ(input.Copy(), intact);
        for (std::size_t chunk : {1, 3, 4096}) {
            std::string read;
            char buffer[4096];
            for (std::size_t got; (got = input.Read(read.size(), buffer, chunk)) > 0;) read.append(buffer, got);
            EXPECT_EQ(read, intact) << "in chunks of " << chunk;
        }
        std::string warning;
        const Expected<BitmapHandle> decoded = DecodeJpeg(input, warning);
        ASSERT_TRUE(decoded) << decoded.error().message;
        EXPECT_EQ(warning, "");
        EXPECT_TRUE(SamePixels(Decode(intact).bitmap.get(), decoded->get()));
    }
}

// The JFIF segment FreeImage writes first: units, then the densities across and down.
std::string WithDensity(std::string file, char units, int across, int down) {
    EXPECT_EQ(file.substr(6, 5), std::string("JFIF\0", 5));
    file.replace(13, 5, std::string{units, char(across >> 8), char(across & 0xFF), char(down >> 8), char(down & 0xFF)});
    return file;
}

::testing::AssertionResult SameResolutionAndColours(FIBITMAP* expected, FIBITMAP* actual) {
    if (FreeImage_GetDotsPerMeterX(expected) != FreeImage_GetDotsPerMeterX(actual) ||
        FreeImage_GetDotsPerMeterY(expected) != FreeImage_GetDotsPerMeterY(actual)) {
        return ::testing::AssertionFailure() << "resolution " << FreeImage_GetDotsPerMeterX(actual) << " x "
                                             << FreeImage_GetDotsPerMeterY(actual) << " instead of "
                                             << FreeImage_GetDotsPerMeterX(expected) << " x "
                                             << FreeImage_GetDotsPerMeterY(expected);
    }
    const unsigned colours = FreeImage_GetColorsUsed(expected);  // palette entries; none above 8 bits
    if (FreeImage_GetColorType(expected) != FreeImage_GetColorType(actual) ||
        FreeImage_GetColorsUsed(actual) != colours ||
        (colours > 0 &&
         std::memcmp(FreeImage_GetPalette(expected), FreeImage_GetPalette(actual), colours * sizeof(RGBQUAD)) != 0)) {
        return ::testing::AssertionFailure() << "another colour type or palette";
    }
    return ::testing::AssertionSuccess();
}

// Colour and grey photos are decoded by libjpeg directly, set up as the library sets it
// up; whatever way a photo was encoded, the picture must be the library's own.
TEST_F(DecoderInput, DecodesEveryKindOfPhotoExactlyAsTheLibrary) {
    const BitmapHandle grey(FreeImage_ConvertToGreyscale(picture_.get()));
    const BitmapHandle odd(FreeImage_Rescale(picture_.get(), 161, 97, FILTER_BOX));
    const std::string corpus = TAMREX_SOURCE_DIR "/tests/corpus/";
    const std::pair<std::string, std::string> kinds[] = {
        {"4:2:0", baseline_},
        {"progressive", progressive_},
        {"4:1:1", testing::JpegInMemory(picture_.get(), JPEG_QUALITYGOOD | JPEG_SUBSAMPLING_411)},
        {"4:2:2", testing::JpegInMemory(picture_.get(), JPEG_QUALITYGOOD | JPEG_SUBSAMPLING_422)},
        {"4:4:4", testing::JpegInMemory(picture_.get(), JPEG_QUALITYSUPERB | JPEG_SUBSAMPLING_444)},
        {"grey", testing::JpegInMemory(grey.get(), JPEG_QUALITYGOOD)},
        {"grey progressive", testing::JpegInMemory(grey.get(), JPEG_QUALITYGOOD | JPEG_PROGRESSIVE)},
        {"161 x 97", testing::JpegInMemory(odd.get(), JPEG_QUALITYGOOD)},
        {"restart markers", testing::ReadFile(corpus + "stack-restart-markers.jpg")},
        {"CMYK", testing::ReadFile(corpus + "stack-cmyk.jpg")},
        {"300 dpi", WithDensity(baseline_, 1, 300, 300)},
        {"96 x 71 dpi", WithDensity(baseline_, 1, 96, 71)},
        {"dots per cm", WithDensity(baseline_, 2, 118, 40)},
        {"aspect ratio only", WithDensity(baseline_, 0, 1, 2)},
    };
    for (const auto& [kind, file] : kinds) {
        const Decoded library = Decode(file);
        ASSERT_TRUE(library.bitmap) << kind;
        std::string warning;
        const Expected<BitmapHandle> ours = DecodeJpeg(BuildDecoderInput(file, Structure(file)), warning);
        ASSERT_TRUE(ours) << kind << ": " << ours.error().message;
        EXPECT_EQ(warning, library.messages) << kind;
        EXPECT_TRUE(SamePixels(library.bitmap.get(), ours->get())) << kind;
        EXPECT_TRUE(SameResolutionAndColours(library.bitmap.get(), ours->get())) << kind;
    }
}

TEST_F(DecoderInput, ACompletePhotoLackingOnlyItsEndMarkerDecodesWithoutAWarning) {
    for (const std::string& file : {baseline_, progressive_}) {
        EXPECT_EQ(Structure(WithoutEnd(file)).end, JpegEnd::kInsideScanData);
        const Decoded clean = Decode(Clean(WithoutEnd(file)));
        EXPECT_EQ(clean.messages, "");
        EXPECT_TRUE(SamePixels(Decode(file).bitmap.get(), clean.bitmap.get()));
    }
}

TEST_F(DecoderInput, OneStrayByteAfterTheStartMarkerDecodesWithoutAWarning) {
    const std::string file = AfterStart(baseline_, std::string(1, '\0'));
    EXPECT_EQ(Structure(file).stray.count, 1u);
    const Decoded clean = Decode(Clean(file));
    EXPECT_EQ(clean.messages, "");
    EXPECT_TRUE(SamePixels(Decode(baseline_).bitmap.get(), clean.bitmap.get()));
}

TEST_F(DecoderInput, ACutPhotoWarnsOfItsEndEvenWithAnEndMarkerAppended) {
    for (const std::string& file : {baseline_, progressive_}) {
        const std::string cut = CutInsideLastScan(file);
        for (const std::string& disguised : {cut, cut + kEoiBytes}) {
            const Decoded clean = Decode(Clean(disguised));
            EXPECT_NE(clean.messages.find(kPremature), std::string::npos) << clean.messages;
        }
    }
}

TEST_F(DecoderInput, AnEarlierHarmlessFaultNoLongerHidesTheCut) {
    const std::string disguised = AfterStart(CutInsideLastScan(baseline_), "x") + kEoiBytes;
    // FreeImage passes on the first warning alone, and on the file that is the stray byte.
    const Decoded original = Decode(disguised);
    ASSERT_NE(original.messages.find("extraneous bytes"), std::string::npos) << original.messages;
    ASSERT_EQ(original.messages.find(kPremature), std::string::npos) << original.messages;
    const Decoded clean = Decode(Clean(disguised));
    EXPECT_NE(clean.messages.find(kPremature), std::string::npos) << clean.messages;
}

TEST_F(DecoderInput, LeavesOutWhatWouldDrawAWarningBeforeThePixels) {
    // libjpeg warns of a JFIF major version other than 1.
    std::string jfif2 = baseline_;
    ASSERT_EQ(jfif2.substr(6, 5), std::string("JFIF\0", 5));
    jfif2[11] = 2;
    // Baseline files "with all zeroes" in the scan's spectral fields.
    std::string zeroes = baseline_;
    const std::size_t scanHeaderEnd = ScanOffsets(zeroes)[0] + 2 + SegmentLength(zeroes, ScanOffsets(zeroes)[0]);
    zeroes.replace(scanHeaderEnd - 3, 3, std::string(3, '\0'));
    // Adobe colour transforms libjpeg does not know for three components, in files
    // without JFIF: 2 is YCCK, which needs four.
    const std::string withoutJfif = baseline_.substr(2 + 2 + SegmentLength(baseline_, 2));
    const std::string adobe2 = kSoiBytes + Segment(0xEE, std::string("Adobe\0\x64\0\0\0\0\x02", 12)) + withoutJfif;
    const std::string adobe7 = kSoiBytes + Segment(0xEE, std::string("Adobe\0\x64\0\0\0\0\x07", 12)) + withoutJfif;
    const Decoded intact = Decode(baseline_);
    for (const std::string& file : {jfif2, zeroes, adobe2, adobe7}) {
        ASSERT_NE(Decode(file).messages, "");
        const Decoded clean = Decode(Clean(file));
        EXPECT_EQ(clean.messages, "");
        EXPECT_TRUE(SamePixels(intact.bitmap.get(), clean.bitmap.get()));
    }
}

TEST_F(DecoderInput, AProgressiveFileCutBetweenScansDecodesSilentlyButShowsItsGap) {
    for (std::size_t kept = 1; kept < 10; ++kept) {
        const std::string cut = progressive_.substr(0, ScanOffsets(progressive_)[kept]);
        const JpegStructure structure = Structure(cut);
        EXPECT_TRUE(structure.unsentCoefficient) << kept << " scans";
        EXPECT_EQ(Decode(BuildDecoderInput(cut, structure).Copy()).messages, "") << kept << " scans";
    }
    EXPECT_FALSE(Structure(progressive_).unsentCoefficient);
}

TEST_F(DecoderInput, ExifClaiming65535EntriesNeverReachesTheLibrary) {
    // The entry count says 65535; the data holds one entry, the orientation.
    const std::string exif = std::string("Exif\0\0II*\0\x08\0\0\0\xFF\xFF", 16) +
                             std::string("\x12\x01\x03\0\x01\0\0\0\x06\0\0\0", 12) + std::string(8, '\0');
    const std::string file = AfterStart(baseline_, Segment(0xE1, exif));
    const JpegStructure structure = Structure(file);
    ASSERT_TRUE(structure.exif);
    EXPECT_EQ(ReadExifOrientation(std::string_view(file).substr(structure.exif->offset, structure.exif->size)), 6);
    const std::string clean = BuildDecoderInput(file, structure).Copy();
    EXPECT_EQ(clean, baseline_);
    EXPECT_TRUE(SamePixels(Decode(baseline_).bitmap.get(), Decode(clean).bitmap.get()));
}

// Arithmetic coding takes its conditioning from DAC segments, which decide every bit
// that follows, as the Huffman tables do for the other processes.
TEST(DecoderInputOfArithmeticCoding, KeepsItsConditioning) {
    std::ifstream in(TAMREX_SOURCE_DIR "/tests/corpus/stack-arithmetic.jpg", std::ios::binary);
    const std::string file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ASSERT_NE(file.find("\xFF\xCC"), std::string::npos) << "the corpus file has a DAC segment";
    const std::string input = Clean(file);
    EXPECT_NE(input.find(file.substr(file.find("\xFF\xCC"), 8)), std::string::npos);
    const Decoded decoded = Decode(input);
    ASSERT_TRUE(decoded.bitmap) << decoded.messages;
    EXPECT_EQ(decoded.messages, "");
}

}  // namespace
}  // namespace tamrex
