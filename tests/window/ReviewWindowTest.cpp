// The review window on a counted photo, driven as a person drives it: clicks at the places
// where lines are drawn, keys, the wheel and drags.

#include "counting/CountCheck.h"
#include "window/CountLinesLayer.h"
#include "window/ReviewCanvas.h"
#include "window/ReviewPhoto.h"
#include "window/ReviewWindow.h"
#include "tests/window/WorkingFolder.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>

#include <algorithm>
#include <memory>

using tamrex::CountResult;
using tamrex::kHandDrawn;
using tamrex::ReviewCanvas;
using tamrex::ReviewLine;
using tamrex::ReviewWindow;
using tamrex::testing::CountDirectly;
using tamrex::testing::TestSettings;
using tamrex::testing::WorkingFolder;

namespace {

constexpr int kStripLeft = 4;
constexpr int kBoards = 7;

double MiddleOf(const ReviewLine& line) { return (line.rows.top + line.rows.bottom + 1) / 2.0; }

}  // namespace

class ReviewWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void opensLargeOnTheWholePhotoWithItsNameAndTheCheck();
    void everyLineIsDrawnAcrossTheStripInItsPassColour();
    void aClickOnALineTakesItAwayAndBetweenLinesAddsOne();
    void thePointerTellsWhatAClickWouldDo();
    void undoAndRedoByButtonsAndKeys();
    void acceptHandsOnTheCorrectedCount_data();
    void acceptHandsOnTheCorrectedCount();
    void leavingWithoutAcceptHandsOnNothing_data();
    void leavingWithoutAcceptHandsOnNothing();
    void keysAndButtonsZoomInOutToFitAndToOneToOne();
    void theWheelZoomsAboutThePointer();
    void aDragOrTheScrollBarsPanWithoutEditing();
    void theKeyboardCursorWalksLinesAndGapsAndEdits();
    void theSecondLookIsOfferedWithItsOwnButtonAndDrawnWhereTheCountsPart();
    void undoAndRedoSayWhatTheyDid();
    void leavingWithChangesAsksFirst();
    void aClickAddsTheRowItWasPressedOnAsHoveringNamedIt();
    void theLinesCanBeHiddenAndTheirNumbersStayInViewWhenZoomedIn();
    void aShrunkCopyIsShownUntilThePhotoItselfComes();

private:
    ReviewCanvas* Canvas() const { return review->Canvas(); }
    QString Counts() const { return review->findChild<QLabel*>(QStringLiteral("counts"))->text(); }
    QPoint OnScreen(QPointF inPhoto) const { return Canvas()->View().ToScreen(inPhoto).toPoint(); }
    // A point on the line numbered from the bottom, two thirds across the strip, clear of
    // the numbers at its left end.
    QPoint OnLine(int number) const {
        return OnScreen({kStripLeft + count.stripWidth * 2.0 / 3, MiddleOf(review->Edits().Lines()[number - 1])});
    }
    QPoint AtRow(int row) const { return OnScreen({kStripLeft + count.stripWidth * 2.0 / 3, row + 0.5}); }
    // The row halfway between the lines numbered `number` and `number + 1`.
    int RowBetween(int number) const {
        const auto& lines = review->Edits().Lines();
        return (lines[number - 1].rows.top + lines[number].rows.bottom) / 2;
    }
    void ClickAt(QPoint onScreen) {
        QTest::mouseClick(Canvas()->viewport(), Qt::LeftButton, Qt::NoModifier, onScreen);
    }
    QColor ShownAt(QPoint onScreen) const { return Canvas()->viewport()->grab().toImage().pixelColor(onScreen); }
    void Press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(Canvas(), static_cast<Qt::Key>(key), modifiers);
    }
    void MoveTo(QPointF onScreen, Qt::MouseButtons held = Qt::NoButton) {
        QMouseEvent move(QEvent::MouseMove, onScreen, Canvas()->viewport()->mapToGlobal(onScreen), Qt::NoButton, held,
                         Qt::NoModifier);
        QApplication::sendEvent(Canvas()->viewport(), &move);
    }
    // As a mouse that reports fractions of a pixel gives them.
    void Button(QEvent::Type type, QPointF onScreen) {
        QMouseEvent event(type, onScreen, Canvas()->viewport()->mapToGlobal(onScreen), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(Canvas()->viewport(), &event);
    }
    QString Hint() const { return review->findChild<QLabel*>(QStringLiteral("hint"))->text(); }
    void ClickTool(const char* name) {
        QTest::mouseClick(review->findChild<QToolButton*>(QLatin1String(name)), Qt::LeftButton);
    }

    WorkingFolder folder;
    QTemporaryDir elsewhere;
    CountResult count;
    std::unique_ptr<ReviewWindow> review;
    std::unique_ptr<QSignalSpy> accepted;
};

void ReviewWindowTest::init() {
    QVERIFY(folder.isValid());
    QCOMPARE(folder.AddStackPhoto(QStringLiteral("stack.jpg"), kBoards), QString());
    const tamrex::Expected<CountResult> counted =
        CountDirectly(folder.file(QStringLiteral("stack.jpg")), TestSettings(),
                      elsewhere.filePath(QStringLiteral("map.bmp")));
    QVERIFY(counted);
    count = *counted;
    QCOMPARE(count.count(), kBoards);
    const tamrex::Expected<tamrex::PhotoPyramid> photo = tamrex::ReadReviewPhoto(count);
    QVERIFY2(photo, photo ? "" : photo.error().message.c_str());
    review = std::make_unique<ReviewWindow>(count, *photo, QStringLiteral("stack.jpg"));
    accepted = std::make_unique<QSignalSpy>(review.get(), &ReviewWindow::countAccepted);
    review->show();
    QVERIFY(QTest::qWaitForWindowActive(review.get()));
}

void ReviewWindowTest::cleanup() {
    accepted.reset();
    review.reset();
}

void ReviewWindowTest::opensLargeOnTheWholePhotoWithItsNameAndTheCheck() {
    QCOMPARE(review->windowTitle(), QStringLiteral("Review: stack.jpg"));
    const QRect screen = review->screen()->availableGeometry();
    QVERIFY(review->width() >= screen.width() * 8 / 10 && review->height() >= screen.height() * 8 / 10);
    QVERIFY(review->minimumSize() != review->maximumSize());  // resizable

    const QRect viewport = Canvas()->viewport()->rect();
    QVERIFY(viewport.contains(OnScreen({0, 0})));
    QVERIFY(viewport.contains(OnScreen({count.stripWidth + kStripLeft - 1.0, 239})));
    QCOMPARE(Canvas()->Zoom(), tamrex::FitZoom(QSize(320, 240), viewport.size()));

    QCOMPARE(Counts(), QStringLiteral("Counted 7 - corrected 7"));
    const QString check = review->findChild<QLabel*>(QStringLiteral("check"))->text();
    QVERIFY2(check.contains(QStringLiteral("%1 boards high").arg(*count.heightBoards, 0, 'f', 1)), qPrintable(check));
    // Each reason to look again in words, not as its code.
    for (const std::string& flag : count.flags) {
        QVERIFY2(check.contains(QString::fromStdString(tamrex::FlagSentence(flag))), qPrintable(check));
        QVERIFY(!check.contains(QString::fromStdString(flag)));
    }
}

void ReviewWindowTest::everyLineIsDrawnAcrossTheStripInItsPassColour() {
    const auto& lines = review->Edits().Lines();
    QCOMPARE(int(lines.size()), count.lineTotal);
    const QImage shown = Canvas()->viewport()->grab().toImage();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const QPoint middle = OnLine(int(i) + 1);
        QCOMPARE(shown.pixelColor(middle), tamrex::LineColour(lines[i].pass));
        // Across the strip only: the four columns it leaves out keep the photo.
        QVERIFY(shown.pixelColor(OnScreen({1.5, MiddleOf(lines[i])})) != tamrex::LineColour(lines[i].pass));
    }
    // Between lines the photo shows through.
    QVERIFY(shown.pixelColor(AtRow(RowBetween(1))) != tamrex::LineColour(lines[0].pass));
    // The strip's head is marked in black and white, on the pixel row where it begins.
    const QPoint head = OnScreen({kStripLeft + count.stripWidth / 2.0, double(tamrex::StripRows(count, 240).top)});
    QStringList around;
    for (int dy = -1; dy <= 1; ++dy) around << shown.pixelColor(head + QPoint(0, dy)).name();
    QVERIFY2(around.contains(QStringLiteral("#000000")) || around.contains(QStringLiteral("#ffffff")),
             qPrintable(around.join(QLatin1Char(' '))));
}

void ReviewWindowTest::aClickOnALineTakesItAwayAndBetweenLinesAddsOne() {
    const ReviewLine third = review->Edits().Lines()[2];
    const QPoint onThird = OnLine(3);
    ClickAt(onThird);
    QCOMPARE(Counts(), QStringLiteral("Counted 7 - corrected 6"));
    QVERIFY(std::find(review->Edits().Lines().begin(), review->Edits().Lines().end(), third) ==
            review->Edits().Lines().end());
    QVERIFY(ShownAt(onThird) != tamrex::LineColour(third.pass));

    const int row = RowBetween(1);
    ClickAt(AtRow(row));
    QCOMPARE(Counts(), QStringLiteral("Counted 7 - corrected 7"));
    QCOMPARE(review->Edits().Lines()[1], (ReviewLine{{row, row}, kHandDrawn}));  // now line 2
    QCOMPARE(ShownAt(AtRow(row)), tamrex::LineColour(kHandDrawn));

    // Off the photo a click does nothing.
    ClickAt(QPoint(1, 1));
    QCOMPARE(review->Edits().Boards(), 7);
}

void ReviewWindowTest::thePointerTellsWhatAClickWouldDo() {
    const QLabel* hint = review->findChild<QLabel*>(QStringLiteral("hint"));
    MoveTo(OnLine(2));
    QVERIFY2(hint->text().contains(QStringLiteral("takes away line 2")), qPrintable(hint->text()));
    MoveTo(AtRow(RowBetween(2)));
    QVERIFY2(hint->text().contains(QStringLiteral("adds a line at row %1").arg(RowBetween(2))),
             qPrintable(hint->text()));
    QCOMPARE(review->Edits().Boards(), 7);
}

void ReviewWindowTest::undoAndRedoByButtonsAndKeys() {
    ClickAt(OnLine(1));
    ClickAt(AtRow(RowBetween(2)));
    ClickAt(OnLine(4));
    QCOMPARE(review->Edits().Boards(), 6);

    ClickTool("Undo");
    QCOMPARE(Counts(), QStringLiteral("Counted 7 - corrected 7"));
    Press(Qt::Key_Z, Qt::ControlModifier);
    Press(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(Counts(), QStringLiteral("Counted 7 - corrected 7"));
    QCOMPARE(review->Edits().Lines(), tamrex::LineEdits(tamrex::CountedLines(count, 240), {}).Lines());
    QVERIFY(!review->findChild<QToolButton*>(QStringLiteral("Undo"))->isEnabled());

    Press(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(review->Edits().Boards(), 6);
    Press(Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(review->Edits().Boards(), 7);
    ClickTool("Redo");
    QCOMPARE(Counts(), QStringLiteral("Counted 7 - corrected 6"));
    QVERIFY(!review->findChild<QToolButton*>(QStringLiteral("Redo"))->isEnabled());
}

void ReviewWindowTest::acceptHandsOnTheCorrectedCount_data() {
    QTest::addColumn<bool>("byEnter");
    QTest::newRow("Accept") << false;
    QTest::newRow("Enter") << true;
}

void ReviewWindowTest::acceptHandsOnTheCorrectedCount() {
    QFETCH(bool, byEnter);
    ClickAt(AtRow(RowBetween(1)));
    ClickAt(AtRow(RowBetween(4)));
    if (byEnter) {
        Press(Qt::Key_Return);
    } else {
        QTest::mouseClick(review->findChild<QPushButton*>(QStringLiteral("Accept")), Qt::LeftButton);
    }
    QCOMPARE(accepted->count(), 1);
    QCOMPARE(accepted->at(0).at(0).toInt(), 9);
    QCOMPARE(review->result(), int(QDialog::Accepted));
    QVERIFY(!review->isVisible());
}

void ReviewWindowTest::leavingWithoutAcceptHandsOnNothing_data() {
    QTest::addColumn<QString>("way");
    QTest::newRow("Cancel") << "Cancel";
    QTest::newRow("Esc") << "Esc";
    QTest::newRow("closing") << "close";
}

void ReviewWindowTest::leavingWithoutAcceptHandsOnNothing() {
    QFETCH(QString, way);
    if (way == QLatin1String("Cancel")) {
        QTest::mouseClick(review->findChild<QPushButton*>(QStringLiteral("Cancel")), Qt::LeftButton);
    } else if (way == QLatin1String("Esc")) {
        Press(Qt::Key_Escape);
    } else {
        review->close();
    }
    QVERIFY(!review->isVisible());
    QCOMPARE(accepted->count(), 0);
    QCOMPARE(review->result(), int(QDialog::Rejected));
}

void ReviewWindowTest::keysAndButtonsZoomInOutToFitAndToOneToOne() {
    const double fit = Canvas()->Zoom();
    Press(Qt::Key_Plus);
    QCOMPARE(Canvas()->Zoom(), fit * 1.25);
    ClickTool("Zoom in");
    QCOMPARE(Canvas()->Zoom(), fit * 1.25 * 1.25);
    Press(Qt::Key_Minus);
    QCOMPARE(Canvas()->Zoom(), fit * 1.25);
    Press(Qt::Key_1);
    QCOMPARE(Canvas()->Zoom(), 1.0);
    QCOMPARE(Canvas()->View().ToPhoto(OnScreen({100, 100})), QPointF(100, 100));
    // This photo is smaller than the window: zooming out stops at its own size.
    ClickTool("Zoom out");
    Press(Qt::Key_Minus);
    QCOMPARE(Canvas()->Zoom(), 1.0);
    Press(Qt::Key_0);
    QCOMPARE(Canvas()->Zoom(), fit);
    ClickTool("1:1");
    QCOMPARE(Canvas()->Zoom(), 1.0);
    ClickTool("Fit");
    QCOMPARE(Canvas()->Zoom(), fit);
    QCOMPARE(review->findChild<QLabel*>(QStringLiteral("zoom"))->text(),
             QStringLiteral("Zoom %1%").arg(qRound(fit * 100)));
}

// Zoomed in far enough for the photo to overflow the window both ways, so that the point
// under the pointer can stay there.
void ReviewWindowTest::theWheelZoomsAboutThePointer() {
    Press(Qt::Key_1);
    for (int step = 0; step < 6; ++step) Press(Qt::Key_Plus);
    const double before = Canvas()->Zoom();
    const QPoint pointer(Canvas()->viewport()->width() / 3, Canvas()->viewport()->height() / 4);
    const QPointF underPointer = Canvas()->View().ToPhoto(pointer);

    QWheelEvent wheel(pointer, Canvas()->viewport()->mapToGlobal(pointer), QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(Canvas()->viewport(), &wheel);
    QCOMPARE(Canvas()->Zoom(), before * 1.25);
    const QPointF stillUnder = Canvas()->View().ToPhoto(pointer);
    QVERIFY2(std::abs(stillUnder.x() - underPointer.x()) < 1 && std::abs(stillUnder.y() - underPointer.y()) < 1,
             qPrintable(QStringLiteral("%1,%2 moved to %3,%4")
                            .arg(underPointer.x()).arg(underPointer.y()).arg(stillUnder.x()).arg(stillUnder.y())));

    QWheelEvent back(pointer, Canvas()->viewport()->mapToGlobal(pointer), QPoint(), QPoint(0, -240), Qt::NoButton,
                     Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(Canvas()->viewport(), &back);
    QCOMPARE(Canvas()->Zoom(), before / 1.25);
}

void ReviewWindowTest::aDragOrTheScrollBarsPanWithoutEditing() {
    Press(Qt::Key_1);
    for (int step = 0; step < 6; ++step) Press(Qt::Key_Plus);
    QScrollBar* across = Canvas()->horizontalScrollBar();
    QScrollBar* down = Canvas()->verticalScrollBar();
    across->setValue(across->maximum() / 2);
    down->setValue(down->maximum() / 2);
    const QPoint start(across->value(), down->value());
    const QPoint from = Canvas()->viewport()->rect().center();
    const QPointF photoAtFrom = Canvas()->View().ToPhoto(from);

    const QPoint to = from + QPoint(-60, -40);
    QTest::mousePress(Canvas()->viewport(), Qt::LeftButton, Qt::NoModifier, from);
    MoveTo(from + QPoint(-30, -20), Qt::LeftButton);
    MoveTo(to, Qt::LeftButton);
    QTest::mouseRelease(Canvas()->viewport(), Qt::LeftButton, Qt::NoModifier, to);
    QCOMPARE(QPoint(across->value(), down->value()), start + QPoint(60, 40));
    QCOMPARE(Canvas()->View().ToPhoto(to), photoAtFrom);  // the photo followed the pointer
    QCOMPARE(review->Edits().Boards(), 7);
    QVERIFY(!review->Edits().CanUndo());

    down->setValue(down->value() + 100);
    QCOMPARE(Canvas()->View().ToPhoto(to).y(), photoAtFrom.y() + 100 / Canvas()->Zoom());
}

// Up from the foot of the strip: the gap under line 1, if there is one, then line 1.
void ReviewWindowTest::theKeyboardCursorWalksLinesAndGapsAndEdits() {
    const auto lines = [this]() -> const std::vector<ReviewLine>& { return review->Edits().Lines(); };
    const auto onALine = [this] { return review->Edits().LineNear(Canvas()->CursorRow().value_or(-1), 0).has_value(); };
    const ReviewLine first = lines()[0];
    for (int step = 0; step < 3 && !first.rows.Holds(Canvas()->CursorRow().value_or(-1)); ++step) Press(Qt::Key_Up);
    QVERIFY(Canvas()->CursorRow() && first.rows.Holds(*Canvas()->CursorRow()));
    Press(Qt::Key_Insert);  // a line is there already
    QCOMPARE(review->Edits().Boards(), 7);
    Press(Qt::Key_Delete);
    QCOMPARE(Counts(), QStringLiteral("Counted 7 - corrected 6"));
    QVERIFY(std::find(lines().begin(), lines().end(), first) == lines().end());

    for (int step = 0; step < 4 && (step == 0 || onALine()); ++step) Press(Qt::Key_Up);
    QVERIFY(!onALine());
    const int row = *Canvas()->CursorRow();
    QVERIFY(row < first.rows.top);  // the cursor went up
    Press(Qt::Key_Backspace);  // no line there
    QCOMPARE(review->Edits().Boards(), 6);
    Press(Qt::Key_Insert);
    QCOMPARE(review->Edits().Boards(), 7);
    const ReviewLine added{{row, row}, kHandDrawn};
    QVERIFY(std::find(lines().begin(), lines().end(), added) != lines().end());

    Press(Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(*Canvas()->CursorRow(), row + 1);
}

QTEST_MAIN(ReviewWindowTest)
// The second look's seams lie under the count's lines: where a line is taken away, the
// dashes of the second look's seam there come to light.
void ReviewWindowTest::theSecondLookIsOfferedWithItsOwnButtonAndDrawnWhereTheCountsPart() {
    QVERIFY(count.secondLook.has_value());
    auto* useSecond = review->findChild<QPushButton*>(QStringLiteral("UseSecondCount"));
    QVERIFY(useSecond);
    QVERIFY(!useSecond->isVisible());  // it counts what is on show: nothing to offer
    const QPoint onLine = OnLine(3);
    ClickAt(onLine);
    QCOMPARE(review->Edits().Boards(), kBoards - 1);
    // The dashes are white; the photo's beige boards fall far short of it in blue, its
    // seams in every channel.
    const QImage shown = Canvas()->viewport()->grab().toImage();
    bool seamShown = false;
    for (int dy = -3; dy <= 3 && !seamShown; ++dy) {
        for (int dx = 0; dx < 16 && !seamShown; ++dx) {
            const QColor colour = shown.pixelColor(onLine + QPoint(dx, dy));
            seamShown = std::min({colour.red(), colour.green(), colour.blue()}) >= 200;
        }
    }
    QVERIFY2(seamShown, "no dash of the second look where the removed line was");

    QVERIFY(useSecond->isVisible());
    QVERIFY(useSecond->text().contains(QString::number(count.secondLook->boards)));
    QTest::mouseClick(useSecond, Qt::LeftButton);
    QCOMPARE(accepted->count(), 1);
    QCOMPARE(accepted->at(0).at(0).toInt(), count.secondLook->boards);
    QVERIFY(!review->isVisible());
}

void ReviewWindowTest::undoAndRedoSayWhatTheyDid() {
    const ReviewLine first = review->Edits().Lines()[0];
    ClickAt(OnLine(1));
    const int row = RowBetween(2);
    ClickAt(AtRow(row));
    ClickTool("Undo");
    QVERIFY2(Hint().contains(QStringLiteral("Undid adding the line at row %1").arg(row)), qPrintable(Hint()));
    ClickTool("Undo");
    QVERIFY2(Hint().contains(QStringLiteral("Undid taking away the line at rows %1 to %2")
                                 .arg(first.rows.top)
                                 .arg(first.rows.bottom)),
             qPrintable(Hint()));
    ClickTool("Redo");
    QVERIFY2(Hint().contains(QStringLiteral("Took away the line at rows %1 to %2 again").arg(first.rows.top).arg(first.rows.bottom)),
             qPrintable(Hint()));
}

// Changes are not dropped by a slip of the Esc key; with none, there is nothing to ask.
void ReviewWindowTest::leavingWithChangesAsksFirst() {
    ClickAt(OnLine(1));
    Press(Qt::Key_Escape);
    auto* question = review->findChild<QMessageBox*>(QStringLiteral("LeaveReview"));
    QVERIFY(question);
    QTRY_VERIFY(question->isVisible());
    QTest::mouseClick(question->findChild<QPushButton*>(QStringLiteral("Stay")), Qt::LeftButton);
    QVERIFY(review->isVisible());
    QCOMPARE(review->Edits().Boards(), kBoards - 1);

    review->close();
    question = review->findChild<QMessageBox*>(QStringLiteral("LeaveReview"));
    QVERIFY(question);
    QTest::mouseClick(question->findChild<QPushButton*>(QStringLiteral("Drop")), Qt::LeftButton);
    QVERIFY(!review->isVisible());
    QCOMPARE(accepted->count(), 0);
}

// Zoomed in, a screen pixel is a fraction of a photo row: the row added is the one the
// pointer named when the button went down, however the release strayed.
void ReviewWindowTest::aClickAddsTheRowItWasPressedOnAsHoveringNamedIt() {
    Press(Qt::Key_1);
    for (int step = 0; step < 6; ++step) Press(Qt::Key_Plus);
    const int row = RowBetween(3);
    ReviewLine target{{row, row}, kHandDrawn};
    Canvas()->verticalScrollBar()->setValue(Canvas()->verticalScrollBar()->value());
    // Bring the row into view, then point just above its lower edge.
    for (int step = 0; step < 40 && !Canvas()->viewport()->rect().contains(AtRow(row)); ++step) Press(Qt::Key_Up);
    const QPointF inPhoto(kStripLeft + count.stripWidth / 2.0, row + 0.95);
    const QPointF pressed = Canvas()->View().ToScreen(inPhoto);
    QVERIFY(Canvas()->viewport()->rect().contains(pressed.toPoint()));
    MoveTo(pressed);
    QVERIFY2(Hint().contains(QStringLiteral("adds a line at row %1").arg(row)), qPrintable(Hint()));
    Button(QEvent::MouseButtonPress, pressed);
    Button(QEvent::MouseButtonRelease, pressed + QPointF(0, 3));  // in the next row, short of a drag
    const auto& lines = review->Edits().Lines();
    QVERIFY(std::find(lines.begin(), lines.end(), target) != lines.end());
}

void ReviewWindowTest::theLinesCanBeHiddenAndTheirNumbersStayInViewWhenZoomedIn() {
    const ReviewLine first = review->Edits().Lines()[0];
    const QPoint onFirst = OnLine(1);
    Press(Qt::Key_L);
    QVERIFY(ShownAt(onFirst) != tamrex::LineColour(first.pass));
    Press(Qt::Key_L);
    QCOMPARE(ShownAt(onFirst), tamrex::LineColour(first.pass));

    // Zoomed in and panned to the right, the strip's left end is off screen.
    Press(Qt::Key_1);
    for (int step = 0; step < 6; ++step) Press(Qt::Key_Plus);
    Canvas()->horizontalScrollBar()->setValue(Canvas()->horizontalScrollBar()->maximum());
    Canvas()->verticalScrollBar()->setValue(0);
    for (int step = 0; step < 40 && !Canvas()->viewport()->rect().contains(OnLine(kBoards - 1)); ++step)
        Press(Qt::Key_Up);
    const ReviewLine line = review->Edits().Lines()[kBoards - 2];
    QVERIFY(Canvas()->View().ToScreen(QPointF(kStripLeft, 0)).x() < 0);
    const int y = Canvas()->View().ToScreen(QPointF(0, MiddleOf(line))).toPoint().y();
    const QImage shown = Canvas()->viewport()->grab().toImage();
    bool digit = false;
    for (int x = 0; x < 40 && !digit; ++x) {
        for (int dy = -3; dy <= 3 && !digit; ++dy) digit = shown.pixelColor(x, y + dy) == QColor(Qt::black);
    }
    QVERIFY2(digit, "no line number at the left edge of the view");
}

// The review of a big photo opens on a copy decoded small, with the lines where they lie
// on the photo itself, and sharpens once the photo is read whole.
void ReviewWindowTest::aShrunkCopyIsShownUntilThePhotoItselfComes() {
    const tamrex::Expected<tamrex::PhotoPyramid> photo = tamrex::ReadReviewPhoto(count);
    QVERIFY(photo);
    tamrex::PhotoPyramid shrunk(photo->PhotoSize());
    shrunk.Add(tamrex::HalfSize(photo->ForZoom(1)));
    ReviewWindow early(count, shrunk, QStringLiteral("stack.jpg"));
    early.show();
    QVERIFY(QTest::qWaitForWindowExposed(&early));
    ReviewCanvas* canvas = early.Canvas();
    QVERIFY(!canvas->Sharp());
    const auto shownAt = [&](QPointF inPhoto) {
        return canvas->viewport()->grab().toImage().pixelColor(canvas->View().ToScreen(inPhoto).toPoint());
    };
    const ReviewLine first = early.Edits().Lines()[0];
    QCOMPARE(shownAt({kStripLeft + count.stripWidth * 2.0 / 3, MiddleOf(first)}), tamrex::LineColour(first.pass));
    const QPointF board(kStripLeft + count.stripWidth / 2.0, (first.rows.bottom + tamrex::StripRows(count, 240).bottom) / 2.0);
    const QColor before = shownAt(board);
    QVERIFY(before.red() > 100 && before.green() > 100);  // the board, not the grey around the photo

    early.ShowPhoto(*photo);
    QVERIFY(canvas->Sharp());
    QCOMPARE(canvas->Zoom(), tamrex::FitZoom(photo->PhotoSize(), canvas->viewport()->size()));
}

#include "ReviewWindowTest.moc"
