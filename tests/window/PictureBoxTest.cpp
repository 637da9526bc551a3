#include "window/PictureBox.h"

#include <QSignalSpy>
#include <QTest>

using tamrex::PictureBox;

class PictureBoxTest : public QObject {
    Q_OBJECT

private slots:
    void stretchesThePictureOverTheWholeBox();
    void showsAPictureHeldInMemoryStretchedToo();
    void tellsOfEachRightClickAndDoubleClick();
};

// Two pixels, red and blue, in a box of another shape: each colour takes its half of the
// box, corner to corner, with no bars where the aspect ratio would leave them.
void PictureBoxTest::stretchesThePictureOverTheWholeBox() {
    QImage twoPixels(2, 1, QImage::Format_RGB32);
    twoPixels.setPixelColor(0, 0, Qt::red);
    twoPixels.setPixelColor(1, 0, Qt::blue);

    PictureBox box;
    box.resize(100, 80);
    box.ShowImage(twoPixels);
    const QImage shown = box.grab().toImage();
    QCOMPARE(shown.pixelColor(0, 0), QColor(Qt::red));
    QCOMPARE(shown.pixelColor(0, 79), QColor(Qt::red));
    QCOMPARE(shown.pixelColor(99, 0), QColor(Qt::blue));
    QCOMPARE(shown.pixelColor(99, 79), QColor(Qt::blue));
}

void PictureBoxTest::showsAPictureHeldInMemoryStretchedToo() {
    QImage twoRows(1, 2, QImage::Format_BGR888);
    twoRows.setPixelColor(0, 0, Qt::green);
    twoRows.setPixelColor(0, 1, Qt::blue);
    PictureBox box;
    box.resize(60, 90);

    box.ShowImage(twoRows);
    QCOMPARE(box.picture(), twoRows);
    const QImage shown = box.grab().toImage();
    QCOMPARE(shown.pixelColor(0, 0), QColor(Qt::green));
    QCOMPARE(shown.pixelColor(59, 0), QColor(Qt::green));
    QCOMPARE(shown.pixelColor(0, 89), QColor(Qt::blue));
    QCOMPARE(shown.pixelColor(59, 89), QColor(Qt::blue));
}

void PictureBoxTest::tellsOfEachRightClickAndDoubleClick() {
    PictureBox box;
    box.resize(60, 90);
    box.move(0, 0);
    QSignalSpy rightClicks(&box, &PictureBox::menuRequested);
    QSignalSpy doubleClicks(&box, &PictureBox::doubleClicked);
    QTest::mouseClick(&box, Qt::LeftButton);
    QTest::mouseClick(&box, Qt::MiddleButton);
    QCOMPARE(rightClicks.count(), 0);
    QTest::mouseClick(&box, Qt::RightButton, Qt::NoModifier, QPoint(10, 20));
    QCOMPARE(rightClicks.count(), 1);
    QCOMPARE(rightClicks.at(0).at(0).toPoint(), box.mapToGlobal(QPoint(10, 20)));  // where the menu opens
    // The second click of a quick pair comes as a double click, and is told of too.
    QTest::mouseDClick(&box, Qt::RightButton);
    QCOMPARE(rightClicks.count(), 2);
    QCOMPARE(doubleClicks.count(), 0);
    QTest::mouseDClick(&box, Qt::LeftButton);
    QCOMPARE(doubleClicks.count(), 1);
    QCOMPARE(rightClicks.count(), 2);
}

QTEST_MAIN(PictureBoxTest)
#include "PictureBoxTest.moc"
