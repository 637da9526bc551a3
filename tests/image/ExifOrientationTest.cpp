// EXIF orientation from APP1 payloads built entry by entry, in both byte orders, and
// from payloads crafted to lead a reader out of bounds or round in circles.
#include "image/ExifOrientation.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace tamrex {
namespace {

constexpr int kOrientationTag = 0x0112;
constexpr int kExifIfdTag = 0x8769;
constexpr int kShort = 3;
constexpr int kLong = 4;
constexpr std::uint32_t kIfd0Offset = 8;

struct Entry {
    int tag;
    int type;
    std::uint32_t count;
    std::uint32_t value;  // a SHORT sits in the first two bytes of the field
};

class Tiff {
public:
    explicit Tiff(bool bigEndian) : bigEndian_(bigEndian) {}

    std::string Short(int value) const {
        const char high = static_cast<char>(value >> 8), low = static_cast<char>(value & 0xFF);
        return bigEndian_ ? std::string{high, low} : std::string{low, high};
    }
    std::string Long(std::uint32_t value) const {
        return bigEndian_ ? Short(static_cast<int>(value >> 16)) + Short(static_cast<int>(value & 0xFFFF))
                          : Short(static_cast<int>(value & 0xFFFF)) + Short(static_cast<int>(value >> 16));
    }
    std::string Header(std::uint32_t ifd0 = kIfd0Offset) const {
        return (bigEndian_ ? std::string("MM\0*", 4) : std::string("II*\0", 4)) + Long(ifd0);
    }
    std::string Directory(const std::vector<Entry>& entries, std::uint32_t next = 0,
                          int claimedCount = -1) const {
        std::string ifd = Short(claimedCount >= 0 ? claimedCount : static_cast<int>(entries.size()));
        for (const Entry& entry : entries) {
            ifd += Short(entry.tag) + Short(entry.type) + Long(entry.count) +
                   (entry.type == kShort ? Short(static_cast<int>(entry.value)) + Short(0) : Long(entry.value));
        }
        return ifd + Long(next);
    }

private:
    bool bigEndian_;
};

std::string Exif(const std::string& tiff) { return std::string("Exif\0\0", 6) + tiff; }

std::string WithOrientation(bool bigEndian, int orientation) {
    const Tiff tiff(bigEndian);
    const Entry entry{kOrientationTag, kShort, 1, static_cast<std::uint32_t>(orientation)};
    return Exif(tiff.Header() + tiff.Directory({entry}));
}

TEST(ExifOrientation, ReadsEveryOrientationInBothByteOrders) {
    for (const bool bigEndian : {false, true}) {
        for (int orientation = 1; orientation <= 8; ++orientation) {
            EXPECT_EQ(ReadExifOrientation(WithOrientation(bigEndian, orientation)), orientation)
                << (bigEndian ? "MM " : "II ") << orientation;
        }
    }
}

TEST(ExifOrientation, FindsItAmongTheOtherEntriesOfTheMainPicture) {
    const Tiff tiff(true);
    // Make (ASCII, its text after the directory), orientation, resolution unit.
    const std::uint32_t text = kIfd0Offset + 2 + 3 * 12 + 4;
    const std::string ifd0 = tiff.Directory(
        {{0x010F, 2, 6, text}, {kOrientationTag, kShort, 1, 6}, {0x0128, kShort, 1, 2}});
    EXPECT_EQ(ReadExifOrientation(Exif(tiff.Header() + ifd0 + std::string("Phone\0", 6))), 6);
}

TEST(ExifOrientation, GivesOneWhenTheValueIsMissingOrMeaningless) {
    const Tiff tiff(false);
    EXPECT_EQ(ReadExifOrientation(Exif(tiff.Header() + tiff.Directory({{0x0128, kShort, 1, 2}}))), 1);
    for (const int outside : {0, 9, 0x7FFF, 0xFFFF}) EXPECT_EQ(ReadExifOrientation(WithOrientation(false, outside)), 1);
    EXPECT_EQ(ReadExifOrientation(Exif(tiff.Header() + tiff.Directory({{kOrientationTag, kLong, 1, 6}}))), 1);
    EXPECT_EQ(ReadExifOrientation(Exif(tiff.Header() + tiff.Directory({{kOrientationTag, kShort, 0, 6}}))), 1);
}

TEST(ExifOrientation, IgnoresTheOrientationOfTheThumbnail) {
    const Tiff tiff(false);
    const std::string ifd0 = tiff.Directory({{0x0128, kShort, 1, 2}}, kIfd0Offset + 18);
    const std::string ifd1 = tiff.Directory({{kOrientationTag, kShort, 1, 6}});
    EXPECT_EQ(ReadExifOrientation(Exif(tiff.Header() + ifd0 + ifd1)), 1);
}

TEST(ExifOrientation, SurvivesEntryCountsBeyondTheData) {
    // The 367-byte photo that crashes FreeImage's own reader claims 65535 entries.
    for (const bool bigEndian : {false, true}) {
        const Tiff tiff(bigEndian);
        const std::string claimed =
            tiff.Header() + tiff.Directory({{kOrientationTag, kShort, 1, 6}}, 0, 0xFFFF) + std::string(300, '\0');
        EXPECT_EQ(ReadExifOrientation(Exif(claimed)), 6);
        EXPECT_EQ(ReadExifOrientation(Exif(tiff.Header() + tiff.Short(0xFFFF))), 1);
    }
}

TEST(ExifOrientation, SurvivesOffsetsOutOfBoundsAndLoops) {
    const Tiff tiff(false);
    const Entry orientation{kOrientationTag, kShort, 1, 8};
    EXPECT_EQ(ReadExifOrientation(Exif(tiff.Header(0xFFFFFFF0))), 1);
    EXPECT_EQ(ReadExifOrientation(Exif(tiff.Header(60000))), 1);
    // The next directory is the directory itself, and its EXIF directory too.
    EXPECT_EQ(ReadExifOrientation(Exif(tiff.Header() + tiff.Directory({orientation}, kIfd0Offset))), 8);
    EXPECT_EQ(ReadExifOrientation(
                  Exif(tiff.Header() + tiff.Directory({orientation, {kExifIfdTag, kLong, 1, kIfd0Offset}}))),
              8);
    // A value said to lie far beyond the data.
    EXPECT_EQ(ReadExifOrientation(Exif(tiff.Header() + tiff.Directory({{kOrientationTag, kShort, 0x40000000, 6}}))),
              1);
}

TEST(ExifOrientation, GivesOneForPayloadsThatAreNoExif) {
    EXPECT_EQ(ReadExifOrientation(""), 1);
    EXPECT_EQ(ReadExifOrientation(std::string("Exif\0\0", 6)), 1);
    EXPECT_EQ(ReadExifOrientation(Exif("II*")), 1);
    EXPECT_EQ(ReadExifOrientation("not exif at all"), 1);
    EXPECT_EQ(ReadExifOrientation(WithOrientation(false, 6).substr(0, 20)), 1);  // cut inside the entry
    // Longer than any APP1 segment can be.
    EXPECT_EQ(ReadExifOrientation(WithOrientation(false, 6) + std::string(70000, '\0')), 1);
}

TEST(ExifOrientation, GivesAValidOrientationForAnyDamageToAValidPayload) {
    const Tiff tiff(false);
    const std::string valid = Exif(tiff.Header() + tiff.Directory({{0x010F, 2, 6, 50},
                                                                  {kOrientationTag, kShort, 1, 3},
                                                                  {kExifIfdTag, kLong, 1, 56}},
                                                                 0) +
                                   std::string("Phone\0", 6) + tiff.Directory({{0x9000, 7, 4, 0x30333230}}));
    std::mt19937 random(2024);
    for (int trial = 0; trial < 3000; ++trial) {
        std::string damaged = valid;
        for (int flips = 1 + trial % 4; flips > 0; --flips) {
            damaged[6 + random() % (damaged.size() - 6)] = static_cast<char>(random());
        }
        const int orientation = ReadExifOrientation(damaged);
        ASSERT_GE(orientation, 1) << "trial " << trial;
        ASSERT_LE(orientation, 8) << "trial " << trial;
    }
    EXPECT_EQ(ReadExifOrientation(valid), 3);
}

}  // namespace
}  // namespace tamrex
