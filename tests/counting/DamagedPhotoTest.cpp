// Photos as they arrive from phones, cameras and shared folders: truncated, renamed,
// odd encodings, and headers crafted to make the decoder allocate without bound.
// Each one is counted, or refused with a reason; none may crash or hang the run.
#include "counting/BoardCounter.h"
#include "tests/fixtures/JpegSegments.h"
#include "tests/fixtures/ScratchFolder.h"
#include "tools/photo/StackPhoto.h"

#include <gtest/gtest.h>

#include <tuple>

namespace tamrex {
namespace {

using testing::ExifApp1;
using testing::ReadFile;
using testing::ScratchFolder;
using testing::StackPhotoRecipe;

const CounterSettings kCorpusSettings{100, 110, 19};  // what tests/corpus/make-corpus.sh notes

StackPhotoRecipe SmallStack() {
    StackPhotoRecipe recipe;
    recipe.width = 200;
    recipe.height = 180;
    recipe.boards = 5;
    recipe.boardRows = 14;
    recipe.gapRows = 5;
    recipe.seed = 9;
    return recipe;
}

struct Counted {
    std::filesystem::path photo;
    Expected<CountResult> result;
};

Counted Count(const std::filesystem::path& photo, std::uint64_t pixelLimit = kDefaultPixelLimit) {
    BoardCounter counter;
    return {photo, counter.CountBoards({photo, kCorpusSettings, {}, pixelLimit})};
}

void ExpectRefused(const Counted& counted, const std::string& reason) {
    ASSERT_FALSE(counted.result.has_value()) << counted.photo << " was counted";
    const std::string& message = counted.result.error().message;
    EXPECT_EQ(message.rfind("cannot read photo '" + counted.photo.string() + "'", 0), 0u) << message;
    EXPECT_NE(message.find(reason), std::string::npos) << message;
}

void ExpectCounted(const Counted& counted, int boards) {
    ASSERT_TRUE(counted.result.has_value()) << counted.result.error().message;
    EXPECT_EQ(counted.result->count(), boards) << counted.photo;
    EXPECT_EQ(counted.result->warning, "") << counted.photo;
}

class DamagedPhotos : public ::testing::Test {
protected:
    void SetUp() override {
        FIBITMAP* picture = testing::DrawStackPhoto(SmallStack());
        ASSERT_NE(picture, nullptr);
        picture_.reset(picture);
        stack_ = SaveAs("stack.jpg", FIF_JPEG, JPEG_QUALITYGOOD);
        bytes_ = ReadFile(stack_);
    }

    std::filesystem::path SaveAs(const std::string& name, FREE_IMAGE_FORMAT format, int flags,
                                 FIBITMAP* picture = nullptr) {
        const auto path = folder_ / name;
        EXPECT_TRUE(FreeImage_Save(format, picture ? picture : picture_.get(), path.c_str(), flags)) << name;
        return path;
    }

    ScratchFolder folder_;
    BitmapHandle picture_;
    std::filesystem::path stack_;
    std::string bytes_;
};

TEST_F(DamagedPhotos, TruncatedFilesAreRefusedWhereverTheyEnd) {
    ExpectCounted(Count(stack_), 5);
    for (std::size_t keep : {std::size_t{0}, std::size_t{1}, std::size_t{3}, std::size_t{40}, bytes_.size() / 4,
                             bytes_.size() / 2, bytes_.size() * 9 / 10, bytes_.size() - 40}) {
        const auto cut = folder_.WriteFile("cut.jpg", bytes_.substr(0, keep));
        ExpectRefused(Count(cut), keep < 2 ? "not a JPEG file" : "");
        if (keep > 1000) ExpectRefused(Count(cut), "damaged: its picture data ends early");
    }
}

// A cut is a cut however it is dressed up: with the end marker put back, or behind an
// earlier fault the decoder steps over, which used to be the only warning looked at.
TEST_F(DamagedPhotos, DataThatEndsEarlyIsRefusedHoweverItIsDisguised) {
    const std::string cut = bytes_.substr(0, bytes_.size() * 2 / 3);
    ExpectRefused(Count(folder_.WriteFile("marker.jpg", cut + "\xFF\xD9")), "its picture data ends early");
    const std::size_t scan = cut.find("\xFF\xDA");
    ASSERT_NE(scan, std::string::npos);
    const std::string stray = cut.substr(0, scan) + "\x12\x34" + cut.substr(scan) + "\xFF\xD9";
    ExpectRefused(Count(folder_.WriteFile("stray.jpg", stray)), "its picture data ends early");
}

// Whole picture data with a blemish around it decodes to the intact photo's pixels:
// it is counted as the intact photo is, with a warning that says what was wrong.
TEST_F(DamagedPhotos, AWholePictureWithABlemishIsCountedWithAWarning) {
    const Counted intact = Count(stack_);
    ASSERT_TRUE(intact.result.has_value());
    const std::string noEnd = bytes_.substr(0, bytes_.size() - 2);
    const std::string strayByte = bytes_.substr(0, 2) + std::string(1, '\0') + bytes_.substr(2);
    for (const auto& [name, bytes, warning] :
         {std::tuple{"no-end.jpg", noEnd, "lacks its end marker"}, std::tuple{"stray.jpg", strayByte, "stray byte"}}) {
        const Counted counted = Count(folder_.WriteFile(name, bytes));
        ASSERT_TRUE(counted.result.has_value()) << name << ": " << counted.result.error().message;
        EXPECT_EQ(counted.result->lineRuns, intact.result->lineRuns) << name;
        EXPECT_NE(counted.result->warning.find(warning), std::string::npos) << name << ": " << counted.result->warning;
    }
}

TEST_F(DamagedPhotos, OtherFormatsNamedJpgAreRefusedWithoutTheirDecoders) {
    SaveAs("png.jpg", FIF_PNG, PNG_DEFAULT);
    SaveAs("gif.jpg", FIF_GIF, GIF_DEFAULT, BitmapHandle(FreeImage_ColorQuantize(picture_.get(), FIQ_WUQUANT)).get());
    SaveAs("bmp.jpg", FIF_BMP, BMP_DEFAULT);
    folder_.WriteFile("text.jpg", "BDLINE=320\nthis is not a photo\n");
    for (const char* name : {"png.jpg", "gif.jpg", "bmp.jpg", "text.jpg"}) {
        ExpectRefused(Count(folder_ / name), "not a JPEG file");
    }
    ExpectRefused(Count(folder_.path()), "is a folder, not a photo");
    ExpectRefused(Count(folder_ / "absent.jpg"), "No such file or directory");
}

// A phone holds its camera sideways and says so in EXIF: the stack stands on end in the
// stored pixels, and only turned upright is it counted.
TEST_F(DamagedPhotos, APhotoStoredSidewaysIsTurnedUprightBeforeItIsCounted) {
    BitmapHandle sideways(FreeImage_Rotate(picture_.get(), 90));
    const std::string stored = ReadFile(SaveAs("sideways.jpg", FIF_JPEG, JPEG_QUALITYGOOD, sideways.get()));
    const Counted asStored = Count(stack_.parent_path() / "sideways.jpg");
    ASSERT_TRUE(!asStored.result.has_value() || asStored.result->count() != 5) << "the test needs a sideways stack";

    const Counted turned = Count(folder_.WriteFile("phone.jpg", stored.substr(0, 2) + ExifApp1(6) + stored.substr(2)));
    ASSERT_TRUE(turned.result.has_value()) << turned.result.error().message;
    EXPECT_EQ(turned.result->count(), 5);
    EXPECT_EQ(turned.result->orientation, 6);
    EXPECT_EQ(Count(folder_.WriteFile("upright.jpg", bytes_.substr(0, 2) + ExifApp1(1) + bytes_.substr(2)))
                  .result->lineRuns,
              Count(stack_).result->lineRuns)
        << "orientation 1 keeps the pixels as they are";
}

TEST_F(DamagedPhotos, EveryCommonJpegEncodingIsCounted) {
    BitmapHandle grey(FreeImage_ConvertToGreyscale(picture_.get()));
    ExpectCounted(Count(SaveAs("grey.jpg", FIF_JPEG, JPEG_QUALITYGOOD, grey.get())), 5);
    ExpectCounted(Count(SaveAs("progressive.jpg", FIF_JPEG, JPEG_QUALITYGOOD | JPEG_PROGRESSIVE)), 5);
    const std::filesystem::path corpus = TAMREX_SOURCE_DIR "/tests/corpus";
    ExpectCounted(Count(corpus / "stack-cmyk.jpg"), 5);
    ExpectCounted(Count(corpus / "stack-restart-markers.jpg"), 5);
    ExpectCounted(Count(corpus / "stack-arithmetic.jpg"), 5);
    ExpectCounted(Count(corpus / "stack-arithmetic-progressive.jpg"), 5);
}

// Arithmetic-coded data does not show where it was cut: the decoder fills the rest with
// zeros, warning of nothing. Without its end marker such a file may be cut anywhere.
TEST_F(DamagedPhotos, AnArithmeticCodedPhotoWithoutItsEndMarkerIsRefused) {
    const std::string whole = ReadFile(TAMREX_SOURCE_DIR "/tests/corpus/stack-arithmetic.jpg");
    ExpectRefused(Count(folder_.WriteFile("no-end.jpg", whole.substr(0, whole.size() - 2))),
                  "its arithmetic coding hides whether it was cut");
    ExpectRefused(Count(folder_.WriteFile("cut.jpg", whole.substr(0, whole.size() / 2))),
                  "its arithmetic coding hides whether it was cut");
}

TEST_F(DamagedPhotos, CorruptDataInTheMiddleIsCountedWithTheDecodersWarning) {
    std::string corrupt = bytes_;
    for (std::size_t at = corrupt.size() / 2; at < corrupt.size() / 2 + 40; ++at) {
        corrupt[at] = static_cast<char>((static_cast<unsigned char>(corrupt[at]) * 7 + 13) % 0xFF);
    }
    const Expected<CountResult> result = Count(folder_.WriteFile("corrupt.jpg", corrupt)).result;
    ASSERT_TRUE(result.has_value()) << result.error().message;
    EXPECT_NE(result->warning.find("Corrupt JPEG data"), std::string::npos) << result->warning;
}

// Sets the size in the frame header (SOF0) of a baseline JPEG.
std::string WithClaimedSize(std::string jpeg, int width, int height) {
    const std::size_t frame = jpeg.find("\xFF\xC0");
    EXPECT_NE(frame, std::string::npos);
    jpeg[frame + 5] = static_cast<char>(height >> 8);
    jpeg[frame + 6] = static_cast<char>(height & 0xFF);
    jpeg[frame + 7] = static_cast<char>(width >> 8);
    jpeg[frame + 8] = static_cast<char>(width & 0xFF);
    return jpeg;
}

TEST_F(DamagedPhotos, HugeClaimedSizesAreRefusedFromTheHeaderAlone) {
    const auto bomb = folder_.WriteFile("bomb.jpg", WithClaimedSize(bytes_, 65500, 65500));
    ExpectRefused(Count(bomb), "it is 65500 x 65500 pixels (4290.2 megapixels), more than the limit of 100.0");
    // The limit is the caller's to set: the real photo passes a limit of its own size.
    ExpectRefused(Count(stack_, 200 * 180 - 1), "more than the limit of 0.0 megapixels");
    ExpectCounted(Count(stack_, 200 * 180), 5);
}

TEST_F(DamagedPhotos, AnyFileNameWorks) {
    for (const char* name : {"stack with spaces.jpg", "stäck-ünïcödé-板.jpg", "-leading-dash.jpg", "'quote\".jpg"}) {
        std::filesystem::copy_file(stack_, folder_ / name);
        ExpectCounted(Count(folder_ / name), 5);
    }
}

}  // namespace
}  // namespace tamrex
