#include "window/ReviewPhoto.h"

#include "base/Quoted.h"
#include "image/LoadPhoto.h"
#include "window/PathText.h"

#include <QImageReader>

#include <algorithm>
#include <cstring>

namespace tamrex {
namespace {

constexpr int kStripLeft = 4;  // the strip leaves out the photo's four leftmost columns
// A preview big enough for most of a screen, small enough to decode in a blink.
constexpr int kLeastPreviewSide = 900;
// Below this the photo is read whole at once: a preview would only add to the time, as
// every byte of the photo is decoded for it too.
constexpr qint64 kPreviewAbovePixels = 20'000'000;

bool FitsCount(QSize photo, const CountResult& count) {
    return photo.width() == count.stripWidth + kStripLeft && count.bandOffset >= 0 &&
           count.bandOffset + count.stripHeight <= photo.height();
}

Failure NotTheSame(const std::filesystem::path& file) {
    return Failure{"photo " + Quoted(file) + " has changed since it was counted: count it again (Enter) to review it"};
}

// The size libjpeg decodes at 1/2, 1/4 or 1/8 without a rescale after it.
QSize PreviewSize(QSize stored) {
    int shrink = 1;
    while (shrink < 8 && std::max(stored.width(), stored.height()) / (shrink * 2) >= kLeastPreviewSide) shrink *= 2;
    return QSize(std::max(1, stored.width() / shrink), std::max(1, stored.height() / shrink));
}

// The image library keeps rows bottom-up, and 24-bit pixels as blue, green, red bytes.
QImage ToQImage(FIBITMAP* photo) {
    const BitmapHandle colour(FreeImage_GetBPP(photo) == 24 ? nullptr : FreeImage_ConvertTo24Bits(photo));
    FIBITMAP* source = colour ? colour.get() : photo;
    if (FreeImage_GetBPP(source) != 24) return QImage();
    const int width = static_cast<int>(FreeImage_GetWidth(source));
    const int height = static_cast<int>(FreeImage_GetHeight(source));
    QImage image(width, height, QImage::Format_BGR888);
    if (image.isNull()) return image;
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
    for (int y = 0; y < height; ++y) std::memcpy(image.scanLine(y), FreeImage_GetScanLine(source, height - 1 - y), rowBytes);
    return image;
}

}  // namespace

Expected<PhotoPyramid> ReadReviewPreview(const CountResult& count, const std::optional<PhotoIdentity>& counted) {
    const std::filesystem::path file(count.photo);
    if (counted) {
        const Expected<PhotoIdentity> now = IdentifyPhoto(file);
        if (!now) return Fail("cannot read photo " + Quoted(file) + " again to review it: " + now.error().message);
        if (*now != *counted) return tl::unexpected(NotTheSame(file));
    }
    QImageReader reader(ToText(file));
    reader.setAutoTransform(true);  // upright, as the count sees it
    const QSize stored = reader.size();
    if (!stored.isValid())
        return Fail("cannot read photo " + Quoted(file) + " again to review it: " + reader.errorString().toStdString());
    const bool sideways = reader.transformation() & QImageIOHandler::TransformationRotate90;
    const QSize photo = sideways ? stored.transposed() : stored;
    if (!FitsCount(photo, count)) return tl::unexpected(NotTheSame(file));
    PhotoPyramid pyramid(photo);
    if (qint64(stored.width()) * stored.height() <= kPreviewAbovePixels) return pyramid;
    reader.setScaledSize(PreviewSize(stored));
    const QImage preview = reader.read();
    if (preview.isNull())
        return Fail("cannot read photo " + Quoted(file) + " again to review it: " + reader.errorString().toStdString());
    pyramid.Add(preview);
    return pyramid;
}

Expected<PhotoPyramid> ReadReviewPhoto(const CountResult& count) {
    const std::filesystem::path file(count.photo);
    const Expected<LoadedPhoto> loaded = LoadJpeg(file);
    if (!loaded) return Fail("cannot read photo " + Quoted(file) + " again to review it: " + loaded.error().message);
    const QImage photo = ToQImage(loaded->bitmap.get());
    if (photo.isNull()) return Fail("not enough memory to review photo " + Quoted(file) + ": close other programs");
    if (!FitsCount(photo.size(), count)) return tl::unexpected(NotTheSame(file));
    return PhotoPyramid::Of(photo);
}

}  // namespace tamrex
