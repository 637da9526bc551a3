#pragma once

#include "window/LineEdits.h"
#include "window/PhotoPyramid.h"
#include "window/PhotoView.h"
#include "window/ReviewLayer.h"

#include <QAbstractScrollArea>
#include <QPointF>
#include <QRect>

#include <memory>
#include <optional>
#include <vector>

namespace tamrex {

// The photo at full resolution, zoomed and panned, with its layers drawn over it; a click
// on a line of the count takes it away, a click elsewhere on the photo adds one at that row.
//
// Mouse: the wheel zooms about the pointer, a drag pans (as do the scroll bars), a drag
// with Shift held frames the stack, a click edits. Keys: Up and Down move a cursor line from line to gap to line (Shift: one photo
// row), Delete or Backspace removes the line under it, Insert adds one at it.
class ReviewCanvas : public QAbstractScrollArea {
    Q_OBJECT

public:
    // `strip` in photo pixels: where the cursor starts and what it walks. The edits
    // outlive the canvas. Shows what `photo` holds, at the photo's size, until ShowPhoto.
    ReviewCanvas(const PhotoPyramid& photo, LineEdits& edits, const QRect& strip, QWidget* parent = nullptr);

    // A sharper copy of the same photo, or the photo itself.
    void ShowPhoto(const PhotoPyramid& sharper);
    bool Sharp() const { return photo.Sharp(); }
    const PhotoPyramid& Photo() const { return photo; }

    // Drawn in the order added, over the photo.
    void AddLayer(std::unique_ptr<ReviewLayer> layer);

    double Zoom() const { return zoom; }
    PhotoView View() const;
    std::optional<int> CursorRow() const { return cursorRow; }

    // The frame a Shift+drag drew around the stack, in pixels of the photo, if there is one.
    std::optional<QRect> Frame() const { return frame; }
    void SetFrame(std::optional<QRect> shown);

    void ZoomIn();
    void ZoomOut();
    void FitToWindow();  // and keep fitting as the window is resized, until zoomed
    void ShowActualSize();  // one photo pixel to one screen pixel

signals:
    void edited();
    // What a click would do where the pointer is, or what the last key did.
    void hint(const QString& text);
    void zoomChanged(double zoom);
    // A Shift+drag drew a new frame.
    void framed(const QRect& frame);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void SetZoom(double zoom, QPointF anchorOnScreen);
    void UpdateScrollRanges();
    void PaintPhoto(QPainter& painter, const QRect& area) const;
    void PaintPointerTarget(QPainter& painter) const;
    void PaintCursor(QPainter& painter) const;
    void PaintFrame(QPainter& painter) const;
    QRect FrameBetween(QPointF one, QPointF other) const;
    void EndFraming(QPointF from, QPointF to);
    double LeastZoom() const;
    int ReachInRows() const;
    std::optional<int> PhotoRowAt(QPointF onScreen) const;
    void EditAt(int row);
    void RemoveLine(std::size_t index);
    void AddLine(int row);
    void Edited(const QString& what);
    void DescribeTarget(QPointF onScreen);
    void MoveCursor(int key, bool oneRow);
    void EditAtCursor(bool add);
    void ShowRow(int row);

    PhotoPyramid photo;
    const QSize photoSize;
    LineEdits& edits;
    const QRect strip;
    std::vector<std::unique_ptr<ReviewLayer>> layers;

    double zoom = 1.0;
    bool fitting = true;
    std::optional<int> cursorRow;
    std::optional<QPointF> pointer;  // where the mouse hovers over the photo
    // Where the button went down: a click edits the row under it, as hovering there named.
    std::optional<QPointF> pressedAt;
    QPoint scrollAtPress;
    bool panning = false;
    bool framing = false;          // the press had Shift held: the drag draws a frame
    std::optional<QRect> frame;    // the frame drawn, or while framing the one being drawn
    std::optional<QRect> framedBefore;  // what a Shift+click too short for a frame leaves
};

}  // namespace tamrex
