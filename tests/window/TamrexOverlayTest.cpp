// The pictures' right-click menu turns the lines of the count shown over its photo on and
// off; every count opens on its line map.

#include "image/LoadPhoto.h"
#include "overlay/LineOverlay.h"
#include "window/NoticeBoard.h"
#include "window/PathText.h"
#include "window/PictureBox.h"
#include "window/Tamrex.h"
#include "tests/window/PictureMenuChoice.h"
#include "tests/window/WindowWaits.h"
#include "tests/window/WorkingFolder.h"

#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using tamrex::BitmapHandle;
using tamrex::CountResult;
using tamrex::PictureBox;
using tamrex::Tamrex;
using tamrex::testing::CountDirectly;
using tamrex::testing::TestSettings;
using tamrex::testing::TestStation;
using tamrex::testing::WorkingFolder;

class TamrexOverlayTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void aRightClickShowsTheLinesOverThePhoto();
    void aSecondRightClickBringsBackTheLineMap();
    void aNewCountOpensOnItsLineMap();
    void aRightClickWithNoCountOnShowDoesNothing();
    void aPhotoChangedSinceItsCountKeepsTheLineMap_data();
    void aPhotoChangedSinceItsCountKeepsTheLineMap();

private:
    void OpenWindow();
    void Click(int row);
    void RightClickImage1();
    PictureBox* Image1() const { return window->findChild<PictureBox*>(QStringLiteral("Image1")); }
    QString Notices() const {
        return window->findChild<tamrex::NoticeBoard*>(QStringLiteral("Notices"))->Messages().join(QLatin1Char('\n'));
    }
    QString LineMap() const { return folder->file(QStringLiteral("test.bmp")); }

    std::unique_ptr<WorkingFolder> folder;
    std::unique_ptr<Tamrex> window;
};

namespace {

struct Overlay {
    CountResult count;
    BitmapHandle picture;
};

// What the counting code draws for the photo, counted and read on its own.
Overlay ExpectedOverlay(const QString& photo) {
    QTemporaryDir elsewhere;
    const QString lineMap = elsewhere.filePath(QStringLiteral("map.bmp"));
    const tamrex::Expected<CountResult> counted = CountDirectly(photo, TestSettings(), lineMap);
    Overlay overlay{counted.value_or(CountResult{}), nullptr};
    const tamrex::Expected<tamrex::LoadedPhoto> loaded = tamrex::LoadJpeg(tamrex::ToPath(photo));
    if (counted && loaded) overlay.picture = tamrex::DrawLineOverlay(loaded->bitmap.get(), overlay.count);
    return overlay;
}

// "" when `shown` holds the very pixels of `expected`, whose rows run bottom-up.
QString Difference(const QImage& shown, FIBITMAP* expected) {
    const int width = static_cast<int>(FreeImage_GetWidth(expected));
    const int height = static_cast<int>(FreeImage_GetHeight(expected));
    if (shown.size() != QSize(width, height))
        return QStringLiteral("shown %1 x %2, drawn %3 x %4")
            .arg(shown.width()).arg(shown.height()).arg(width).arg(height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            RGBQUAD drawn{};
            FreeImage_GetPixelColor(expected, static_cast<unsigned>(x),
                                    static_cast<unsigned>(height - 1 - y), &drawn);
            const QColor want(drawn.rgbRed, drawn.rgbGreen, drawn.rgbBlue);
            if (shown.pixelColor(x, y) != want)
                return QStringLiteral("at %1,%2 from the top: shown %3, drawn %4")
                    .arg(x).arg(y).arg(shown.pixelColor(x, y).name(), want.name());
        }
    }
    return {};
}

QColor AsQColor(tamrex::Rgb colour) { return QColor(colour.red, colour.green, colour.blue); }

}  // namespace

void TamrexOverlayTest::init() {
    folder = std::make_unique<WorkingFolder>();
    QVERIFY(folder->isValid());
}

void TamrexOverlayTest::cleanup() {
    window.reset();
    folder.reset();
}

void TamrexOverlayTest::OpenWindow() {
    window = std::make_unique<Tamrex>(folder->path(), TestStation());
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QVERIFY(tamrex::testing::WaitUntilIdle(*window));
}

void TamrexOverlayTest::Click(int row) {
    auto* list = window->findChild<QListWidget*>(QStringLiteral("File1"));
    const QPoint centre = list->visualItemRect(list->item(row)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, centre);
    QVERIFY(tamrex::testing::WaitUntilIdle(*window));
}

// The entry names what it will show next.
void TamrexOverlayTest::RightClickImage1() {
    const QString entry = tamrex::testing::PictureMenuOffers(Image1(), QStringLiteral("Show the line map"))
                              ? QStringLiteral("Show the line map")
                              : QStringLiteral("Show lines on the photo");
    QVERIFY(tamrex::testing::ChooseFromPictureMenu(Image1(), entry));
    QVERIFY(tamrex::testing::WaitUntilIdle(*window));  // the lines are drawn off the window's thread
}

void TamrexOverlayTest::aRightClickShowsTheLinesOverThePhoto() {
    QCOMPARE(folder->AddStackPhoto(QStringLiteral("stack.jpg"), 7), QString());
    const Overlay expected = ExpectedOverlay(folder->file(QStringLiteral("stack.jpg")));
    QVERIFY(expected.picture);
    OpenWindow();
    Click(0);
    QCOMPARE(Image1()->picture(), QImage(LineMap()));

    RightClickImage1();
    const QImage shown = Image1()->picture();
    QCOMPARE(Difference(shown, expected.picture.get()), QString());
    QVERIFY(Notices().isEmpty());
    // Not the photo alone: the middle of a line wears the colour of the pass that found it.
    const CountResult& count = expected.count;
    int pass = 1;
    while (pass <= 4 && count.lineRuns[pass - 1].empty()) ++pass;
    QVERIFY(pass <= 4);
    const int photoRow = count.bandOffset + count.lineRuns[pass - 1].front().firstRow;
    QCOMPARE(shown.pixelColor(count.stripWidth / 2, shown.height() - 1 - photoRow),
             AsQColor(tamrex::PassColour(pass)));
    // The overlay is drawn in memory: the working folder keeps only the photo and the line map.
    QCOMPARE(QDir(folder->file(QString())).entryList(QDir::Files | QDir::Hidden, QDir::Name),
             QStringList({"stack.jpg", "test.bmp"}));
}

void TamrexOverlayTest::aSecondRightClickBringsBackTheLineMap() {
    QCOMPARE(folder->AddStackPhoto(QStringLiteral("stack.jpg"), 7), QString());
    OpenWindow();
    Click(0);
    RightClickImage1();
    QVERIFY(Image1()->picture() != QImage(LineMap()));

    RightClickImage1();
    QCOMPARE(Image1()->picture(), QImage(LineMap()));
    RightClickImage1();
    QCOMPARE(Difference(Image1()->picture(),
                        ExpectedOverlay(folder->file(QStringLiteral("stack.jpg"))).picture.get()),
             QString());
}

void TamrexOverlayTest::aNewCountOpensOnItsLineMap() {
    QCOMPARE(folder->AddStackPhoto(QStringLiteral("a.jpg"), 5), QString());
    QCOMPARE(folder->AddStackPhoto(QStringLiteral("b.jpg"), 9), QString());
    OpenWindow();
    Click(0);
    RightClickImage1();
    QVERIFY(Image1()->picture() != QImage(LineMap()));

    Click(1);
    QCOMPARE(Image1()->picture(), QImage(LineMap()));
    // One click away from the overlay of the new count, not two, and not the old one's.
    RightClickImage1();
    const Overlay expected = ExpectedOverlay(folder->file(QStringLiteral("b.jpg")));
    QCOMPARE(Difference(Image1()->picture(), expected.picture.get()), QString());
}

void TamrexOverlayTest::aRightClickWithNoCountOnShowDoesNothing() {
    QCOMPARE(folder->AddStackPhoto(QStringLiteral("a.jpg"), 5), QString());
    QCOMPARE(folder->AddBandlessPhoto(QStringLiteral("b.jpg")), QString());
    OpenWindow();
    RightClickImage1();
    QVERIFY(Image1()->picture().isNull());
    QVERIFY(Notices().isEmpty());

    // The earlier count must not come back over the failed one.
    Click(0);
    RightClickImage1();
    Click(1);
    QVERIFY(Image1()->picture().isNull());
    RightClickImage1();
    QVERIFY(Image1()->picture().isNull());
    QVERIFY(Notices().isEmpty());
}

void TamrexOverlayTest::aPhotoChangedSinceItsCountKeepsTheLineMap_data() {
    QTest::addColumn<bool>("removed");
    QTest::newRow("removed") << true;
    QTest::newRow("another size") << false;
}

void TamrexOverlayTest::aPhotoChangedSinceItsCountKeepsTheLineMap() {
    QFETCH(bool, removed);
    const QString photo = QStringLiteral("stack.jpg");
    QCOMPARE(folder->AddStackPhoto(photo, 7), QString());
    OpenWindow();
    Click(0);
    QVERIFY(QFile::remove(folder->file(photo)));
    if (!removed) QCOMPARE(folder->AddBandlessPhoto(photo), QString());

    RightClickImage1();
    QCOMPARE(Image1()->picture(), QImage(LineMap()));
    QVERIFY2(Notices().contains(folder->file(photo)), qPrintable(Notices()));
    // Put right, the photo shows its lines at the next right-click.
    if (!removed) QVERIFY(QFile::remove(folder->file(photo)));
    QCOMPARE(folder->AddStackPhoto(photo, 7), QString());
    RightClickImage1();
    QVERIFY(Notices().isEmpty());
    QCOMPARE(Difference(Image1()->picture(), ExpectedOverlay(folder->file(photo)).picture.get()),
             QString());
}

QTEST_MAIN(TamrexOverlayTest)
#include "TamrexOverlayTest.moc"
