#include "window/CountLinesLayer.h"

#include "overlay/LineOverlay.h"
#include "window/PhotoView.h"

#include <QFontMetrics>
#include <QPainter>
#include <QtMath>

#include <algorithm>
#include <climits>

namespace tamrex {
namespace {

constexpr double kThinnestLine = 3;  // screen pixels
constexpr double kEdge = 1.5;        // screen pixels of solid colour along a wide line's edges
constexpr double kSolidUpTo = 8;     // screen pixels: a line no higher hides next to nothing
constexpr int kWideFillAlpha = 80;   // a wide line's body lets the photo show through
constexpr int kMostLanes = 8;
// Bluish green: of the colour-blind-safe palette the pass colours come from, the hue
// none of them uses, so that a hand-drawn line never passes for a counted one.
const QColor kHandColour(0, 158, 115);

QFont NumberFont() {
    QFont font;
    font.setPixelSize(11);
    font.setBold(true);
    return font;
}

double MiddleOnScreen(const ReviewLine& line, const QRect& strip, const PhotoView& view) {
    return LineOnScreen(line, strip, view).center().y();
}

// Labels of lines closer together on screen than a label is tall go side by side, in lanes.
int LanesFor(const std::vector<ReviewLine>& lines, const QRect& strip, const PhotoView& view,
             double labelHeight, int mostLanes) {
    double closest = INT_MAX;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        closest = std::min(closest, std::abs(MiddleOnScreen(lines[i], strip, view) -
                                             MiddleOnScreen(lines[i - 1], strip, view)));
    }
    if (closest >= labelHeight) return 1;
    return std::clamp(qCeil(labelHeight / std::max(closest, 1.0)), 1, std::max(mostLanes, 1));
}

}  // namespace

QColor LineColour(int pass) {
    if (pass < 1 || pass > 4) return kHandColour;
    const Rgb colour = PassColour(pass);
    return QColor(colour.red, colour.green, colour.blue);
}

QRectF LineOnScreen(const ReviewLine& line, const QRect& strip, const PhotoView& view) {
    const QPointF topLeft = view.ToScreen(QPointF(strip.left(), line.rows.top));
    const QPointF bottomRight = view.ToScreen(QPointF(strip.left() + strip.width(), line.rows.bottom + 1));
    QRectF rect(topLeft, bottomRight);
    if (rect.height() < kThinnestLine) {
        const double middle = rect.center().y();
        rect.setTop(middle - kThinnestLine / 2);
        rect.setHeight(kThinnestLine);
    }
    return rect;
}

void CountLinesLayer::Paint(QPainter& painter, const PhotoView& view) const {
    if (!shown) return;
    PaintStripFrame(painter, view);
    for (const ReviewLine& line : edits.Lines()) PaintLine(painter, LineOnScreen(line, strip, view), LineColour(line.pass));
    PaintNumbers(painter, view);
}

// A line a few pixels high is drawn solid; a wider one, such as a band of rows a tilted
// seam crosses, in outline with its body tinted, so that the seam under it shows.
void CountLinesLayer::PaintLine(QPainter& painter, const QRectF& line, const QColor& colour) {
    if (line.height() <= kSolidUpTo) {
        painter.fillRect(line, colour);
        return;
    }
    QColor tint = colour;
    tint.setAlpha(kWideFillAlpha);
    painter.fillRect(line.adjusted(0, kEdge, 0, -kEdge), tint);
    painter.fillRect(QRectF(line.left(), line.top(), line.width(), kEdge), colour);
    painter.fillRect(QRectF(line.left(), line.bottom() - kEdge, line.width(), kEdge), colour);
}

// Black and white dashes, so that the frame shows on light boards and dark gaps alike.
void CountLinesLayer::PaintStripFrame(QPainter& painter, const PhotoView& view) const {
    const QRectF frame(view.ToScreen(QPointF(strip.left(), strip.top())),
                       view.ToScreen(QPointF(strip.left() + strip.width(), strip.top() + strip.height())));
    painter.save();
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::black, 1));
    painter.drawRect(frame);
    QPen dashes(Qt::white, 1, Qt::CustomDashLine);
    dashes.setDashPattern({4, 4});
    painter.setPen(dashes);
    painter.drawRect(frame);
    painter.restore();
}

void CountLinesLayer::PaintNumbers(QPainter& painter, const PhotoView& view) const {
    const std::vector<ReviewLine>& lines = edits.Lines();
    painter.save();
    painter.setFont(NumberFont());
    const QFontMetrics metrics(painter.font());
    const double height = metrics.height() + 2;
    const double laneWidth = metrics.horizontalAdvance(QString::number(lines.size())) + 8;
    const double stripOnScreen = strip.width() * view.zoom;
    const int mostLanes = std::min(kMostLanes, int(stripOnScreen / 3 / laneWidth));
    const int lanes = LanesFor(lines, strip, view, height + 1, mostLanes);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const QString number = QString::number(i + 1);
        const QRectF line = LineOnScreen(lines[i], strip, view);
        // Zoomed in and panned, the strip's left end is off screen: the numbers keep to the edge.
        const double left = std::max(line.left(), 0.0);
        const QRectF label(left + 4 + double(i % lanes) * laneWidth, line.center().y() - height / 2,
                           metrics.horizontalAdvance(number) + 6, height);
        painter.fillRect(label, LineColour(lines[i].pass));
        painter.setPen(Qt::black);
        painter.drawText(label, Qt::AlignCenter, number);
    }
    painter.restore();
}

}  // namespace tamrex
