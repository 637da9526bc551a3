#include "record/EvidencePicture.h"
#include "record/EvidenceText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tamrex {
namespace {

constexpr int kWidth = 600;
constexpr int kHeight = 100;

BitmapHandle Plain(RGBQUAD colour) {
    BitmapHandle picture(FreeImage_Allocate(kWidth, kHeight, 24));
    FreeImage_FillBackground(picture.get(), &colour);
    return picture;
}

RGBQUAD At(FIBITMAP* picture, int column, int row) {
    RGBQUAD colour{};
    FreeImage_GetPixelColor(picture, static_cast<unsigned>(column), static_cast<unsigned>(row), &colour);
    return colour;
}

// Rows of the band below the photo that hold any ink.
int InkedRows(FIBITMAP* evidence) {
    const int band = static_cast<int>(FreeImage_GetHeight(evidence)) - kHeight;
    int inked = 0;
    for (int row = 0; row < band; ++row) {
        for (int column = 0; column < kWidth; ++column) {
            if (At(evidence, column, row).rgbRed < 128) {
                ++inked;
                break;
            }
        }
    }
    return inked;
}

TEST(Evidence, PutsTheCaptionUnderThePhotoAndWrapsWhatIsTooLong) {
    const BitmapHandle overlay = Plain({30, 20, 10, 0});
    const BitmapHandle short_ = DrawEvidence(overlay.get(), {"Photo: a.jpg"});
    const BitmapHandle long_ = DrawEvidence(overlay.get(), {"Photo: a.jpg", std::string(250, 'W')});
    ASSERT_TRUE(short_ && long_);

    EXPECT_EQ(FreeImage_GetWidth(short_.get()), static_cast<unsigned>(kWidth));
    const int height = static_cast<int>(FreeImage_GetHeight(short_.get()));
    ASSERT_GT(height, kHeight);
    for (const auto& [column, row] : {std::pair{0, height - 1}, std::pair{kWidth - 1, height - kHeight}}) {
        const RGBQUAD photo = At(short_.get(), column, row);
        EXPECT_EQ(photo.rgbRed, 10) << "photo pixel " << column << "," << row;
        EXPECT_EQ(photo.rgbBlue, 30);
    }
    EXPECT_GT(InkedRows(short_.get()), 0);
    // 250 characters take three rows at 100 across: four text rows against one.
    EXPECT_GE(InkedRows(long_.get()), 4 * InkedRows(short_.get()));
}

TEST(Evidence, CaptionNamesThePhotoItsContentTheCountsAndTheSettings) {
    CountResult result;
    result.lineTotal = 20;
    result.secondLook = SecondCount{22, 18, {}, {}, {}};
    CountRecord count = RecordOfCount("/yard/stack.jpg", result, {"/etc/tamrex/Tamrex.ini", 320, 110, 24, {}, "BDLINE"},
                                      "tamrex-count", "0.1.0");
    count.facts = PhotoFacts{1234, 0, std::string(64, 'f')};
    const LoggedCorrection accepted{{0, "2024-12-08T09:00:00+01:00"}, "anna", "station-2", 22};
    std::string caption;
    for (const std::string& line : EvidenceLines(count, accepted)) caption += line + "\n";
    for (const std::string& expected :
         {std::string("/yard/stack.jpg"), std::string(64, 'f'), count.when.local, std::string("rules: 21"),
          std::string("Second look: 22"), std::string("Accepted count: 22, accepted 2024-12-08T09:00:00+01:00 by anna"),
          std::string("BDLINE=320 THRESHOLD=110 PWIDTH=24 from /etc/tamrex/Tamrex.ini (BDLINE given")}) {
        EXPECT_NE(caption.find(expected), std::string::npos) << "no '" << expected << "' in\n" << caption;
    }
}

}  // namespace
}  // namespace tamrex
