#include "window/SecondLookLayer.h"

#include "window/PhotoView.h"

#include <QPainter>
#include <QPolygonF>

namespace tamrex {

void SecondLookLayer::PaintPolyline(QPainter& painter, const PhotoView& view, const std::vector<SeamPoint>& points,
                                    Qt::PenStyle style) const {
    QPolygonF line;
    for (const SeamPoint& point : points)
        line << view.ToScreen(QPointF(point.column + 0.5, photoHeight - 1 - point.row + 0.5));
    painter.setPen(QPen(QColor(0, 0, 0, 160), 3.0, Qt::SolidLine, Qt::RoundCap));
    painter.drawPolyline(line);
    painter.setPen(QPen(kSecondLookColour, 2.0, style, Qt::RoundCap));
    painter.drawPolyline(line);
}

void SecondLookLayer::Paint(QPainter& painter, const PhotoView& view) const {
    if (!second) return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    for (const std::vector<SeamPoint>& seam : second->seams) PaintPolyline(painter, view, seam, Qt::DashLine);
    PaintPolyline(painter, view, second->topEdge, Qt::DotLine);
    PaintPolyline(painter, view, second->bottomEdge, Qt::DotLine);
    painter.restore();
}

}  // namespace tamrex
