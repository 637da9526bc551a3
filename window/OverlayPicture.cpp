#include "window/OverlayPicture.h"

#include "image/ImageLibrary.h"
#include "overlay/LineOverlay.h"
#include "window/PathText.h"

namespace tamrex {
namespace {

// The image library keeps 24-bit pixels as blue, green, red bytes and its rows bottom-up.
QImage ToQImage(FIBITMAP* picture) {
    const QImage view(FreeImage_GetBits(picture), static_cast<int>(FreeImage_GetWidth(picture)),
                      static_cast<int>(FreeImage_GetHeight(picture)),
                      static_cast<qsizetype>(FreeImage_GetPitch(picture)), QImage::Format_BGR888);
    return view.mirrored();  // a copy: the view dies with the bitmap
}

}  // namespace

OverlayPicture DrawOverlayPicture(const CountResult& result) {
    const std::filesystem::path photo(result.photo);
    const QString name = ToText(photo);
    const LoadedPhoto loaded = LoadJpeg(photo);
    if (!loaded.bitmap) {
        return {{}, QStringLiteral("Cannot read '%1' again to draw its lines: %2")
                        .arg(name, QString::fromStdString(loaded.error))};
    }
    const BitmapHandle overlay = DrawLineOverlay(loaded.bitmap.get(), result);
    if (!overlay) {
        return {{}, QStringLiteral("Cannot draw the lines over '%1': it has changed since it was "
                                   "counted, or memory ran out. Count it again to see its lines.")
                        .arg(name)};
    }
    QImage image = ToQImage(overlay.get());
    if (image.isNull())
        return {{}, QStringLiteral("Not enough memory to show the lines over '%1'.").arg(name)};
    return {image, {}};
}

}  // namespace tamrex
