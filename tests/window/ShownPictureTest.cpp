// Pictures made ready for the picture boxes: photos of any size shrunk as they are read,
// line maps of any size shown with every line, and a picture that cannot be read named.

#include "window/ShownPicture.h"
#include "tests/window/WorkingFolder.h"

#include <QTest>

using tamrex::CountResult;
using tamrex::LineRun;
using tamrex::ShownPicture;
using tamrex::testing::WorkingFolder;

class ShownPictureTest : public QObject {
    Q_OBJECT

private slots:
    void aPhotoIsShrunkWhileItIsRead_data();
    void aPhotoIsShrunkWhileItIsRead();
    void aLineMapOfAnySizeIsShownWithEveryLine();
    void whatCannotBeReadIsNamed();
};

void ShownPictureTest::aPhotoIsShrunkWhileItIsRead_data() {
    QTest::addColumn<QSize>("stored");
    QTest::addColumn<QSize>("shown");
    QTest::newRow("small: as it is") << QSize(320, 240) << QSize(320, 240);
    QTest::newRow("3000 wide: a half") << QSize(3000, 2400) << QSize(1500, 1200);
    QTest::newRow("3300 wide: a quarter") << QSize(3300, 1700) << QSize(825, 425);
}

void ShownPictureTest::aPhotoIsShrunkWhileItIsRead() {
    QFETCH(QSize, stored);
    QFETCH(QSize, shown);
    WorkingFolder folder;
    QCOMPARE(folder.AddStackPhoto(QStringLiteral("a.jpg"), 5, stored.width(), stored.height()), QString());
    const ShownPicture photo = tamrex::ReadShownPhoto(folder.file(QStringLiteral("a.jpg")));
    QVERIFY2(photo.problem.isEmpty(), qPrintable(photo.problem));
    QCOMPARE(photo.image.size(), shown);
}

// A map as tall as a 75-megapixel photo's strip, of one-row lines: each leaves a dark row
// where it lies once shrunk, and the rows between stay white.
void ShownPictureTest::aLineMapOfAnySizeIsShownWithEveryLine() {
    CountResult count;
    count.stripWidth = 10000;
    count.stripHeight = 7000;
    for (const int row : {0, 1000, 1001, 3500, 6999}) count.lineRuns[0].push_back({row, row});
    const ShownPicture map = tamrex::ReadShownLineMap(QStringLiteral("/nowhere/test.bmp"), count);
    QVERIFY2(map.problem.isEmpty(), qPrintable(map.problem));
    QCOMPARE(map.image.size(), QSize(tamrex::kLargestShownSide, tamrex::kLargestShownSide));
    const auto greyAt = [&](int stripRow) {
        const int y = (count.stripHeight - 1 - stripRow) * map.image.height() / count.stripHeight;
        return qGray(map.image.pixel(map.image.width() / 2, y));
    };
    for (const int row : {0, 1000, 3500, 6999}) QVERIFY2(greyAt(row) < 200, qPrintable(QString::number(row)));
    for (const int row : {500, 2000, 5000}) QCOMPARE(greyAt(row), 255);
}

void ShownPictureTest::whatCannotBeReadIsNamed() {
    WorkingFolder folder;
    const QString missing = folder.file(QStringLiteral("missing.jpg"));
    const ShownPicture photo = tamrex::ReadShownPhoto(missing);
    QVERIFY(photo.image.isNull());
    QVERIFY2(photo.problem.contains(missing), qPrintable(photo.problem));

    CountResult count;
    count.stripWidth = 300;
    count.stripHeight = 200;
    const QString map = folder.file(QStringLiteral("test.bmp"));
    QVERIFY2(tamrex::ReadShownLineMap(map, count).problem.contains(map), "a small map is read from its file");
}

QTEST_MAIN(ShownPictureTest)
#include "ShownPictureTest.moc"
