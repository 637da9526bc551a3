#pragma once

#include <QPoint>
#include <QPointF>
#include <QSize>

namespace tamrex {

// Where a photo lies in a scrolled viewport: drawn `zoom` times its size, moved by the
// scroll bars, centred while it is smaller than the viewport.
struct PhotoView {
    QSize photo;
    QSize viewport;
    double zoom = 1.0;
    QPoint scroll;  // the values of the horizontal and vertical scroll bars

    QSize ContentSize() const;  // the photo at this zoom, in whole screen pixels
    QPoint ScrollLimit() const;  // the largest scroll bar values
    QPointF ToPhoto(QPointF onScreen) const;
    QPointF ToScreen(QPointF inPhoto) const;
    // The scroll bar values that bring `inPhoto` to `onScreen`, kept within their range.
    QPoint ScrollPutting(QPointF inPhoto, QPointF onScreen) const;

private:
    QPointF Margin() const;
};

// The zoom that shows the whole photo in the viewport.
double FitZoom(QSize photo, QSize viewport);

}  // namespace tamrex
