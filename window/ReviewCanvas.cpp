#include "window/ReviewCanvas.h"

#include "window/CountLinesLayer.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QWheelEvent>
#include <QtMath>

#include <algorithm>
#include <cmath>
#include <utility>

namespace tamrex {
namespace {

constexpr double kZoomStep = 1.25;
constexpr double kMostZoom = 16;
constexpr double kReachPixels = 3;  // how near a click must come to a line to take it
constexpr int kCursorMargin = 40;   // screen pixels kept between the cursor and the edge
const QColor kBackground(64, 64, 64);
const QColor kCursorColour(255, 0, 0);  // the pass colours never use pure red
const QColor kFrameColour(255, 255, 0);
const QColor kOutsideFrame(0, 0, 0, 110);  // what the frame leaves out, darkened

QString LineName(std::size_t index, const ReviewLine& line) {
    const QString number = QString::number(index + 1);
    if (line.pass == kHandDrawn) return QStringLiteral("line %1 (drawn by hand)").arg(number);
    return QStringLiteral("line %1 (found by pass %2)").arg(number).arg(line.pass);
}

}  // namespace

ReviewCanvas::ReviewCanvas(const PhotoPyramid& photo, LineEdits& edits, const QRect& strip, QWidget* parent)
    : QAbstractScrollArea(parent), photo(photo), photoSize(photo.PhotoSize()), edits(edits), strip(strip) {
    setObjectName(QStringLiteral("ReviewCanvas"));
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    horizontalScrollBar()->setSingleStep(20);
    verticalScrollBar()->setSingleStep(20);
}

void ReviewCanvas::ShowPhoto(const PhotoPyramid& sharper) {
    if (sharper.PhotoSize() != photoSize || sharper.Empty()) return;
    photo = sharper;
    viewport()->update();
}

void ReviewCanvas::SetFrame(std::optional<QRect> shown) {
    frame = shown;
    viewport()->update();
}

void ReviewCanvas::AddLayer(std::unique_ptr<ReviewLayer> layer) {
    layers.push_back(std::move(layer));
    viewport()->update();
}

PhotoView ReviewCanvas::View() const {
    return PhotoView{photoSize, viewport()->size(), zoom,
                     QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value())};
}

void ReviewCanvas::ZoomIn() {
    fitting = false;
    SetZoom(zoom * kZoomStep, QRectF(viewport()->rect()).center());
}

void ReviewCanvas::ZoomOut() {
    fitting = false;
    SetZoom(zoom / kZoomStep, QRectF(viewport()->rect()).center());
}

void ReviewCanvas::FitToWindow() {
    fitting = true;
    SetZoom(FitZoom(photoSize, viewport()->size()), QRectF(viewport()->rect()).center());
}

void ReviewCanvas::ShowActualSize() {
    fitting = false;
    SetZoom(1.0, QRectF(viewport()->rect()).center());
}

// Zooming out stops where the whole photo shows, or at its own size for a photo that is
// smaller than the window.
double ReviewCanvas::LeastZoom() const { return std::min(1.0, FitZoom(photoSize, viewport()->size())); }

// The photo point under the anchor stays under it.
void ReviewCanvas::SetZoom(double wanted, QPointF anchorOnScreen) {
    const QPointF anchorInPhoto = View().ToPhoto(anchorOnScreen);
    double changed = std::min(wanted, kMostZoom);
    if (!fitting) changed = std::max(changed, LeastZoom());
    zoom = changed;
    UpdateScrollRanges();
    const QPoint scroll = View().ScrollPutting(anchorInPhoto, anchorOnScreen);
    horizontalScrollBar()->setValue(scroll.x());
    verticalScrollBar()->setValue(scroll.y());
    viewport()->update();
    emit zoomChanged(zoom);
}

void ReviewCanvas::UpdateScrollRanges() {
    const PhotoView now = View();
    const QPoint limit = now.ScrollLimit();
    horizontalScrollBar()->setRange(0, limit.x());
    verticalScrollBar()->setRange(0, limit.y());
    horizontalScrollBar()->setPageStep(now.viewport.width());
    verticalScrollBar()->setPageStep(now.viewport.height());
}

void ReviewCanvas::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    if (fitting) {
        FitToWindow();
    } else {
        UpdateScrollRanges();
    }
}

void ReviewCanvas::scrollContentsBy(int, int) { viewport()->update(); }

void ReviewCanvas::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), kBackground);
    PaintPhoto(painter, viewport()->rect());
    const PhotoView now = View();
    for (const std::unique_ptr<ReviewLayer>& layer : layers) layer->Paint(painter, now);
    PaintFrame(painter);
    PaintPointerTarget(painter);
    PaintCursor(painter);
}

// Drawn from the smallest copy of the photo at least as big as the view needs, and only
// the part on screen, so that zooming out costs no more than zooming in. Enlarged pixel
// for pixel once the photo itself is there, smoothed while only a shrunk copy is.
void ReviewCanvas::PaintPhoto(QPainter& painter, const QRect& area) const {
    if (photo.Empty()) return;
    const PhotoView now = View();
    const QImage& copy = photo.ForZoom(zoom);
    const double scale = double(copy.width()) / photoSize.width();
    const QPointF first = now.ToPhoto(area.topLeft());
    const QPointF last = now.ToPhoto(area.bottomRight() + QPoint(1, 1));
    const QRectF inPhoto = QRectF(QPointF(qFloor(first.x()), qFloor(first.y())), QPointF(qCeil(last.x()), qCeil(last.y())))
                               .intersected(QRectF(QPointF(0, 0), QSizeF(photoSize)));
    if (inPhoto.isEmpty()) return;
    const QRectF target(now.ToScreen(inPhoto.topLeft()), now.ToScreen(inPhoto.bottomRight()));
    const QRectF source(inPhoto.topLeft() * scale, inPhoto.bottomRight() * scale);
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, zoom < 1 || copy.size() != photoSize);
    painter.drawImage(target, copy, source);
    painter.restore();
}

// What a click would hit: the line it would take away, outlined, or where it would add one.
void ReviewCanvas::PaintPointerTarget(QPainter& painter) const {
    if (!pointer || pressedAt) return;
    const std::optional<int> row = PhotoRowAt(*pointer);
    if (!row) return;
    const PhotoView now = View();
    if (const std::optional<std::size_t> line = edits.LineNear(*row, ReachInRows())) {
        painter.setPen(QPen(kCursorColour, 2, Qt::DashLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(LineOnScreen(edits.Lines()[*line], strip, now).adjusted(-2, -2, 2, 2));
        return;
    }
    QColor ghost = LineColour(kHandDrawn);
    ghost.setAlpha(128);
    painter.fillRect(LineOnScreen({{*row, *row}, kHandDrawn}, strip, now), ghost);
}

void ReviewCanvas::PaintCursor(QPainter& painter) const {
    if (!cursorRow) return;
    const PhotoView now = View();
    const double y = now.ToScreen(QPointF(0, *cursorRow + 0.5)).y();
    const double left = now.ToScreen(QPointF(0, 0)).x();
    const double right = now.ToScreen(QPointF(photoSize.width(), 0)).x();
    painter.setPen(QPen(kCursorColour, 1));
    painter.drawLine(QPointF(left, y), QPointF(right, y));
    painter.setBrush(kCursorColour);
    const QPointF marker[] = {{left, y - 6}, {left + 9, y}, {left, y + 6}};
    painter.drawPolygon(marker, 3);
}

// What lies outside the frame is darkened, so that what the second look reads stands out.
void ReviewCanvas::PaintFrame(QPainter& painter) const {
    if (!frame) return;
    const PhotoView now = View();
    const QRectF inside(now.ToScreen(QPointF(frame->topLeft())), now.ToScreen(QPointF(frame->bottomRight() + QPoint(1, 1))));
    const QRectF photoOnScreen(now.ToScreen(QPointF(0, 0)), now.ToScreen(QPointF(photoSize.width(), photoSize.height())));
    QPainterPath outside;
    outside.addRect(photoOnScreen);
    outside.addRect(inside);  // odd-even filling leaves the frame's inside out
    painter.save();
    painter.fillPath(outside, kOutsideFrame);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(0, 0, 0), 3));
    painter.drawRect(inside);
    painter.setPen(QPen(kFrameColour, 1.5, Qt::DashLine));
    painter.drawRect(inside);
    painter.restore();
}

// The photo pixels the drag between the two points covers, within the photo.
QRect ReviewCanvas::FrameBetween(QPointF one, QPointF other) const {
    const PhotoView now = View();
    const QPointF a = now.ToPhoto(one), b = now.ToPhoto(other);
    const QPoint topLeft(qFloor(std::min(a.x(), b.x())), qFloor(std::min(a.y(), b.y())));
    const QPoint beyond(qCeil(std::max(a.x(), b.x())), qCeil(std::max(a.y(), b.y())));
    return QRect(topLeft, beyond - QPoint(1, 1)).intersected(QRect(QPoint(0, 0), photoSize));
}

int ReviewCanvas::ReachInRows() const { return static_cast<int>(kReachPixels / zoom); }

std::optional<int> ReviewCanvas::PhotoRowAt(QPointF onScreen) const {
    const QPointF inPhoto = View().ToPhoto(onScreen);
    if (inPhoto.x() < 0 || inPhoto.y() < 0 || inPhoto.x() >= photoSize.width() || inPhoto.y() >= photoSize.height())
        return std::nullopt;
    return qFloor(inPhoto.y());
}

void ReviewCanvas::EditAt(int row) {
    if (const std::optional<std::size_t> line = edits.LineNear(row, ReachInRows())) {
        RemoveLine(*line);
    } else {
        AddLine(row);
    }
}

void ReviewCanvas::RemoveLine(std::size_t index) {
    const QString name = LineName(index, edits.Lines()[index]);
    edits.Remove(index);
    Edited(QStringLiteral("Took away %1.").arg(name));
}

void ReviewCanvas::AddLine(int row) {
    if (edits.AddAt(row)) Edited(QStringLiteral("Added a line at row %1.").arg(row));
}

void ReviewCanvas::Edited(const QString& what) {
    viewport()->update();
    emit hint(what);
    emit edited();
}

void ReviewCanvas::DescribeTarget(QPointF onScreen) {
    const std::optional<int> row = PhotoRowAt(onScreen);
    if (!row) {
        emit hint(QString());
        return;
    }
    if (const std::optional<std::size_t> line = edits.LineNear(*row, ReachInRows())) {
        emit hint(QStringLiteral("A click takes away %1.").arg(LineName(*line, edits.Lines()[*line])));
    } else {
        emit hint(QStringLiteral("A click adds a line at row %1.").arg(*row));
    }
}

void ReviewCanvas::wheelEvent(QWheelEvent* event) {
    const double notches = event->angleDelta().y() / 120.0;
    if (notches == 0) return;
    fitting = false;
    SetZoom(zoom * std::pow(kZoomStep, notches), event->position());
    event->accept();
}

void ReviewCanvas::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton && event->button() != Qt::MiddleButton) return;
    pressedAt = event->position();
    scrollAtPress = QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
    panning = false;
    framing = event->button() == Qt::LeftButton && (event->modifiers() & Qt::ShiftModifier);
    if (framing) framedBefore = frame;
    viewport()->update();
}

void ReviewCanvas::mouseMoveEvent(QMouseEvent* event) {
    const QPointF at = event->position();
    if (!pressedAt) {
        pointer = at;
        DescribeTarget(at);
        viewport()->update();
        return;
    }
    const QPoint moved = (at - *pressedAt).toPoint();
    if (!panning && moved.manhattanLength() < QApplication::startDragDistance()) return;
    panning = true;
    if (framing) {
        frame = FrameBetween(*pressedAt, at);
        viewport()->update();
        return;
    }
    viewport()->setCursor(Qt::ClosedHandCursor);
    horizontalScrollBar()->setValue(scrollAtPress.x() - moved.x());
    verticalScrollBar()->setValue(scrollAtPress.y() - moved.y());
}

// A press and release without a drag in between is a click, at the row it was pressed on.
void ReviewCanvas::mouseReleaseEvent(QMouseEvent* event) {
    if (!pressedAt) return;
    const bool click = !panning && event->button() == Qt::LeftButton;
    const QPointF at = *pressedAt;
    pressedAt.reset();
    const bool drewFrame = std::exchange(framing, false) && panning;
    panning = false;
    viewport()->unsetCursor();
    if (drewFrame) {
        EndFraming(at, event->position());
        return;
    }
    if (!click) return;
    if (const std::optional<int> row = PhotoRowAt(at)) EditAt(*row);
}

// A frame with nothing inside it is no frame: the one before stays.
void ReviewCanvas::EndFraming(QPointF from, QPointF to) {
    const QRect drawn = FrameBetween(from, to);
    if (drawn.isEmpty()) {
        SetFrame(framedBefore);
        return;
    }
    SetFrame(drawn);
    emit framed(drawn);
}

void ReviewCanvas::leaveEvent(QEvent* event) {
    pointer.reset();
    viewport()->update();
    QAbstractScrollArea::leaveEvent(event);
}

void ReviewCanvas::keyPressEvent(QKeyEvent* event) {
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    switch (event->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
            MoveCursor(event->key(), shift);
            break;
        case Qt::Key_Delete:
        case Qt::Key_Backspace:
            EditAtCursor(false);
            break;
        case Qt::Key_Insert:
            EditAtCursor(true);
            break;
        default:
            QAbstractScrollArea::keyPressEvent(event);
            return;
    }
    event->accept();
}

// The first Up starts at the foot of the strip, the first Down at its head.
void ReviewCanvas::MoveCursor(int key, bool oneRow) {
    const bool up = key == Qt::Key_Up;
    std::optional<int> next;
    if (oneRow) {
        const int from = cursorRow.value_or(edits.Strip().Middle());
        next = std::clamp(from + (up ? -1 : 1), 0, photoSize.height() - 1);
    } else {
        const int from = cursorRow.value_or(up ? edits.Strip().bottom + 1 : edits.Strip().top - 1);
        next = up ? edits.StopAbove(from) : edits.StopBelow(from);
    }
    if (!next) {
        emit hint(up ? QStringLiteral("Nothing more to stop at above.")
                     : QStringLiteral("Nothing more to stop at below."));
        return;
    }
    cursorRow = next;
    ShowRow(*next);
    if (const std::optional<std::size_t> line = edits.LineNear(*next, 0)) {
        const QString name = LineName(*line, edits.Lines()[*line]);
        emit hint(QStringLiteral("The cursor is on %1: Delete takes it away.").arg(name));
    } else {
        emit hint(QStringLiteral("The cursor is at row %1: Insert adds a line there.").arg(*next));
    }
    viewport()->update();
}

void ReviewCanvas::EditAtCursor(bool add) {
    if (!cursorRow) {
        emit hint(QStringLiteral("Move the cursor with Up and Down first."));
        return;
    }
    const std::optional<std::size_t> line = edits.LineNear(*cursorRow, 0);
    if (add && !line) {
        AddLine(*cursorRow);
    } else if (!add && line) {
        RemoveLine(*line);
    } else {
        emit hint(add ? QStringLiteral("A line is under the cursor already.")
                      : QStringLiteral("No line under the cursor to take away."));
    }
}

// Scrolls just enough to bring the row onto the screen, clear of its edges.
void ReviewCanvas::ShowRow(int row) {
    const PhotoView now = View();
    const double y = now.ToScreen(QPointF(0, row + 0.5)).y();
    const int height = now.viewport.height();
    const int margin = std::min(kCursorMargin, height / 2);
    if (y < margin) {
        verticalScrollBar()->setValue(verticalScrollBar()->value() - qCeil(margin - y));
    } else if (y > height - margin) {
        verticalScrollBar()->setValue(verticalScrollBar()->value() + qCeil(y - (height - margin)));
    }
}

}  // namespace tamrex
