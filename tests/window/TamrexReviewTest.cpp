// The main window with the review: what opens it, what an accepted count changes in the
// window, and the corrections file it is kept in.

#include "calibration/CorrectionsFile.h"
#include "calibration/KnownCounts.h"
#include "window/PathText.h"
#include "window/PictureBox.h"
#include "window/ReviewCanvas.h"
#include "window/ReviewWindow.h"
#include "window/Tamrex.h"
#include "tests/window/PictureMenuChoice.h"
#include "tests/window/WorkingFolder.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

#include <memory>

using tamrex::Correction;
using tamrex::PictureBox;
using tamrex::ReviewWindow;
using tamrex::Tamrex;
using tamrex::testing::TestSettings;
using tamrex::testing::TestStation;
using tamrex::testing::WorkingFolder;

namespace {

const QString kCorrections = QString::fromLatin1(tamrex::kCorrectionsFileName);

ReviewWindow* OpenReview() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* review = qobject_cast<ReviewWindow*>(widget); review && review->isVisible()) return review;
    }
    return nullptr;
}

}  // namespace

class TamrexReviewTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void aCountThatLooksOffSaysSoBesideTheLineMap();

    void aDoubleClickF2OrTheMenuReviewsTheCountOnShow_data();
    void aDoubleClickF2OrTheMenuReviewsTheCountOnShow();
    void nothingIsReviewedWithoutACount();
    void anAcceptedCountIsShownBesideWhatTheRulesFound();
    void theCorrectionsFileKeepsOneRowPerPhoto();
    void leavingTheReviewChangesNothing();
    void correctionsOfAnEarlierSessionAreShown();
    void aCorrectionThatCannotBeWrittenIsKeptWhileTheWindowRuns();
    void aCorrectionsFileThatCannotBeReadIsLeftAsItIs();
    void aPhotoGoneSinceItsCountCannotBeReviewed();

private:
    void OpenWindow();
    void OpenWindowWith(const tamrex::StationSettings& station);
    void Click(int row);
    // Opens the review of the count on show, takes away its bottom line and accepts.
    void AcceptOneLineLess();
    QString Text(const char* label) const { return window->findChild<QLabel*>(QLatin1String(label))->text(); }
    PictureBox* Picture(const char* name) const { return window->findChild<PictureBox*>(QLatin1String(name)); }
    QString CorrectionsText() const;

    std::unique_ptr<WorkingFolder> folder;
    std::unique_ptr<Tamrex> window;
};

void TamrexReviewTest::init() {
    folder = std::make_unique<WorkingFolder>();
    QVERIFY(folder->isValid());
    QCOMPARE(folder->AddStackPhoto(QStringLiteral("a.jpg"), 7), QString());
    QCOMPARE(folder->AddStackPhoto(QStringLiteral("b.jpg"), 9), QString());
}

void TamrexReviewTest::cleanup() {
    window.reset();
    folder.reset();
}

void TamrexReviewTest::OpenWindow() { OpenWindowWith(TestStation()); }

void TamrexReviewTest::OpenWindowWith(const tamrex::StationSettings& station) {
    window = std::make_unique<Tamrex>(folder->path(), station);
    window->show();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
}

void TamrexReviewTest::Click(int row) {
    auto* list = window->findChild<QListWidget*>(QStringLiteral("File1"));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, list->visualItemRect(list->item(row)).center());
}

void TamrexReviewTest::AcceptOneLineLess() {
    QTest::keyClick(window.get(), Qt::Key_F2);
    ReviewWindow* review = OpenReview();
    QVERIFY(review);
    QVERIFY(QTest::qWaitForWindowExposed(review));
    const tamrex::ReviewLine bottom = review->Edits().Lines().front();
    const QPointF onLine(100, (bottom.rows.top + bottom.rows.bottom + 1) / 2.0);
    QTest::mouseClick(review->Canvas()->viewport(), Qt::LeftButton, Qt::NoModifier,
                      review->Canvas()->View().ToScreen(onLine).toPoint());
    QCOMPARE(review->Edits().Boards(), review->Edits().CountedBoards() - 1);
    QTest::mouseClick(review->findChild<QPushButton*>(QStringLiteral("Accept")), Qt::LeftButton);
    QVERIFY(!review->isVisible());
    // A window manager hands the focus back; the offscreen platform has none.
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
}

QString TamrexReviewTest::CorrectionsText() const {
    QFile file(folder->file(kCorrections));
    if (!file.open(QIODevice::ReadOnly)) return QStringLiteral("(no corrections file)");
    return QString::fromUtf8(file.readAll());
}

void TamrexReviewTest::aDoubleClickF2OrTheMenuReviewsTheCountOnShow_data() {
    QTest::addColumn<QString>("way");
    QTest::newRow("double-click on the line map") << "Image1";
    QTest::newRow("double-click on the photo") << "Image2";
    QTest::newRow("F2") << "F2";
    QTest::newRow("right-click menu") << "menu";
}

void TamrexReviewTest::aDoubleClickF2OrTheMenuReviewsTheCountOnShow() {
    QFETCH(QString, way);
    OpenWindow();
    Click(0);
    Click(1);
    if (way == QLatin1String("F2")) {
        QTest::keyClick(window.get(), Qt::Key_F2);
    } else if (way == QLatin1String("menu")) {
        QVERIFY(tamrex::testing::ChooseFromPictureMenu(Picture("Image1"), QStringLiteral("Review the count")));
    } else {
        QTest::mouseDClick(Picture(qPrintable(way)), Qt::LeftButton);
    }
    ReviewWindow* review = OpenReview();
    QVERIFY(review);
    QCOMPARE(review->windowTitle(), QStringLiteral("Review: b.jpg"));
    QCOMPARE(review->Edits().CountedBoards(), 9);
    QVERIFY(review->isModal());  // the main window waits for it
    review->close();
}

void TamrexReviewTest::nothingIsReviewedWithoutACount() {
    QCOMPARE(folder->AddBandlessPhoto(QStringLiteral("c.jpg")), QString());
    OpenWindow();
    QTest::keyClick(window.get(), Qt::Key_F2);
    QTest::mouseDClick(Picture("Image1"), Qt::LeftButton);
    QVERIFY(!OpenReview());
    QVERIFY(!tamrex::testing::PictureMenuOffers(Picture("Image1"), QStringLiteral("Review the count")));

    Click(0);
    QVERIFY(tamrex::testing::PictureMenuOffers(Picture("Image1"), QStringLiteral("Review the count")));
    Click(2);  // no stack band: no count to review
    QTest::keyClick(window.get(), Qt::Key_F2);
    QTest::mouseDClick(Picture("Image2"), Qt::LeftButton);
    QVERIFY(!OpenReview());
}

// A BDLINE no row reaches leaves the rules without a line while the second look counts
// the boards: the count says so beside its line map, and keeps its own texts.
void TamrexReviewTest::aCountThatLooksOffSaysSoBesideTheLineMap() {
    tamrex::CounterSettings blind = TestSettings();
    blind.bdLine = 30000;
    OpenWindowWith(tamrex::StationSettings{blind, std::nullopt});
    Click(0);
    QCOMPARE(Text("Label3"), QStringLiteral("Detected 1 lines."));
    QVERIFY2(Picture("Image1")->notice().contains(QStringLiteral("Check this count")),
             qPrintable(Picture("Image1")->notice()));
}

void TamrexReviewTest::anAcceptedCountIsShownBesideWhatTheRulesFound() {
    OpenWindow();
    Click(0);
    AcceptOneLineLess();
    QCOMPARE(Text("vTotalCount"), QStringLiteral("6"));
    QCOMPARE(Text("Label3"), QStringLiteral("Detected 7 lines."));
    const QString notice = Picture("Image1")->notice();
    QVERIFY2(notice.contains(QStringLiteral("Corrected by hand: 6 boards")) &&
                 notice.contains(QStringLiteral("counted 7")),
             qPrintable(notice));

    // Another photo shows its own count; coming back shows the accepted one again.
    Click(1);
    QCOMPARE(Text("vTotalCount"), QStringLiteral("9"));
    QVERIFY(Picture("Image1")->notice().isEmpty());
    Click(0);
    QCOMPARE(Text("vTotalCount"), QStringLiteral("6"));
    QCOMPARE(Text("Label3"), QStringLiteral("Detected 7 lines."));
    QCOMPARE(Picture("Image1")->notice(), notice);
    // New Book still starts the next book at 0.
    QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("cmdReset")), Qt::LeftButton);
    QCOMPARE(Text("vTotalCount"), QStringLiteral("0"));
}

void TamrexReviewTest::theCorrectionsFileKeepsOneRowPerPhoto() {
    OpenWindow();
    Click(0);
    AcceptOneLineLess();
    Click(1);
    AcceptOneLineLess();
    Click(0);
    QTest::keyClick(window.get(), Qt::Key_F2);
    QVERIFY(OpenReview());
    QTest::mouseClick(OpenReview()->findChild<QPushButton*>(QStringLiteral("Accept")), Qt::LeftButton);

    const QStringList rows = CorrectionsText().split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows[0], QStringLiteral("file,count,counted,when"));
    QVERIFY2(rows[1].startsWith(QStringLiteral("a.jpg,7,7,")), qPrintable(rows[1]));  // accepted as counted
    QVERIFY2(rows[2].startsWith(QStringLiteral("b.jpg,8,9,")), qPrintable(rows[2]));
    // ISO 8601 with the offset from UTC, so that the time is the same anywhere.
    const QString when = rows[1].section(QLatin1Char(','), 3);
    const QRegularExpression iso8601(QStringLiteral(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d(Z|[+-]\d\d:\d\d)$)"));
    QVERIFY2(iso8601.match(when).hasMatch(), qPrintable(when));
    QVERIFY(QDateTime::fromString(when, Qt::ISODate).isValid());

    // Read back as the calibration reads known counts, from the photos' folder.
    const QString before = QDir::currentPath();
    QVERIFY(QDir::setCurrent(folder->file(QString())));
    const tamrex::Expected<std::vector<tamrex::KnownCount>> known = tamrex::ReadKnownCounts(kCorrections.toStdString());
    QVERIFY(QDir::setCurrent(before));
    QVERIFY2(known, known ? "" : known.error().message.c_str());
    QCOMPARE(known->size(), std::size_t(2));
    QCOMPARE(known->at(1).photo, std::filesystem::path("b.jpg"));
    QCOMPARE(known->at(1).boards, 8);
}

void TamrexReviewTest::leavingTheReviewChangesNothing() {
    OpenWindow();
    Click(1);
    QTest::keyClick(window.get(), Qt::Key_F2);
    ReviewWindow* review = OpenReview();
    QVERIFY(review);
    QTest::keyClick(review->Canvas(), Qt::Key_Up);
    QTest::keyClick(review->Canvas(), Qt::Key_Insert);
    QCOMPARE(review->Edits().Boards(), 10);
    QTest::keyClick(review->Canvas(), Qt::Key_Escape);
    QVERIFY(!OpenReview());
    QCOMPARE(Text("vTotalCount"), QStringLiteral("9"));
    QVERIFY(Picture("Image1")->notice().isEmpty());
    QVERIFY(!QFile::exists(folder->file(kCorrections)));
}

void TamrexReviewTest::correctionsOfAnEarlierSessionAreShown() {
    QCOMPARE(folder->AddFile(kCorrections, "file,count,counted,when\r\nb.jpg,11,10,2024-12-07T10:15:00+01:00\r\n"),
             QString());
    OpenWindow();
    Click(1);
    QCOMPARE(Text("vTotalCount"), QStringLiteral("11"));
    QCOMPARE(Text("Label3"), QStringLiteral("Detected 9 lines."));
    // The count of the rules has changed since: both are said.
    QVERIFY2(Picture("Image1")->notice().contains(QStringLiteral("counted 10 then and 9 now")),
             qPrintable(Picture("Image1")->notice()));
}

// The folder is moved away while the review is open, as a card pulled out would be.
void TamrexReviewTest::aCorrectionThatCannotBeWrittenIsKeptWhileTheWindowRuns() {
    OpenWindow();
    Click(0);
    const QString place = folder->file(QString());
    const QString away = place + QStringLiteral("-away");
    QTest::keyClick(window.get(), Qt::Key_F2);
    ReviewWindow* review = OpenReview();
    QVERIFY(review);
    QVERIFY(QDir().rename(place, away));
    QTest::mouseClick(review->findChild<QPushButton*>(QStringLiteral("Accept")), Qt::LeftButton);
    QVERIFY(QDir().rename(away, place));

    QCOMPARE(Text("vTotalCount"), QStringLiteral("7"));
    const QString notice = Picture("Image1")->notice();
    QVERIFY2(notice.contains(QStringLiteral("cannot write corrections file")) && notice.contains(kCorrections) &&
                 notice.contains(QStringLiteral("kept only while Tamrex runs")),
             qPrintable(notice));
    QVERIFY(!QFile::exists(folder->file(kCorrections)));
    Click(1);
    Click(0);
    QVERIFY2(Picture("Image1")->notice().contains(QStringLiteral("Corrected by hand: 7 boards")),
             qPrintable(Picture("Image1")->notice()));
}

void TamrexReviewTest::aCorrectionsFileThatCannotBeReadIsLeftAsItIs() {
    const QByteArray content = "file,count\r\na.jpg,many\r\n";
    QCOMPARE(folder->AddFile(kCorrections, content), QString());
    OpenWindow();
    Click(1);
    AcceptOneLineLess();
    QCOMPARE(Text("vTotalCount"), QStringLiteral("8"));
    const QString notice = Picture("Image1")->notice();
    QVERIFY2(notice.contains(kCorrections) && notice.contains(QStringLiteral("line 2")), qPrintable(notice));
    QFile file(folder->file(kCorrections));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), content);
}

void TamrexReviewTest::aPhotoGoneSinceItsCountCannotBeReviewed() {
    OpenWindow();
    Click(0);
    QVERIFY(QFile::remove(folder->file(QStringLiteral("a.jpg"))));
    QTest::keyClick(window.get(), Qt::Key_F2);
    QVERIFY(!OpenReview());
    QVERIFY2(Picture("Image1")->notice().contains(folder->file(QStringLiteral("a.jpg"))),
             qPrintable(Picture("Image1")->notice()));
    QCOMPARE(Text("vTotalCount"), QStringLiteral("7"));
}

QTEST_MAIN(TamrexReviewTest)
#include "TamrexReviewTest.moc"
