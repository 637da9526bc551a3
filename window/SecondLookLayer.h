#pragma once

#include "look/SecondLook.h"
#include "window/ReviewLayer.h"

#include <QColor>

#include <optional>

namespace tamrex {

// The style of the second look, apart from every colour a pass of the rules uses:
// white dashes on a dark edge, readable on light boards and dark seams alike.
inline const QColor kSecondLookColour(255, 255, 255);

// The seams the second look followed across the photo, as polylines, and the stack's
// edges it found, dotted: a person sees at once where the two counts part.
class SecondLookLayer : public ReviewLayer {
public:
    // `photoHeight` turns the second look's bottom-up rows into the image's top-down ones.
    SecondLookLayer(std::optional<SecondCount> second, int photoHeight)
        : second(std::move(second)), photoHeight(photoHeight) {}

    // What another look found instead, or nothing when it found no stack.
    void Show(std::optional<SecondCount> found) { second = std::move(found); }

    void Paint(QPainter& painter, const PhotoView& view) const override;

private:
    void PaintPolyline(QPainter& painter, const PhotoView& view, const std::vector<SeamPoint>& points,
                       Qt::PenStyle style) const;

    std::optional<SecondCount> second;
    int photoHeight;
};

}  // namespace tamrex
