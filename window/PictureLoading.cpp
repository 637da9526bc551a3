#include "window/PictureLoading.h"

#include "window/OverlayPicture.h"
#include "window/ReviewPhoto.h"
#include "window/ShownPicture.h"

namespace tamrex {
namespace {

// What a job throws (memory, most likely, for a photo too big for what is left) is said as
// a failure of its own.
QString CouldNotRead(const QString& what) { return QStringLiteral("The photo could not be read again: %1.").arg(what); }

}  // namespace

PictureLoading::PictureLoading(QObject* parent) : QObject(parent) {}

void PictureLoading::Failed(std::uint64_t serial, const Failure& failure) {
    lane.Tell(serial, [this, message = QString::fromStdString(failure.message)] { emit failed(message); });
}

void PictureLoading::LoadForReview(const CountResult& count, const std::optional<PhotoIdentity>& counted) {
    lane.Start(
        [this, count, counted](std::uint64_t serial) {
            const Expected<PhotoPyramid> preview = ReadReviewPreview(count, counted);
            if (!preview) return Failed(serial, preview.error());
            if (!preview->Empty()) lane.Tell(serial, [this, preview = *preview] { emit previewRead(preview); });
            if (!lane.Wanted(serial)) return;
            const Expected<PhotoPyramid> photo = ReadReviewPhoto(count);
            if (!photo) return Failed(serial, photo.error());
            if (preview->Empty()) {
                lane.Tell(serial, [this, photo = *photo] { emit previewRead(photo); });
            } else {
                lane.Tell(serial, [this, photo = *photo] { emit photoRead(photo); });
            }
        },
        [this](const QString& what) { emit failed(CouldNotRead(what)); });
}

void PictureLoading::DrawOverlay(const CountResult& count) {
    lane.Start(
        [this, count](std::uint64_t serial) {
            const Expected<QImage> overlay = DrawOverlayPicture(count);
            if (!overlay) return Failed(serial, overlay.error());
            lane.Tell(serial, [this, shown = ShrunkToShow(*overlay)] { emit overlayDrawn(shown); });
        },
        [this](const QString& what) { emit failed(CouldNotRead(what)); });
}

}  // namespace tamrex
