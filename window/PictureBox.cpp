#include "window/PictureBox.h"

#include <QImageReader>
#include <QMouseEvent>
#include <QPainter>

namespace tamrex {

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) {}

// A box a few hundred pixels wide shows a phone photo no better than this, and a photo
// decoded whole at 48 megapixels would pass the toolkit's allocation limit.
constexpr int kLargestShownSide = 2048;

void PictureBox::ShowFile(const QString& path) {
    QImageReader reader(path);
    reader.setAutoTransform(true);  // upright, as the count sees it
    // Only photos are shrunk while they are read: a line map's one-row lines must stay.
    const QSize stored = reader.size();
    if (reader.format() == "jpeg" && (stored.width() > kLargestShownSide || stored.height() > kLargestShownSide))
        reader.setScaledSize(stored.scaled(kLargestShownSide, kLargestShownSide, Qt::KeepAspectRatio));
    image = reader.read();
    noticeText = image.isNull() ? QStringLiteral(
                                      "Cannot show '%1': %2. The count does not depend on it; "
                                      "open the file in another viewer to look at it.")
                                      .arg(path, reader.errorString())
                                : QString();
    update();
}

void PictureBox::ShowImage(const QImage& picture) {
    image = picture;
    noticeText.clear();
    update();
}

void PictureBox::Clear() {
    image = QImage();
    noticeText.clear();
    update();
}

void PictureBox::SetNotice(const QString& text) {
    noticeText = text;
    update();
}

void PictureBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // Smooth scaling keeps the one-row lines of a line map visible when it is shrunk.
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (!image.isNull()) painter.drawImage(rect(), image);
    if (!noticeText.isEmpty()) PaintNotice(painter);
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

void PictureBox::PaintNotice(QPainter& painter) const {
    constexpr int kPadding = 4;
    const QRect textArea = rect().adjusted(kPadding, 0, -kPadding, 0);
    const int flags = Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignBottom;
    const QRect needed = painter.fontMetrics().boundingRect(textArea, flags, noticeText);
    const QRect band(0, height() - needed.height() - 2 * kPadding, width(),
                     needed.height() + 2 * kPadding);
    painter.fillRect(band, palette().color(QPalette::ToolTipBase));
    painter.setPen(palette().color(QPalette::ToolTipText));
    painter.drawText(textArea.adjusted(0, 0, 0, -kPadding), flags, noticeText);
}

}  // namespace tamrex
