#include "image/RowBits.h"
#include "tests/fixtures/OneBitPicture.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace tamrex {
namespace {

int LightByPixel(FIBITMAP* picture, int y, int from, int to) {
    int light = 0;
    for (int x = from; x < to; ++x) {
        BYTE index = 0;
        FreeImage_GetPixelIndex(picture, static_cast<unsigned>(x), static_cast<unsigned>(y), &index);
        light += index;
    }
    return light;
}

BitmapHandle RandomPicture(std::mt19937& random, int width, int height) {
    BitmapHandle picture = testing::LightPicture(width, height);
    const unsigned pitch = FreeImage_GetPitch(picture.get());
    for (int y = 0; y < height; ++y) {
        BYTE* row = FreeImage_GetScanLine(picture.get(), y);
        for (unsigned byte = 0; byte < pitch; ++byte) row[byte] = static_cast<BYTE>(random());  // padding too
    }
    return picture;
}

TEST(RowBits, CountsMatchPixelByPixelReadsForEveryRangeAndWidth) {
    std::mt19937 random(7);
    for (int width = 1; width <= 140; ++width) {
        BitmapHandle picture = RandomPicture(random, width, 2);
        for (int from = 0; from <= width; ++from) {
            for (int to : {from, from + 1, width, (from + width) / 2}) {
                if (to < from || to > width) continue;
                ASSERT_EQ(CountLightPixels(OneBitRows(picture.get()), 1, from, to), LightByPixel(picture.get(), 1, from, to))
                    << "width " << width << " columns " << from << ".." << to;
                ASSERT_EQ(CountDarkPixels(OneBitRows(picture.get()), 1, from, to),
                          (to - from) - LightByPixel(picture.get(), 1, from, to));
            }
        }
    }
}

TEST(RowBits, FillRowSetsExactlyTheColumnsOfOneRow) {
    std::mt19937 random(11);
    for (int width : {1, 5, 8, 13, 31, 32, 33, 64, 100}) {
        for (bool light : {false, true}) {
            BitmapHandle picture = RandomPicture(random, width, 3);
            const unsigned pitch = FreeImage_GetPitch(picture.get());
            std::vector<BYTE> before(pitch * 3);
            for (int y = 0; y < 3; ++y) std::copy_n(FreeImage_GetScanLine(picture.get(), y), pitch, &before[y * pitch]);
            FillRow(OneBitRows(picture.get()), 1, width, light);
            EXPECT_EQ(LightByPixel(picture.get(), 1, 0, width), light ? width : 0) << width;
            for (int y = 0; y < 3; ++y) {
                const BYTE* row = FreeImage_GetScanLine(picture.get(), y);
                for (unsigned byte = 0; byte < pitch; ++byte) {
                    const int firstPaddingBit = y == 1 ? std::max(0, width - static_cast<int>(byte) * 8) : 0;
                    const BYTE untouched = y == 1 ? static_cast<BYTE>(firstPaddingBit >= 8 ? 0 : 0xFFu >> firstPaddingBit) : 0xFF;
                    EXPECT_EQ(row[byte] & untouched, before[y * pitch + byte] & untouched)
                        << "width " << width << " row " << y << " byte " << byte;
                }
            }
        }
    }
}

}  // namespace
}  // namespace tamrex
