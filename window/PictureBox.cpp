#include "window/PictureBox.h"

#include <QMouseEvent>
#include <QPainter>

namespace tamrex {

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) {}

void PictureBox::ShowImage(const QImage& picture) {
    image = picture;
    update();
}

void PictureBox::Clear() { ShowImage(QImage()); }

void PictureBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // Smooth scaling keeps the one-row lines of a line map visible when it is shrunk.
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (!image.isNull()) painter.drawImage(rect(), image);
}

// Acted on at the press, as right clicks usually are. A quick second right click comes as
// a double click, which is handed on to this, so each one is seen.
void PictureBox::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        emit menuRequested(event->globalPosition().toPoint());
    } else {
        QWidget::mousePressEvent(event);
    }
}

void PictureBox::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        emit doubleClicked();
    } else {
        QWidget::mouseDoubleClickEvent(event);
    }
}

}  // namespace tamrex
