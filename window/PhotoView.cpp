#include "window/PhotoView.h"

#include <QtMath>

#include <algorithm>

namespace tamrex {

// Rounding up covers the last, partly shown photo pixel; the slack keeps a photo fitted to
// the viewport from overflowing it by a rounding error.
QSize PhotoView::ContentSize() const {
    constexpr double kSlack = 1e-6;
    return QSize(qCeil(photo.width() * zoom - kSlack), qCeil(photo.height() * zoom - kSlack));
}

QPoint PhotoView::ScrollLimit() const {
    const QSize content = ContentSize();
    return QPoint(std::max(0, content.width() - viewport.width()),
                  std::max(0, content.height() - viewport.height()));
}

QPointF PhotoView::Margin() const {
    const QSize content = ContentSize();
    return QPointF(std::max(0, viewport.width() - content.width()) / 2,
                   std::max(0, viewport.height() - content.height()) / 2);
}

QPointF PhotoView::ToPhoto(QPointF onScreen) const { return (onScreen - Margin() + scroll) / zoom; }

QPointF PhotoView::ToScreen(QPointF inPhoto) const { return inPhoto * zoom + Margin() - scroll; }

QPoint PhotoView::ScrollPutting(QPointF inPhoto, QPointF onScreen) const {
    const QPointF wanted = inPhoto * zoom + Margin() - onScreen;
    const QPoint limit = ScrollLimit();
    return QPoint(std::clamp(qRound(wanted.x()), 0, limit.x()), std::clamp(qRound(wanted.y()), 0, limit.y()));
}

double FitZoom(QSize photo, QSize viewport) {
    if (photo.isEmpty() || viewport.isEmpty()) return 1.0;
    return std::min(double(viewport.width()) / photo.width(), double(viewport.height()) / photo.height());
}

}  // namespace tamrex
