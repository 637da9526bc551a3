#include "window/PictureLoading.h"

#include "window/OverlayPicture.h"
#include "window/ReviewPhoto.h"
#include "window/ShownPicture.h"

#include <exception>

namespace tamrex {
namespace {

QString Text(const Failure& failure) { return QString::fromStdString(failure.message); }

}  // namespace

PictureLoading::PictureLoading(QObject* parent) : QObject(parent) { lane.setMaxThreadCount(1); }

PictureLoading::~PictureLoading() {
    ++asked;
    lane.waitForDone();
}

void PictureLoading::Tell(std::uint64_t serial, std::function<void()> tell) {
    QMetaObject::invokeMethod(
        this,
        [this, serial, tell = std::move(tell)] {
            if (serial == asked) tell();
        },
        Qt::QueuedConnection);
}

// A job that is no longer wanted when its turn comes does nothing. Exceptions end here,
// as failures: memory, most likely, for a photo too big for what is left.
template <typename Work>
void PictureLoading::Start(Work work) {
    const std::uint64_t serial = ++asked;
    ++pending;
    lane.start([this, serial, work] {
        if (serial == asked) {
            try {
                work(serial);
            } catch (const std::exception& error) {
                Tell(serial, [this, message = QString::fromUtf8(error.what())] {
                    emit failed(QStringLiteral("The photo could not be read again: %1.").arg(message));
                });
            }
        }
        QMetaObject::invokeMethod(this, [this] { --pending; }, Qt::QueuedConnection);
    });
}

void PictureLoading::LoadForReview(const CountResult& count, const std::optional<PhotoIdentity>& counted) {
    Start([this, count, counted](std::uint64_t serial) {
        const Expected<PhotoPyramid> preview = ReadReviewPreview(count, counted);
        if (!preview) {
            Tell(serial, [this, message = Text(preview.error())] { emit failed(message); });
            return;
        }
        if (!preview->Empty()) Tell(serial, [this, preview = *preview] { emit previewRead(preview); });
        if (serial != asked) return;
        const Expected<PhotoPyramid> photo = ReadReviewPhoto(count);
        if (!photo) {
            Tell(serial, [this, message = Text(photo.error())] { emit failed(message); });
            return;
        }
        if (preview->Empty()) {
            Tell(serial, [this, photo = *photo] { emit previewRead(photo); });
        } else {
            Tell(serial, [this, photo = *photo] { emit photoRead(photo); });
        }
    });
}

void PictureLoading::DrawOverlay(const CountResult& count) {
    Start([this, count](std::uint64_t serial) {
        const Expected<QImage> overlay = DrawOverlayPicture(count);
        if (!overlay) {
            Tell(serial, [this, message = Text(overlay.error())] { emit failed(message); });
            return;
        }
        Tell(serial, [this, shown = ShrunkToShow(*overlay)] { emit overlayDrawn(shown); });
    });
}

}  // namespace tamrex
