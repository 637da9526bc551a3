#include "window/OverlayPicture.h"

#include "overlay/LineOverlay.h"
#include "window/QtPicture.h"

namespace tamrex {

Expected<QImage> DrawOverlayPicture(const CountResult& result) {
    const Expected<BitmapHandle> overlay = ReloadWithLines(result);
    if (!overlay) return tl::unexpected(overlay.error());
    QImage image = ToQImage(overlay->get());
    if (image.isNull()) return Fail("not enough memory to show the lines over '" + result.photo + "'");
    return image;
}

}  // namespace tamrex
