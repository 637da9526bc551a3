#pragma once

#include <QImage>
#include <QWidget>

namespace tamrex {

// An image box: shows a picture stretched to the box, aspect ratio ignored, as the
// layout expects. It tells of right clicks, for a menu, and of double clicks.
class PictureBox : public QWidget {
    Q_OBJECT

public:
    explicit PictureBox(QWidget* parent = nullptr);

    void ShowImage(const QImage& picture);
    void Clear();

    const QImage& picture() const { return image; }

signals:
    void menuRequested(const QPoint& globalPosition);
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QImage image;
};

}  // namespace tamrex
