#pragma once

#include "window/LineEdits.h"
#include "window/ReviewLayer.h"

#include <QColor>
#include <QRect>
#include <QRectF>

namespace tamrex {

// The colour of a line drawn by the pass of the count that found it, or by hand.
QColor LineColour(int pass);

// Where a line lies on screen: across the strip's columns, its rows, at least a few pixels
// high, so that a one-row line stays visible and easy to hit when zoomed out.
QRectF LineOnScreen(const ReviewLine& line, const QRect& strip, const PhotoView& view);

// The lines of the count under correction, each in its pass's colour and numbered from the
// bottom as the overlay numbers them, and the strip they were found in, framed.
class CountLinesLayer : public ReviewLayer {
public:
    // `strip` in photo pixels; the edits are read at every paint.
    CountLinesLayer(const LineEdits& edits, const QRect& strip) : edits(edits), strip(strip) {}

    void Paint(QPainter& painter, const PhotoView& view) const override;
    // Hidden, the photo shows as it is.
    void SetShown(bool show) { shown = show; }
    bool Shown() const { return shown; }

private:
    static void PaintLine(QPainter& painter, const QRectF& line, const QColor& colour);
    void PaintStripFrame(QPainter& painter, const PhotoView& view) const;
    void PaintNumbers(QPainter& painter, const PhotoView& view) const;

    const LineEdits& edits;
    const QRect strip;
    bool shown = true;
};

}  // namespace tamrex
