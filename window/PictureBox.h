#pragma once

#include <QImage>
#include <QString>
#include <QWidget>

class QPainter;

namespace tamrex {

// An image box: shows a picture stretched to the box, aspect ratio ignored, as the
// layout expects. A notice can run across its foot, to say something about the picture
// or why there is none. It tells of right clicks, for a menu, and of double clicks.
class PictureBox : public QWidget {
    Q_OBJECT

public:
    explicit PictureBox(QWidget* parent = nullptr);

    // Reads the file afresh; when it cannot be read the box is emptied and says why.
    void ShowFile(const QString& path);
    void ShowImage(const QImage& picture);
    void Clear();
    void SetNotice(const QString& text);  // "" removes it

    const QImage& picture() const { return image; }
    const QString& notice() const { return noticeText; }

signals:
    void menuRequested(const QPoint& globalPosition);
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void PaintNotice(QPainter& painter) const;

    QImage image;
    QString noticeText;
};

}  // namespace tamrex
