#include "image/ExifOrientation.h"

#include <libexif/exif-data.h>
#include <libexif/exif-utils.h>

#include <memory>

namespace tamrex {
namespace {

// An APP1 segment holds at most 65533 bytes; anything longer is no EXIF payload.
constexpr std::size_t kLargestApp1Payload = 65533;

struct ExifDataReleaser {
    void operator()(ExifData* data) const noexcept { exif_data_unref(data); }
};

int OrientationOf(const ExifEntry* entry, ExifByteOrder order) {
    if (!entry || entry->format != EXIF_FORMAT_SHORT || entry->components < 1 || entry->size < 2 || !entry->data) {
        return kUprightAsStored;
    }
    const int orientation = exif_get_short(entry->data, order);
    return orientation >= 1 && orientation <= 8 ? orientation : kUprightAsStored;
}

}  // namespace

int ReadExifOrientation(std::string_view exifPayload) {
    if (exifPayload.size() > kLargestApp1Payload) return kUprightAsStored;
    const std::unique_ptr<ExifData, ExifDataReleaser> data(exif_data_new());
    if (!data) return kUprightAsStored;
    // Read the entries as stored: libexif's option to follow the EXIF standard would add
    // and rewrite entries, work that tells nothing about the orientation.
    exif_data_unset_option(data.get(), EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
    exif_data_load_data(data.get(), reinterpret_cast<const unsigned char*>(exifPayload.data()),
                        static_cast<unsigned int>(exifPayload.size()));
    const ExifEntry* entry = exif_content_get_entry(data->ifd[EXIF_IFD_0], EXIF_TAG_ORIENTATION);
    return OrientationOf(entry, exif_data_get_byte_order(data.get()));
}

}  // namespace tamrex
