#include "shell/window/PictureBox.h"

#include <QTemporaryDir>
#include <QTest>

using tamrex::PictureBox;

class PictureBoxTest : public QObject {
    Q_OBJECT

private slots:
    void stretchesThePictureOverTheWholeBox();
    void saysWhichFileItCannotShow();
};

// Two pixels, red and blue, in a box of another shape: each colour takes its half of the
// box, corner to corner, with no bars where the aspect ratio would leave them.
void PictureBoxTest::stretchesThePictureOverTheWholeBox() {
    QTemporaryDir dir;
    QImage twoPixels(2, 1, QImage::Format_RGB32);
    twoPixels.setPixelColor(0, 0, Qt::red);
    twoPixels.setPixelColor(1, 0, Qt::blue);
    const QString file = dir.filePath(QStringLiteral("two.bmp"));
    QVERIFY(twoPixels.save(file));

    PictureBox box;
    box.resize(100, 80);
    box.ShowFile(file);
    QVERIFY(box.notice().isEmpty());
    const QImage shown = box.grab().toImage();
    QCOMPARE(shown.pixelColor(0, 0), QColor(Qt::red));
    QCOMPARE(shown.pixelColor(0, 79), QColor(Qt::red));
    QCOMPARE(shown.pixelColor(99, 0), QColor(Qt::blue));
    QCOMPARE(shown.pixelColor(99, 79), QColor(Qt::blue));
}

void PictureBoxTest::saysWhichFileItCannotShow() {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("missing.bmp"));
    PictureBox box;
    box.ShowFile(file);
    QVERIFY(box.picture().isNull());
    QVERIFY2(box.notice().contains(file), qPrintable(box.notice()));
    box.Clear();
    QVERIFY(box.notice().isEmpty());
}

QTEST_MAIN(PictureBoxTest)
#include "PictureBoxTest.moc"
