// The main window with the review: what opens it, what an accepted count changes in the
// window, the corrections file it is kept in, and that it is kept until replaced on purpose.

#include "calibration/CorrectionsFile.h"
#include "calibration/KnownCounts.h"
#include "window/NoticeBoard.h"
#include "window/PathText.h"
#include "window/PictureBox.h"
#include "window/ReviewCanvas.h"
#include "window/ReviewWindow.h"
#include "window/Tamrex.h"
#include "tests/window/PictureMenuChoice.h"
#include "tests/window/WindowWaits.h"
#include "tests/window/WorkingFolder.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

#include <memory>

using tamrex::Correction;
using tamrex::PictureBox;
using tamrex::ReviewWindow;
using tamrex::Tamrex;
using tamrex::testing::OpenReview;
using tamrex::testing::TestSettings;
using tamrex::testing::TestStation;
using tamrex::testing::WaitForReview;
using tamrex::testing::WaitUntilIdle;
using tamrex::testing::WorkingFolder;

namespace {

const QString kCorrections = QString::fromLatin1(tamrex::kCorrectionsFileName);

// No row holds this many dark pixels: the rules find no line, while the second look counts
// the boards.
tamrex::StationSettings BlindStation() {
    tamrex::CounterSettings blind = TestSettings();
    blind.bdLine = 30000;
    return tamrex::StationSettings{blind, std::nullopt};
}

}  // namespace

class TamrexReviewTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void aCountThatLooksOffSaysSoInNumbersUntilACountIsAccepted();

    void aDoubleClickF2OrTheMenuReviewsTheCountOnShow_data();
    void aDoubleClickF2OrTheMenuReviewsTheCountOnShow();
    void nothingIsReviewedWithoutACount();
    void anAcceptedCountIsShownBesideWhatTheRulesFound();
    void theCorrectionsFileKeepsOneRowPerPhoto();
    void anAcceptedCountStandsWhenItsReviewIsAcceptedAgainUnchanged_data();
    void anAcceptedCountStandsWhenItsReviewIsAcceptedAgainUnchanged();
    void aPhotoReplacedSinceItsCorrectionIsCountedAfresh();
    void leavingTheReviewChangesNothing();
    void correctionsOfAnEarlierSessionAreShown();
    void aCorrectionThatCannotBeWrittenIsKeptWhileTheWindowRuns();
    void aCorrectionsFileThatCannotBeReadIsLeftAsItIs();
    void aPhotoGoneSinceItsCountCannotBeReviewed();

private:
    void OpenWindow();
    void OpenWindowWith(const tamrex::StationSettings& station);
    void Click(int row);
    ReviewWindow* Review();
    // Opens the review of the count on show, takes away its bottom line and accepts.
    void AcceptOneLineLess();
    void AcceptUnchanged();
    void ComeBack();
    QString Text(const char* label) const { return window->findChild<QLabel*>(QLatin1String(label))->text(); }
    PictureBox* Picture(const char* name) const { return window->findChild<PictureBox*>(QLatin1String(name)); }
    QString Notices() const {
        return window->findChild<tamrex::NoticeBoard*>(QStringLiteral("Notices"))->Messages().join(QLatin1Char('\n'));
    }
    QString CorrectionsText() const;
    QStringList CorrectionRows() const { return CorrectionsText().split(QStringLiteral("\r\n"), Qt::SkipEmptyParts); }

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
    QVERIFY(WaitUntilIdle(*window));  // the corrections file is read off the window's thread
}

void TamrexReviewTest::Click(int row) {
    auto* list = window->findChild<QListWidget*>(QStringLiteral("File1"));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, list->visualItemRect(list->item(row)).center());
    QVERIFY(WaitUntilIdle(*window));
}

ReviewWindow* TamrexReviewTest::Review() {
    QTest::keyClick(window.get(), Qt::Key_F2);
    ReviewWindow* review = WaitForReview();
    return review && QTest::qWaitForWindowExposed(review) ? review : nullptr;
}

// A window manager hands the focus back; the offscreen platform has none.
void TamrexReviewTest::ComeBack() {
    QVERIFY(WaitUntilIdle(*window));
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
}

void TamrexReviewTest::AcceptOneLineLess() {
    ReviewWindow* review = Review();
    QVERIFY(review);
    const tamrex::ReviewLine bottom = review->Edits().Lines().front();
    const QPointF onLine(100, (bottom.rows.top + bottom.rows.bottom + 1) / 2.0);
    QTest::mouseClick(review->Canvas()->viewport(), Qt::LeftButton, Qt::NoModifier,
                      review->Canvas()->View().ToScreen(onLine).toPoint());
    QCOMPARE(review->Edits().Boards(), review->Edits().CountedBoards() - 1);
    QTest::mouseClick(review->findChild<QPushButton*>(QStringLiteral("Accept")), Qt::LeftButton);
    QVERIFY(!review->isVisible());
    ComeBack();
}

void TamrexReviewTest::AcceptUnchanged() {
    ReviewWindow* review = Review();
    QVERIFY(review);
    QTest::keyClick(review->Canvas(), Qt::Key_Return);
    QVERIFY(!review->isVisible());
    ComeBack();
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
    ReviewWindow* review = WaitForReview();
    QVERIFY(review);
    QCOMPARE(review->windowTitle(), QStringLiteral("Review: b.jpg"));
    QCOMPARE(review->Edits().CountedBoards(), 9);
    QVERIFY(review->isModal());  // the main window waits for it
    // It opens at once on a copy and sharpens once the photo is read whole.
    QTRY_VERIFY(review->Canvas()->Sharp());
    review->close();
}

void TamrexReviewTest::nothingIsReviewedWithoutACount() {
    QCOMPARE(folder->AddBandlessPhoto(QStringLiteral("c.jpg")), QString());
    OpenWindow();
    QTest::keyClick(window.get(), Qt::Key_F2);
    QTest::mouseDClick(Picture("Image1"), Qt::LeftButton);
    QVERIFY(WaitUntilIdle(*window));
    QVERIFY(!OpenReview());
    QVERIFY(!tamrex::testing::PictureMenuOffers(Picture("Image1"), QStringLiteral("Review the count")));

    Click(0);
    QVERIFY(tamrex::testing::PictureMenuOffers(Picture("Image1"), QStringLiteral("Review the count")));
    Click(2);  // no stack band: no count to review
    QTest::keyClick(window.get(), Qt::Key_F2);
    QTest::mouseDClick(Picture("Image2"), Qt::LeftButton);
    QVERIFY(WaitUntilIdle(*window));
    QVERIFY(!OpenReview());
}

// The rules find no line while the second look counts the boards: the notice beside the
// list says so with both counts, where it hides no line, until the second look's count is
// accepted; then it says what was accepted.
void TamrexReviewTest::aCountThatLooksOffSaysSoInNumbersUntilACountIsAccepted() {
    OpenWindowWith(BlindStation());
    Click(0);
    QCOMPARE(Text("Label3"), QStringLiteral("Detected 1 lines."));
    QVERIFY2(Notices().contains(QStringLiteral("Check this count of 1 (F2): the second look counts 7")),
             qPrintable(Notices()));
    auto* board = window->findChild<tamrex::NoticeBoard*>(QStringLiteral("Notices"));
    QVERIFY(board->isVisible());
    QVERIFY(!board->geometry().intersects(Picture("Image1")->geometry()));
    QVERIFY(!board->geometry().intersects(Picture("Image2")->geometry()));

    // Put away, it stays away until there is something new to say.
    QTest::mouseClick(board->findChild<QWidget*>(QStringLiteral("PutNoticesAway")), Qt::LeftButton);
    QVERIFY(!board->isVisible());
    QVERIFY(Notices().isEmpty());

    ReviewWindow* review = Review();
    QVERIFY(review);
    QTest::mouseClick(review->findChild<QPushButton*>(QStringLiteral("UseSecondCount")), Qt::LeftButton);
    ComeBack();
    QCOMPARE(Text("vTotalCount"), QStringLiteral("7"));
    QVERIFY(board->isVisible());
    QVERIFY2(!Notices().contains(QStringLiteral("Check this count")), qPrintable(Notices()));
    QVERIFY2(Notices().contains(QStringLiteral("The second look's count of 7 boards accepted by hand")),
             qPrintable(Notices()));
}

void TamrexReviewTest::anAcceptedCountIsShownBesideWhatTheRulesFound() {
    OpenWindow();
    Click(0);
    AcceptOneLineLess();
    QCOMPARE(Text("vTotalCount"), QStringLiteral("6"));
    QCOMPARE(Text("Label3"), QStringLiteral("Detected 7 lines."));
    const QString notice = Notices();
    QVERIFY2(notice.contains(QStringLiteral("Corrected by hand: 6 boards accepted (the rules count 7)")),
             qPrintable(notice));

    // Another photo shows its own count; coming back shows the accepted one again.
    Click(1);
    QCOMPARE(Text("vTotalCount"), QStringLiteral("9"));
    QVERIFY(!Notices().contains(QStringLiteral("by hand")));
    Click(0);
    QCOMPARE(Text("vTotalCount"), QStringLiteral("6"));
    QCOMPARE(Text("Label3"), QStringLiteral("Detected 7 lines."));
    QCOMPARE(Notices(), notice);
    // New Book still starts the next book at 0.
    QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("cmdReset")), Qt::LeftButton);
    QCOMPARE(Text("vTotalCount"), QStringLiteral("0"));
}

void TamrexReviewTest::theCorrectionsFileKeepsOneRowPerPhoto() {
    OpenWindow();
    Click(0);
    AcceptOneLineLess();
    Click(1);
    AcceptUnchanged();  // b.jpg checked as the rules counted it
    Click(1);
    AcceptOneLineLess();  // then corrected: its row is replaced

    const QStringList rows = CorrectionRows();
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows[0], QStringLiteral("file,count,counted,when,kind,lines,bytes,fingerprint"));
    QVERIFY2(rows[1].startsWith(QStringLiteral("a.jpg,6,7,")) && rows[1].contains(QStringLiteral(",corrected,")),
             qPrintable(rows[1]));
    QVERIFY2(rows[2].startsWith(QStringLiteral("b.jpg,8,9,")), qPrintable(rows[2]));
    // The lines on show, top first, and the photo's size and fingerprint.
    const QStringList fields = rows[1].split(QLatin1Char(','));
    QCOMPARE(fields[5].split(QLatin1Char(' ')).size(), 5);
    QCOMPARE(fields[6], QString::number(QFileInfo(folder->file(QStringLiteral("a.jpg"))).size()));
    QVERIFY2(QRegularExpression(QStringLiteral("^[0-9a-f]{16}$")).match(fields[7]).hasMatch(), qPrintable(fields[7]));
    // ISO 8601 with the offset from UTC, so that the time is the same anywhere.
    const QString when = fields[3];
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

void TamrexReviewTest::anAcceptedCountStandsWhenItsReviewIsAcceptedAgainUnchanged_data() {
    QTest::addColumn<bool>("bySecondLook");
    QTest::newRow("lines put right") << false;
    QTest::newRow("the second look's count") << true;
}

// Reopened, the review starts from what was accepted; Enter confirms it and writes nothing.
void TamrexReviewTest::anAcceptedCountStandsWhenItsReviewIsAcceptedAgainUnchanged() {
    QFETCH(bool, bySecondLook);
    if (bySecondLook) {
        OpenWindowWith(BlindStation());
        Click(0);
        ReviewWindow* review = Review();
        QVERIFY(review);
        QTest::mouseClick(review->findChild<QPushButton*>(QStringLiteral("UseSecondCount")), Qt::LeftButton);
        ComeBack();
    } else {
        OpenWindow();
        Click(0);
        AcceptOneLineLess();
    }
    const QString accepted = Text("vTotalCount");
    const QString file = CorrectionsText();
    QVERIFY2(file.contains(QStringLiteral("a.jpg,") + accepted), qPrintable(file));

    Click(1);
    Click(0);
    ReviewWindow* review = Review();
    QVERIFY(review);
    const QString counts = review->findChild<QLabel*>(QStringLiteral("counts"))->text();
    QVERIFY2(counts.endsWith(QStringLiteral(" %1").arg(accepted)) ||
                 counts.contains(QStringLiteral("accepted %1 (the second look's)").arg(accepted)),
             qPrintable(counts));
    if (bySecondLook) {
        // What it offers is on show already.
        QVERIFY(!review->findChild<QPushButton*>(QStringLiteral("UseSecondCount"))->isVisible());
    } else {
        QCOMPARE(review->Edits().Boards(), accepted.toInt());
    }
    QTest::keyClick(review->Canvas(), Qt::Key_Return);
    ComeBack();
    QCOMPARE(Text("vTotalCount"), accepted);
    QCOMPARE(CorrectionsText(), file);
}

// A new photo under the old name: the rules' count is shown, with why the old correction is
// not, and a count accepted for it replaces the old one.
void TamrexReviewTest::aPhotoReplacedSinceItsCorrectionIsCountedAfresh() {
    OpenWindow();
    Click(0);
    AcceptOneLineLess();
    QVERIFY(QFile::remove(folder->file(QStringLiteral("a.jpg"))));
    QVERIFY(QFile::copy(folder->file(QStringLiteral("b.jpg")), folder->file(QStringLiteral("a.jpg"))));
    Click(1);
    Click(0);
    QCOMPARE(Text("vTotalCount"), QStringLiteral("9"));
    QVERIFY2(Notices().contains(QStringLiteral("This photo has changed since 6 boards were accepted for it")),
             qPrintable(Notices()));

    ReviewWindow* review = Review();
    QVERIFY(review);
    QCOMPARE(review->Edits().Boards(), 9);  // the rules' lines, not the old photo's
    QTest::keyClick(review->Canvas(), Qt::Key_Return);
    ComeBack();
    QVERIFY2(CorrectionRows().value(1).startsWith(QStringLiteral("a.jpg,9,9,")), qPrintable(CorrectionsText()));
    QVERIFY2(Notices().contains(QStringLiteral("Checked by hand: 9 boards")), qPrintable(Notices()));
}

void TamrexReviewTest::leavingTheReviewChangesNothing() {
    OpenWindow();
    Click(1);
    ReviewWindow* review = Review();
    QVERIFY(review);
    QTest::keyClick(review->Canvas(), Qt::Key_Up);
    QTest::keyClick(review->Canvas(), Qt::Key_Insert);
    QCOMPARE(review->Edits().Boards(), 10);
    QTest::keyClick(review->Canvas(), Qt::Key_Escape);
    auto* question = review->findChild<QMessageBox*>(QStringLiteral("LeaveReview"));
    QVERIFY(question);
    QTest::mouseClick(question->findChild<QPushButton*>(QStringLiteral("Drop")), Qt::LeftButton);
    QVERIFY(!OpenReview());
    QCOMPARE(Text("vTotalCount"), QStringLiteral("9"));
    QVERIFY(!Notices().contains(QStringLiteral("by hand")));
    QVERIFY(!QFile::exists(folder->file(kCorrections)));
}

// A file of an earlier version, without lines or the photo's identity, still reads.
void TamrexReviewTest::correctionsOfAnEarlierSessionAreShown() {
    QCOMPARE(folder->AddFile(kCorrections, "file,count,counted,when\r\nb.jpg,11,10,2024-12-07T10:15:00+01:00\r\n"),
             QString());
    OpenWindow();
    Click(1);
    QCOMPARE(Text("vTotalCount"), QStringLiteral("11"));
    QCOMPARE(Text("Label3"), QStringLiteral("Detected 9 lines."));
    // The count of the rules has changed since: both are said.
    QVERIFY2(Notices().contains(QStringLiteral("counted 10 then and 9 now")), qPrintable(Notices()));
}

// The folder is moved away while the review is open, as a card pulled out would be.
void TamrexReviewTest::aCorrectionThatCannotBeWrittenIsKeptWhileTheWindowRuns() {
    OpenWindow();
    Click(0);
    const QString place = folder->file(QString());
    const QString away = place + QStringLiteral("-away");
    ReviewWindow* review = Review();
    QVERIFY(review);
    QVERIFY(QDir().rename(place, away));
    QTest::mouseClick(review->findChild<QPushButton*>(QStringLiteral("Accept")), Qt::LeftButton);
    QVERIFY(QDir().rename(away, place));

    QCOMPARE(Text("vTotalCount"), QStringLiteral("7"));
    const QString notice = Notices();
    QVERIFY2(notice.contains(QStringLiteral("cannot write corrections file")) && notice.contains(kCorrections) &&
                 notice.contains(QStringLiteral("kept only while Tamrex runs")),
             qPrintable(notice));
    QVERIFY2(!notice.contains(QStringLiteral("choose another place")), qPrintable(notice));
    QVERIFY(!QFile::exists(folder->file(kCorrections)));
    Click(1);
    Click(0);
    QVERIFY2(Notices().contains(QStringLiteral("Checked by hand: 7 boards")), qPrintable(Notices()));
}

void TamrexReviewTest::aCorrectionsFileThatCannotBeReadIsLeftAsItIs() {
    const QByteArray content = "file,count\r\na.jpg,many\r\n";
    QCOMPARE(folder->AddFile(kCorrections, content), QString());
    OpenWindow();
    QVERIFY2(Notices().contains(kCorrections) && Notices().contains(QStringLiteral("line 2")), qPrintable(Notices()));
    Click(1);
    AcceptOneLineLess();
    QCOMPARE(Text("vTotalCount"), QStringLiteral("8"));
    QVERIFY2(Notices().contains(QStringLiteral("kept only while Tamrex runs")), qPrintable(Notices()));
    QFile file(folder->file(kCorrections));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), content);
}

void TamrexReviewTest::aPhotoGoneSinceItsCountCannotBeReviewed() {
    OpenWindow();
    Click(0);
    QVERIFY(QFile::remove(folder->file(QStringLiteral("a.jpg"))));
    QTest::keyClick(window.get(), Qt::Key_F2);
    QVERIFY(WaitUntilIdle(*window));
    QVERIFY(!OpenReview());
    QVERIFY2(Notices().contains(folder->file(QStringLiteral("a.jpg"))), qPrintable(Notices()));
    QCOMPARE(Text("vTotalCount"), QStringLiteral("7"));
}

QTEST_MAIN(TamrexReviewTest)
#include "TamrexReviewTest.moc"
