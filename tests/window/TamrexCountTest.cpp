// The window at work: what it lists, what a selection counts, what it shows afterwards,
// and what it does when a photo or the line map lets it down.

#include "window/NoticeBoard.h"
#include "window/PictureBox.h"
#include "window/Tamrex.h"
#include "tests/window/WindowWaits.h"
#include "tests/window/WorkingFolder.h"

#include <QDir>
#include <QFontMetrics>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using tamrex::CounterSettings;
using tamrex::CountResult;
using tamrex::PictureBox;
using tamrex::Tamrex;
using tamrex::testing::CountDirectly;
using tamrex::testing::TestSettings;
using tamrex::testing::WaitUntilIdle;
using tamrex::testing::WorkingFolder;

namespace {

// What the count panel shows when nothing was counted.
const QString kNoCount = QStringLiteral("\u2014");

}  // namespace

class TamrexCountTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void listsTheJpegFilesOfTheFolderOnce();
    void anEmptyFolderOffersNothingToCount();
    void clickingAPhotoCountsItAndShowsTheResult();
    void arrowKeysCountTheEntryTheyMoveTo();
    void newBookClearsOnlyTheCount();
    void aFailedRunShowsWhyAndLeavesNoStaleResult_data();
    void aFailedRunShowsWhyAndLeavesNoStaleResult();
    void aLineMapThatCannotBeWrittenLeavesTheCountStanding();
    void aThresholdOutOfRangeIsReportedInsteadOfCounted();
    void aDecoderWarningIsShownWithTheCount();
    void thePhotoChosenLastIsTheOneShown();

private:
    void OpenWindow(const CounterSettings& settings = TestSettings());
    void Click(int row);
    QString Expected(const QString& photo) const;  // "Detected N lines." as the core counts it
    QString LineMap() const { return folder->file(QStringLiteral("test.bmp")); }

    template <typename Control>
    Control* Find(const char* name) const {
        return window->findChild<Control*>(QLatin1String(name));
    }
    QString Text(const char* label) const { return Find<QLabel>(label)->text(); }
    const PictureBox* Picture(const char* box) const { return Find<PictureBox>(box); }
    QString Notices() const { return Find<tamrex::NoticeBoard>("Notices")->Messages().join(QLatin1Char('\n')); }

    std::unique_ptr<WorkingFolder> folder;
    std::unique_ptr<Tamrex> window;
};

void TamrexCountTest::initTestCase() { QLocale::setDefault(QLocale::c()); }

void TamrexCountTest::init() {
    folder = std::make_unique<WorkingFolder>();
    QVERIFY(folder->isValid());
}

void TamrexCountTest::cleanup() {
    window.reset();
    folder.reset();
}

void TamrexCountTest::OpenWindow(const CounterSettings& settings) {
    window = std::make_unique<Tamrex>(folder->path(), settings);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QVERIFY(WaitUntilIdle(*window));
}

void TamrexCountTest::Click(int row) {
    auto* list = Find<QListWidget>("File1");
    const QPoint centre = list->visualItemRect(list->item(row)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, centre);
    QVERIFY(WaitUntilIdle(*window));
}

QString TamrexCountTest::Expected(const QString& photo) const {
    QTemporaryDir elsewhere;
    const tamrex::Expected<CountResult> result =
        CountDirectly(folder->file(photo), TestSettings(), elsewhere.filePath(QStringLiteral("map.bmp")));
    if (!result) return QString::fromStdString(result.error().message);
    return QStringLiteral("Detected %1 lines.").arg(result->count());
}

void TamrexCountTest::listsTheJpegFilesOfTheFolderOnce() {
    for (const char* name : {"b.jpg", "A.JPG", "c.Jpg", ".hidden.jpg", "d.jpeg", "E.JPEG", "e.png", "f.jpg.txt",
                             "photo_10.jpg", "photo_2.jpg", "photo_1.jpg"})
        QCOMPARE(folder->AddFile(QLatin1String(name), "x"), QString());
    QVERIFY(QDir(folder->file(QString())).mkdir(QStringLiteral("folder.jpg")));
    OpenWindow();
    QCOMPARE(folder->AddFile(QStringLiteral("added later.jpg"), "x"), QString());

    const auto* list = Find<QListWidget>("File1");
    QStringList listed;
    for (int row = 0; row < list->count(); ++row) listed << list->item(row)->text();
    QCOMPARE(listed,
             QStringList({"A.JPG", "b.jpg", "c.Jpg", "d.jpeg", "E.JPEG", "photo_1.jpg", "photo_2.jpg", "photo_10.jpg"}));
    QCOMPARE(list->selectionMode(), QAbstractItemView::SingleSelection);
}

void TamrexCountTest::anEmptyFolderOffersNothingToCount() {
    OpenWindow();
    QVERIFY2(Notices().contains(QStringLiteral("No JPEG photos")) && Notices().contains(folder->file(QString()).chopped(1)),
             qPrintable(Notices()));
    auto* list = Find<QListWidget>("File1");
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Down);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    QVERIFY(!QFile::exists(LineMap()));
    QVERIFY(Text("Label3").isEmpty());
    QCOMPARE(Text("vTotalCount"), QStringLiteral("0"));
}

void TamrexCountTest::clickingAPhotoCountsItAndShowsTheResult() {
    QCOMPARE(folder->AddStackPhoto(QStringLiteral("stack.jpg"), 7), QString());
    OpenWindow();
    Click(0);

    const QString expected = Expected(QStringLiteral("stack.jpg"));
    QCOMPARE(expected, QStringLiteral("Detected 7 lines."));  // the photo is fit to count
    QCOMPARE(Text("Label3"), expected);
    QCOMPARE(Text("vTotalCount"), QStringLiteral("7"));
    QVERIFY2(QRegularExpression(QStringLiteral(R"(^Process Time: \d+(\.\d{1,3})? Sec\.$)"))
                 .match(Text("pTime"))
                 .hasMatch(),
             qPrintable(Text("pTime")));
    // Both pictures come from the working folder, whatever the process's current folder is.
    QVERIFY(QFile::exists(LineMap()));
    QCOMPARE(Picture("Image2")->picture(), QImage(folder->file(QStringLiteral("stack.jpg"))));
    QCOMPARE(Picture("Image1")->picture(), QImage(LineMap()));
    QVERIFY(!Picture("Image1")->picture().isNull());
}

void TamrexCountTest::arrowKeysCountTheEntryTheyMoveTo() {
    QCOMPARE(folder->AddStackPhoto(QStringLiteral("a.jpg"), 5), QString());
    QCOMPARE(folder->AddStackPhoto(QStringLiteral("b.jpg"), 9), QString());
    OpenWindow();
    auto* list = Find<QListWidget>("File1");
    Click(0);
    QCOMPARE(Text("Label3"), Expected(QStringLiteral("a.jpg")));

    QTest::keyClick(list, Qt::Key_Down);
    QVERIFY(WaitUntilIdle(*window));
    QCOMPARE(Text("Label3"), Expected(QStringLiteral("b.jpg")));
    QCOMPARE(Text("vTotalCount"), QStringLiteral("9"));
    QCOMPARE(Picture("Image2")->picture(), QImage(folder->file(QStringLiteral("b.jpg"))));

    QTest::keyClick(list, Qt::Key_Up);
    QVERIFY(WaitUntilIdle(*window));
    QCOMPARE(Text("Label3"), Expected(QStringLiteral("a.jpg")));
    QCOMPARE(Text("vTotalCount"), QStringLiteral("5"));
}

void TamrexCountTest::newBookClearsOnlyTheCount() {
    QCOMPARE(folder->AddStackPhoto(QStringLiteral("a.jpg"), 5), QString());
    QCOMPARE(folder->AddStackPhoto(QStringLiteral("b.jpg"), 6), QString());
    OpenWindow();
    Click(0);
    const QString resultLine = Text("Label3");
    const QString time = Text("pTime");
    const QImage lineMap = Picture("Image1")->picture();

    QTest::mouseClick(Find<QPushButton>("cmdReset"), Qt::LeftButton);
    QCOMPARE(Text("vTotalCount"), QStringLiteral("0"));
    QCOMPARE(Text("Label3"), resultLine);
    QCOMPARE(Text("pTime"), time);
    QCOMPARE(Picture("Image1")->picture(), lineMap);
    QCOMPARE(Find<QListWidget>("File1")->currentRow(), 0);

    // The next book is counted on its own, not added to the last.
    Click(1);
    QCOMPARE(Text("vTotalCount"), QStringLiteral("6"));
}

void TamrexCountTest::aFailedRunShowsWhyAndLeavesNoStaleResult_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("named");       // what the message must point at
    QTest::addColumn<bool>("photoAnalysed");  // whether Image2 may show the failed photo
    const QString photo = QStringLiteral("b.jpg");
    QTest::newRow("text named .jpg") << QStringLiteral("text") << photo << false;
    QTest::newRow("photo ends early") << QStringLiteral("truncated") << photo << false;
    QTest::newRow("no stack band") << QStringLiteral("bandless") << photo << true;
    QTest::newRow("empty file") << QStringLiteral("empty") << QStringLiteral("the file is empty") << false;
    // Advice the window's operator can follow, not an option of the command line.
    QTest::newRow("more pixels than counted") << QStringLiteral("huge") << QStringLiteral("tamrex-count --max-pixels")
                                              << false;
}

void TamrexCountTest::aFailedRunShowsWhyAndLeavesNoStaleResult() {
    QFETCH(QString, fault);
    QFETCH(QString, named);
    QFETCH(bool, photoAnalysed);
    const QString bad = QStringLiteral("b.jpg");
    QCOMPARE(folder->AddStackPhoto(QStringLiteral("a.jpg"), 5), QString());
    if (fault == QLatin1String("text")) {
        QCOMPARE(folder->AddFile(bad, "these are notes, not a photo"), QString());
    } else if (fault == QLatin1String("truncated")) {
        QCOMPARE(folder->AddStackPhoto(bad, 6), QString());
        QFile photo(folder->file(bad));
        QVERIFY(photo.resize(photo.size() / 2));
    } else if (fault == QLatin1String("bandless")) {
        QCOMPARE(folder->AddBandlessPhoto(bad), QString());
    } else if (fault == QLatin1String("empty")) {
        QCOMPARE(folder->AddFile(bad, QByteArray()), QString());
    } else if (fault == QLatin1String("huge")) {
        QCOMPARE(folder->AddStackPhoto(bad, 6), QString());
        QFile photo(folder->file(bad));
        QVERIFY(photo.open(QIODevice::ReadWrite));
        QByteArray bytes = photo.readAll();
        const qsizetype frame = bytes.indexOf("\xff\xc0");
        QVERIFY(frame > 0);
        bytes.replace(frame + 5, 4, "\x4e\x20\x4e\x20");  // 20000 by 20000 pixels
        QVERIFY(photo.seek(0));
        QCOMPARE(photo.write(bytes), bytes.size());
    }
    OpenWindow();
    Click(0);
    QCOMPARE(Text("vTotalCount"), QStringLiteral("5"));

    Click(1);
    const QLabel* label3 = Find<QLabel>("Label3");
    QVERIFY2(label3->text().contains(named), qPrintable(label3->text()));
    QVERIFY(!label3->text().startsWith(QLatin1String("Detected")));
    const QRect needed =
        QFontMetrics(label3->font())
            .boundingRect(label3->contentsRect(), Qt::TextWordWrap, label3->text());
    QVERIFY2(label3->contentsRect().contains(needed), "the message is cut off by its box");
    QCOMPARE(label3->toolTip(), label3->text());
    QVERIFY(!label3->text().contains(QStringLiteral("raise the limit")));
    QCOMPARE(Text("vTotalCount"), kNoCount);  // a 0 would pass for a count
    QVERIFY(Text("pTime").isEmpty());
    QVERIFY(Picture("Image1")->picture().isNull());
    const QImage shown = Picture("Image2")->picture();
    QCOMPARE(shown, photoAnalysed ? QImage(folder->file(bad)) : QImage());
    QVERIFY(window->isVisible());

    // The window carries on with the next photo.
    Click(0);
    QCOMPARE(Text("Label3"), Expected(QStringLiteral("a.jpg")));
    QVERIFY(!Picture("Image1")->picture().isNull());
}

// A folder where test.bmp cannot be written (a read-only card, or a folder of that name)
// still gets its counts: the map is drawn from memory and a notice says why.
void TamrexCountTest::aLineMapThatCannotBeWrittenLeavesTheCountStanding() {
    QCOMPARE(folder->AddStackPhoto(QStringLiteral("a.jpg"), 5), QString());
    QCOMPARE(folder->AddStackPhoto(QStringLiteral("b.jpg"), 6), QString());
    OpenWindow();
    Click(1);
    const QImage written(LineMap());
    QVERIFY(!written.isNull());
    QVERIFY(QFile::remove(LineMap()));
    QVERIFY(QDir(folder->file(QString())).mkdir(QStringLiteral("test.bmp")));
    Click(0);
    Click(1);
    QCOMPARE(Text("Label3"), Expected(QStringLiteral("b.jpg")));
    QCOMPARE(Text("vTotalCount"), QStringLiteral("6"));
    QVERIFY(!Text("pTime").isEmpty());
    QCOMPARE(Picture("Image1")->picture().convertToFormat(QImage::Format_RGB32),
             written.convertToFormat(QImage::Format_RGB32));
    QVERIFY2(Notices().contains(QStringLiteral("cannot write line map")), qPrintable(Notices()));
    QVERIFY(Notices().contains(QStringLiteral("test.bmp")));
}

void TamrexCountTest::aThresholdOutOfRangeIsReportedInsteadOfCounted() {
    QCOMPARE(folder->AddStackPhoto(QStringLiteral("a.jpg"), 5), QString());
    CounterSettings settings = TestSettings();
    settings.threshold = 300;
    OpenWindow(settings);
    Click(0);
    QVERIFY2(Text("Label3").contains(QLatin1String("THRESHOLD")), qPrintable(Text("Label3")));
    QCOMPARE(Text("vTotalCount"), kNoCount);
    QVERIFY(!QFile::exists(LineMap()));
    QVERIFY(Picture("Image2")->picture().isNull());
}

void TamrexCountTest::aDecoderWarningIsShownWithTheCount() {
    QCOMPARE(folder->AddStackPhoto(QStringLiteral("a.jpg"), 5), QString());
    QCOMPARE(folder->AddStackPhoto(QStringLiteral("b.jpg"), 6), QString());
    // Stray bytes between two header segments: the decoder complains, skips them and
    // reads the whole picture.
    QFile photo(folder->file(QStringLiteral("a.jpg")));
    QVERIFY(photo.open(QIODevice::ReadWrite));
    QByteArray bytes = photo.readAll();
    const qsizetype quantTables = bytes.indexOf("\xff\xdb");
    QVERIFY(quantTables > 0);
    bytes.insert(quantTables, "abc");
    QVERIFY(photo.seek(0));
    QCOMPARE(photo.write(bytes), bytes.size());
    photo.close();
    OpenWindow();

    Click(0);
    QCOMPARE(Text("Label3"), Expected(QStringLiteral("a.jpg")));
    QVERIFY2(Notices().contains(QLatin1String("stray bytes")), qPrintable(Notices()));
    Click(1);
    QVERIFY(!Notices().contains(QLatin1String("stray bytes")));
}

// Counts run off the window's thread: the click returns at once, and of photos chosen one
// after another while a big one is counted, only the last is shown, and its line map is the
// one left in the folder.
void TamrexCountTest::thePhotoChosenLastIsTheOneShown() {
    QCOMPARE(folder->AddStackPhoto(QStringLiteral("a.jpg"), 5, 3000, 2400), QString());
    QCOMPARE(folder->AddStackPhoto(QStringLiteral("b.jpg"), 6), QString());
    QCOMPARE(folder->AddStackPhoto(QStringLiteral("c.jpg"), 9), QString());
    OpenWindow();
    QSignalSpy shown(window.get(), &Tamrex::countShown);
    auto* list = Find<QListWidget>("File1");
    for (int row = 0; row < 3; ++row) {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                          list->visualItemRect(list->item(row)).center());
        QVERIFY(window->Busy());  // the window's thread did not count
    }
    QVERIFY(WaitUntilIdle(*window));
    QCOMPARE(shown.count(), 1);
    QCOMPARE(Text("Label3"), Expected(QStringLiteral("c.jpg")));
    QCOMPARE(Text("vTotalCount"), QStringLiteral("9"));
    QCOMPARE(Picture("Image2")->picture(), QImage(folder->file(QStringLiteral("c.jpg"))));
    QCOMPARE(Picture("Image1")->picture(), QImage(LineMap()));
    QVERIFY(!Notices().contains(QStringLiteral("Counting")));
}

QTEST_MAIN(TamrexCountTest)
#include "TamrexCountTest.moc"
