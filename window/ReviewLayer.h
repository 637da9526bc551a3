#pragma once

class QPainter;

namespace tamrex {

struct PhotoView;

// Something the review window draws over the photo. The count being corrected is one; an
// independent count's seams, drawn as polylines in a style of their own, can be another
// without the canvas knowing what either is.
class ReviewLayer {
public:
    virtual ~ReviewLayer() = default;
    // Draws in viewport coordinates: the view maps photo pixels to them.
    virtual void Paint(QPainter& painter, const PhotoView& view) const = 0;
};

}  // namespace tamrex
