#include "window/CountedPhoto.h"

#include "base/Quoted.h"
#include "image/LoadPhoto.h"
#include "window/QtPicture.h"

namespace tamrex {
namespace {

constexpr int kStripLeft = 4;  // the strip leaves out the photo's four leftmost columns

bool FitsCount(const QImage& photo, const CountResult& count) {
    return photo.width() == count.stripWidth + kStripLeft && count.bandOffset >= 0 &&
           count.bandOffset + count.stripHeight <= photo.height();
}

}  // namespace

Expected<QImage> LoadCountedPhoto(const CountResult& count) {
    const std::filesystem::path file(count.photo);
    const Expected<LoadedPhoto> loaded = LoadJpeg(file);
    if (!loaded) return Fail("cannot read photo " + Quoted(file) + " again to review it: " + loaded.error().message);
    const BitmapHandle colour(FreeImage_ConvertTo24Bits(loaded->bitmap.get()));
    const QImage photo = colour ? ToQImage(colour.get()) : QImage();
    if (photo.isNull()) return Fail("not enough memory to review photo " + Quoted(file) + ": close other programs");
    if (!FitsCount(photo, count))
        return Fail("photo " + Quoted(file) + " is no longer the size it was counted at: count it again");
    return photo;
}

}  // namespace tamrex
