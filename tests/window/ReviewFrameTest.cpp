// A frame drawn around one stack in the review, where a neighbouring stack stands beside
// it: the second look counts inside it at once, the count of the rules stays, and the
// frame kept for the station is written to its settings file and read by later counts.

#include "settings/StationSettings.h"
#include "window/PathText.h"
#include "window/ReviewCanvas.h"
#include "window/ReviewPhoto.h"
#include "window/ReviewWindow.h"
#include "window/Tamrex.h"
#include "tests/window/WindowWaits.h"
#include "tests/window/WorkingFolder.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <memory>

using tamrex::CountResult;
using tamrex::ReviewWindow;
using tamrex::testing::CountDirectly;
using tamrex::testing::TestSettings;
using tamrex::testing::WaitForReview;
using tamrex::testing::WaitUntilIdle;
using tamrex::testing::WorkingFolder;

namespace {

constexpr int kLeftBoards = 7, kRightBoards = 12;
const QRect kLeftStack(4, 10, 220, 280), kRightStack(256, 10, 220, 280);

QString FrameText(const ReviewWindow& review) { return review.findChild<QLabel*>(QStringLiteral("frame"))->text(); }
QString Counts(const ReviewWindow& review) { return review.findChild<QLabel*>(QStringLiteral("counts"))->text(); }
QString OfferedSecond(const ReviewWindow& review) {
    const auto* button = review.findChild<QPushButton*>(QStringLiteral("UseSecondCount"));
    return button->isVisibleTo(&review) ? button->text() : QString();
}

void Mouse(ReviewWindow& review, QEvent::Type type, QPointF inPhoto, Qt::KeyboardModifiers keys) {
    QWidget* viewport = review.Canvas()->viewport();
    const QPointF at = review.Canvas()->View().ToScreen(inPhoto);
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, at, viewport->mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                      held, keys);
    QApplication::sendEvent(viewport, &event);
}

// A drag from one corner of `area` to the other, in steps as a hand makes it.
void Drag(ReviewWindow& review, const QRect& area, Qt::KeyboardModifiers keys) {
    const QPointF from = area.topLeft() + QPointF(0.5, 0.5), to = area.bottomRight() + QPointF(0.5, 0.5);
    Mouse(review, QEvent::MouseButtonPress, from, keys);
    for (int step = 1; step <= 4; ++step) Mouse(review, QEvent::MouseMove, from + (to - from) * step / 4.0, keys);
    Mouse(review, QEvent::MouseButtonRelease, to, keys);
}

// The second look's new result, once it is on show.
bool WaitForLook(const ReviewWindow& review) {
    return QTest::qWaitFor([&] { return !FrameText(review).startsWith(QStringLiteral("Looking again")); }, 20000);
}

}  // namespace

class ReviewFrameTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void aFrameAroundOneStackCountsItAloneAndLeavesTheRulesCount();
    void aFrameKeptForTheStationIsWrittenBesideItsOtherSettingsAndCountsAfterUseIt();

private:
    WorkingFolder folder;
};

void ReviewFrameTest::init() {
    QVERIFY(folder.isValid());
    QCOMPARE(folder.AddTwoStacksPhoto(QStringLiteral("two.jpg"), kLeftBoards, kRightBoards), QString());
}

void ReviewFrameTest::aFrameAroundOneStackCountsItAloneAndLeavesTheRulesCount() {
    const tamrex::Expected<CountResult> count =
        CountDirectly(folder.file(QStringLiteral("two.jpg")), TestSettings(), folder.file(QStringLiteral("map.bmp")));
    QVERIFY2(count, count ? "" : count.error().message.c_str());
    const tamrex::Expected<tamrex::PhotoPyramid> photo = tamrex::ReadReviewPhoto(*count);
    QVERIFY(photo);
    ReviewWindow review(*count, *photo, QStringLiteral("two.jpg"));
    review.show();
    QVERIFY(QTest::qWaitForWindowActive(&review));
    const QString rules = Counts(review);
    const auto lines = review.Edits().Lines();

    // A plain drag pans, and frames nothing.
    Drag(review, kRightStack, Qt::NoModifier);
    QVERIFY(!review.Canvas()->Frame());

    const QPoint outside = review.Canvas()->View().ToScreen(QPointF(240, 150)).toPoint();
    const QColor before = review.Canvas()->viewport()->grab().toImage().pixelColor(outside);
    for (const auto& [stack, boards] : {std::pair{kRightStack, kRightBoards}, std::pair{kLeftStack, kLeftBoards}}) {
        Drag(review, stack, Qt::ShiftModifier);
        QCOMPARE(review.Canvas()->Frame(), std::optional<QRect>(stack));
        QVERIFY(WaitForLook(review));
        QVERIFY2(FrameText(review).contains(QStringLiteral("counts %1 boards").arg(boards)), qPrintable(FrameText(review)));
        // Offered while it differs from the count on show.
        QCOMPARE(OfferedSecond(review), boards == review.Edits().Boards()
                                            ? QString()
                                            : QStringLiteral("Use the second look's %1").arg(boards));
        QCOMPARE(Counts(review), rules);
        QVERIFY(review.Edits().Lines() == lines);
    }
    // What the frame leaves out is darkened on screen.
    QVERIFY(review.Canvas()->viewport()->grab().toImage().pixelColor(outside).value() < before.value());

    // Esc takes the frame away and the count's own second look is back; a second Esc leaves.
    QTest::keyClick(review.Canvas(), Qt::Key_Escape);
    QVERIFY(review.isVisible());
    QVERIFY(!review.Canvas()->Frame());
    QVERIFY2(FrameText(review).startsWith(QStringLiteral("On the whole photo")), qPrintable(FrameText(review)));
    if (count->secondLook) QVERIFY(FrameText(review).contains(QStringLiteral("counts %1 boards").arg(count->secondLook->boards)));
    QTest::keyClick(review.Canvas(), Qt::Key_Escape);
    QVERIFY(!review.isVisible());
}

void ReviewFrameTest::aFrameKeptForTheStationIsWrittenBesideItsOtherSettingsAndCountsAfterUseIt() {
    const QString settingsFile = folder.file(QStringLiteral("Tamrex.ini"));
    QCOMPARE(folder.AddFile(QStringLiteral("Tamrex.ini"),
                            "; calibrated from 3 photos\r\nBDLINE=160\r\nTHRESHOLD=110\r\nPWIDTH=16\r\nTHICKNESS=12.0\r\n"),
             QString());
    const std::filesystem::path settingsPath = tamrex::ToPath(settingsFile);
    const tamrex::Expected<tamrex::StationSettings> station = tamrex::LoadStationSettings(settingsPath);
    QVERIFY(station);
    tamrex::Tamrex window(folder.path(), *station, settingsPath);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    window.SelectPhoto(QStringLiteral("two.jpg"));
    QVERIFY(WaitUntilIdle(window));

    QTest::keyClick(&window, Qt::Key_F2);
    ReviewWindow* review = WaitForReview();
    QVERIFY(review);
    const int rules = review->Edits().CountedBoards();
    auto* keep = review->findChild<QPushButton*>(QStringLiteral("KeepFrame"));
    QVERIFY(!keep->isEnabled());  // nothing framed yet
    Drag(*review, kRightStack, Qt::ShiftModifier);
    QVERIFY(WaitForLook(*review));
    QTest::mouseClick(keep, Qt::LeftButton);
    QVERIFY2(FrameText(*review).startsWith(QStringLiteral("Kept the frame")), qPrintable(FrameText(*review)));

    const tamrex::Expected<tamrex::StationSettings> kept = tamrex::LoadStationSettings(settingsPath);
    QVERIFY(kept);
    QCOMPARE(kept->frame, std::optional<tamrex::PhotoFrame>(tamrex::PhotoFrame{256, 10, 220, 280}));
    QCOMPARE(kept->counter, station->counter);
    QCOMPARE(kept->thickness, station->thickness);
    QFile written(settingsFile);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QVERIFY(written.readAll().startsWith("; calibrated from 3 photos\r\n"));
    QVERIFY(QFile::exists(settingsFile + QStringLiteral(".original")));
    QCOMPARE(QDir(folder.file(QString())).entryList({QStringLiteral("Tamrex.ini.*.bak")}).size(), 1);

    // The photo is counted again with the frame: its review opens on it, and the second
    // look counts the framed stack alone, beside the same count of the rules.
    QTest::mouseClick(review->findChild<QPushButton*>(QStringLiteral("Cancel")), Qt::LeftButton);
    QVERIFY(WaitUntilIdle(window));
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(&window, Qt::Key_F2);
    review = WaitForReview();
    QVERIFY(review);
    QCOMPARE(review->Canvas()->Frame(), std::optional<QRect>(kRightStack));
    QCOMPARE(review->Edits().CountedBoards(), rules);
    const QString check = review->findChild<QLabel*>(QStringLiteral("check"))->text();
    QVERIFY2(check.contains(QStringLiteral("The second look counts %1.").arg(kRightBoards)), qPrintable(check));
    review->close();
}

QTEST_MAIN(ReviewFrameTest)
#include "ReviewFrameTest.moc"
