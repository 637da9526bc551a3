// The window against its drawing: where every control sits, what it says and in which
// font and colour, and how the keyboard moves between controls.

#include "window/PictureBox.h"
#include "window/Tamrex.h"
#include "tests/window/WorkingFolder.h"

#include <QDataStream>
#include <QFile>
#include <QFontInfo>
#include <QFontMetrics>
#include <QFrame>
#include <QImageReader>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <memory>

using tamrex::PictureBox;
using tamrex::Tamrex;
using tamrex::testing::TestSettings;
using tamrex::testing::WorkingFolder;

namespace {

QRect FromTwips(int left, int top, int width, int height) {
    return QRect(left / 15, top / 15, width / 15, height / 15);
}

// What a 96-dpi screen makes of a point size.
int PixelsOf(double points) { return qRound(points * 96 / 72); }

const QColor kCountRed(192, 0, 0);

}  // namespace

class TamrexLayoutTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void windowHasItsCaptionAndFixedSize();
    void controlsSitWhereTheyWereDrawn_data();
    void controlsSitWhereTheyWereDrawn();
    void fontsAreTheNearestInstalledAtTheDrawnSize_data();
    void fontsAreTheNearestInstalledAtTheDrawnSize();
    void captionsFitTheirBoxes();
    void labelsAreOpaqueInTheButtonFace_data();
    void labelsAreOpaqueInTheButtonFace();
    void countPanelIsFramedByAnUnfilledOutline();
    void opensEmpty();
    void focusStartsOnNewBookAndTabsThroughExitToTheList();
    void iconCarriesTheSixImages();

private:
    template <typename Control>
    Control* Find(const char* name) const {
        return window->findChild<Control*>(QLatin1String(name));
    }

    WorkingFolder folder;
    std::unique_ptr<Tamrex> window;
};

void TamrexLayoutTest::init() {
    QVERIFY(folder.isValid());
    window = std::make_unique<Tamrex>(folder.path(), TestSettings());
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
}

void TamrexLayoutTest::cleanup() { window.reset(); }

void TamrexLayoutTest::windowHasItsCaptionAndFixedSize() {
    QCOMPARE(window->objectName(), QStringLiteral("Tamrex"));
    QCOMPARE(window->windowTitle(), QStringLiteral("Tamrex MDF Board Counter"));
    QCOMPARE(window->size(), QSize(792, 560));
    QCOMPARE(window->minimumSize(), window->maximumSize());
}

void TamrexLayoutTest::controlsSitWhereTheyWereDrawn_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QRect>("geometry");
    const QString none;
    QTest::newRow("Image2") << "tamrex::PictureBox" << none << FromTwips(120, 120, 5535, 4215);
    QTest::newRow("Image1") << "tamrex::PictureBox" << none << FromTwips(6000, 120, 5535, 4215);
    QTest::newRow("Label2") << "QLabel" << QStringLiteral("Select an example file")
                            << FromTwips(120, 4440, 3615, 375);
    QTest::newRow("File1") << "QListWidget" << none << FromTwips(3960, 4440, 1695, 1845);
    QTest::newRow("Label3") << "QLabel" << none << FromTwips(6000, 4440, 5535, 495);
    QTest::newRow("Shape1") << "QFrame" << none << FromTwips(7800, 5520, 3735, 2535);
    QTest::newRow("TotalCount") << "QLabel" << QStringLiteral("Book")
                                << FromTwips(7920, 5640, 3495, 975);
    QTest::newRow("vTotalCount") << "QLabel" << QStringLiteral("0")
                                 << FromTwips(7920, 6720, 3495, 1335);
    QTest::newRow("Label9") << "QLabel" << QStringLiteral("Count algorithm not base on filename")
                            << FromTwips(3960, 6360, 3015, 255);
    QTest::newRow("Label10") << "QLabel"
                             << QStringLiteral("Try to change filename with jpg extension")
                             << FromTwips(3960, 6600, 3135, 255);
    QTest::newRow("cmdReset") << "QPushButton" << QStringLiteral("New Book")
                              << FromTwips(1320, 6480, 2055, 615);
    QTest::newRow("Label1") << "QLabel" << QStringLiteral("Example Plywood Thickness = 2.6 mm.")
                            << FromTwips(3960, 7080, 3255, 255);
    QTest::newRow("btnExit") << "QPushButton" << QStringLiteral("Exit")
                             << FromTwips(1320, 7320, 2055, 615);
    QTest::newRow("pTime") << "QLabel" << none << FromTwips(3840, 7560, 3375, 255);
}

void TamrexLayoutTest::controlsSitWhereTheyWereDrawn() {
    QFETCH(QString, kind);
    QFETCH(QString, text);
    QFETCH(QRect, geometry);
    const QWidget* control = Find<QWidget>(QTest::currentDataTag());
    QVERIFY(control);
    QCOMPARE(control->metaObject()->className(), kind);
    QCOMPARE(control->geometry(), geometry);
    QCOMPARE(control->parentWidget(), window.get());
    if (const auto* label = qobject_cast<const QLabel*>(control)) QCOMPARE(label->text(), text);
    if (const auto* button = qobject_cast<const QPushButton*>(control))
        QCOMPARE(button->text(), text);
}

void TamrexLayoutTest::fontsAreTheNearestInstalledAtTheDrawnSize_data() {
    QTest::addColumn<QString>("family");
    QTest::addColumn<double>("points");
    QTest::addColumn<bool>("bold");
    // MS Sans Serif and Tahoma are not on Linux; these are the faces that stand in for them.
    const QString sansSerif = QStringLiteral("Liberation Sans");
    const QString tahoma = QStringLiteral("DejaVu Sans");
    QTest::newRow("Label2") << sansSerif << 9.75 << true;
    QTest::newRow("File1") << sansSerif << 8.25 << false;
    QTest::newRow("Label3") << tahoma << 14.25 << true;
    QTest::newRow("TotalCount") << tahoma << 36.0 << true;
    QTest::newRow("vTotalCount") << tahoma << 48.0 << true;
    QTest::newRow("Label9") << sansSerif << 8.25 << false;
    QTest::newRow("Label10") << sansSerif << 8.25 << false;
    QTest::newRow("cmdReset") << sansSerif << 9.75 << true;
    QTest::newRow("Label1") << sansSerif << 8.25 << false;
    QTest::newRow("btnExit") << sansSerif << 9.75 << true;
    QTest::newRow("pTime") << sansSerif << 8.25 << false;
}

void TamrexLayoutTest::fontsAreTheNearestInstalledAtTheDrawnSize() {
    QFETCH(QString, family);
    QFETCH(double, points);
    QFETCH(bool, bold);
    const QWidget* control = Find<QWidget>(QTest::currentDataTag());
    QVERIFY(control);
    const QFontInfo font(control->font());
    QCOMPARE(font.family(), family);
    QCOMPARE(font.pixelSize(), PixelsOf(points));
    QCOMPARE(font.bold(), bold);
}

void TamrexLayoutTest::captionsFitTheirBoxes() {
    const QList<QWidget*> captioned = {Find<QWidget>("Label2"), Find<QWidget>("TotalCount"),
                                       Find<QWidget>("Label9"), Find<QWidget>("Label10"),
                                       Find<QWidget>("Label1"), Find<QWidget>("cmdReset"),
                                       Find<QWidget>("btnExit")};
    for (const QWidget* control : captioned) {
        QVERIFY(control);
        const auto* label = qobject_cast<const QLabel*>(control);
        const QString text =
            label ? label->text() : qobject_cast<const QPushButton*>(control)->text();
        const QSize needed = QFontMetrics(control->font()).size(Qt::TextSingleLine, text);
        QVERIFY2(needed.width() <= control->width() && needed.height() <= control->height(),
                 qPrintable(QStringLiteral("%1 needs %2x%3 pixels for '%4' but has %5x%6")
                                .arg(control->objectName())
                                .arg(needed.width())
                                .arg(needed.height())
                                .arg(text)
                                .arg(control->width())
                                .arg(control->height())));
    }
}

void TamrexLayoutTest::labelsAreOpaqueInTheButtonFace_data() {
    QTest::addColumn<bool>("red");
    QTest::addColumn<Qt::Alignment>("alignment");
    QTest::newRow("Label2") << false << Qt::Alignment(Qt::AlignRight);
    QTest::newRow("Label3") << false << Qt::Alignment(Qt::AlignHCenter);
    QTest::newRow("TotalCount") << false << Qt::Alignment(Qt::AlignLeft);
    QTest::newRow("vTotalCount") << true << Qt::Alignment(Qt::AlignRight);
    QTest::newRow("Label9") << true << Qt::Alignment(Qt::AlignLeft);
    QTest::newRow("Label10") << true << Qt::Alignment(Qt::AlignLeft);
    QTest::newRow("Label1") << false << Qt::Alignment(Qt::AlignLeft);
    QTest::newRow("pTime") << false << Qt::Alignment(Qt::AlignHCenter);
}

void TamrexLayoutTest::labelsAreOpaqueInTheButtonFace() {
    QFETCH(bool, red);
    QFETCH(Qt::Alignment, alignment);
    const QLabel* label = Find<QLabel>(QTest::currentDataTag());
    QVERIFY(label);
    QVERIFY(label->autoFillBackground());
    QCOMPARE(label->backgroundRole(), QPalette::Window);
    QCOMPARE(label->palette().color(QPalette::Window), window->palette().color(QPalette::Button));
    const QColor text = red ? kCountRed : window->palette().color(QPalette::ButtonText);
    QCOMPARE(label->palette().color(QPalette::WindowText), text);
    QCOMPARE(label->alignment() & Qt::AlignHorizontal_Mask, alignment);
    QCOMPARE(label->alignment() & Qt::AlignVertical_Mask, Qt::AlignTop);
}

// Looked at on screen: the labels inside must not hide any side of the frame, and the frame
// must not paint over the panel.
void TamrexLayoutTest::countPanelIsFramedByAnUnfilledOutline() {
    const QFrame* shape = Find<QFrame>("Shape1");
    QVERIFY(shape);
    QCOMPARE(shape->frameStyle(), QFrame::Box | QFrame::Plain);
    QCOMPARE(shape->lineWidth(), 1);
    QVERIFY(!shape->autoFillBackground());

    const QImage screen = window->grab().toImage();
    const QRect outline = shape->geometry();
    const QColor ink = window->palette().color(QPalette::WindowText);
    const QPoint onEachSide[] = {{outline.center().x(), outline.top()},
                                 {outline.center().x(), outline.bottom()},
                                 {outline.left(), outline.center().y()},
                                 {outline.right(), outline.center().y()}};
    for (const QPoint& point : onEachSide) QCOMPARE(screen.pixelColor(point), ink);
    const QPoint justInside = outline.topLeft() + QPoint(2, 2);
    QCOMPARE(screen.pixelColor(justInside), window->palette().color(QPalette::Window));
}

void TamrexLayoutTest::opensEmpty() {
    QVERIFY(Find<PictureBox>("Image1")->picture().isNull());
    QVERIFY(Find<PictureBox>("Image2")->picture().isNull());
    QVERIFY(Find<QLabel>("Label3")->text().isEmpty());
    QVERIFY(Find<QLabel>("pTime")->text().isEmpty());
    QCOMPARE(Find<QLabel>("vTotalCount")->text(), QStringLiteral("0"));
    QVERIFY(Find<QListWidget>("File1")->selectedItems().isEmpty());
}

void TamrexLayoutTest::focusStartsOnNewBookAndTabsThroughExitToTheList() {
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    const QWidget* cmdReset = Find<QWidget>("cmdReset");
    const QWidget* btnExit = Find<QWidget>("btnExit");
    const QWidget* file1 = Find<QWidget>("File1");
    QCOMPARE(QApplication::focusWidget(), cmdReset);
    for (const QWidget* next : {btnExit, file1, cmdReset}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), next);
    }
    // Neither button answers Enter pressed elsewhere in the window.
    QVERIFY(!Find<QPushButton>("cmdReset")->isDefault());
    QVERIFY(!Find<QPushButton>("btnExit")->isDefault());
    QVERIFY(!Find<QPushButton>("cmdReset")->autoDefault());
    QVERIFY(!Find<QPushButton>("btnExit")->autoDefault());
}

// Qt turns every image into 32-bit colour as it reads, so the colour depths are read
// from the file's own directory.
void TamrexLayoutTest::iconCarriesTheSixImages() {
    QFile icon(QStringLiteral(":/icons/tamrex.ico"));
    QVERIFY(icon.open(QIODevice::ReadOnly));
    QDataStream in(&icon);
    in.setByteOrder(QDataStream::LittleEndian);
    quint16 reserved = 0, type = 0, count = 0;
    in >> reserved >> type >> count;
    QCOMPARE(type, quint16(1));
    QList<QPair<int, int>> images;  // side, bits per pixel
    for (int entry = 0; entry < count; ++entry) {
        quint8 width = 0, height = 0, colours = 0, unused = 0;
        quint16 planes = 0, bits = 0;
        quint32 bytes = 0, offset = 0;
        in >> width >> height >> colours >> unused >> planes >> bits >> bytes >> offset;
        QCOMPARE(width, height);
        images.append({width, bits});
    }
    const QList<QPair<int, int>> expected = {{16, 8},  {32, 8},  {16, 32},
                                             {32, 32}, {48, 32}, {128, 32}};
    QCOMPARE(images, expected);

    QImageReader reader(QStringLiteral(":/icons/tamrex.ico"));
    QCOMPARE(reader.imageCount(), 6);
    for (int image = 0; image < 6; ++image) {
        QVERIFY(reader.jumpToImage(image));
        QVERIFY2(!reader.read().isNull(), qPrintable(reader.errorString()));
    }
    const QList<QSize> sizes = window->windowIcon().availableSizes();
    for (const int side : {16, 32, 48, 128}) QVERIFY(sizes.contains(QSize(side, side)));
}

QTEST_MAIN(TamrexLayoutTest)
#include "TamrexLayoutTest.moc"
