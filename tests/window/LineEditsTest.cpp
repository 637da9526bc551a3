// The correction model of the review window: a count's lines in photo rows, taken away and
// added by hand, every step undoable, and the stops of the keyboard cursor.

#include "window/LineEdits.h"

#include <QTest>

using tamrex::CountResult;
using tamrex::kHandDrawn;
using tamrex::LineEdits;
using tamrex::LineRun;
using tamrex::ReviewLine;
using tamrex::RowSpan;

Q_DECLARE_METATYPE(std::optional<int>)

namespace {

using Lines = std::vector<ReviewLine>;

ReviewLine Line(int top, int bottom, int pass = 1) { return {{top, bottom}, pass}; }

// Three lines in a strip of rows 20 to 99: two rows at 80, one at 60, four at 40.
LineEdits ThreeLines() { return LineEdits({Line(60, 60, 2), Line(40, 43, 3), Line(80, 81, 1)}, {20, 99}); }

std::vector<int> TopsOf(const LineEdits& edits) {
    std::vector<int> tops;
    for (const ReviewLine& line : edits.Lines()) tops.push_back(line.rows.top);
    return tops;
}

// The stops the cursor makes from `row` on, up or down; a stop that leads back to itself
// ends the walk rather than the test's time.
std::vector<int> Walk(const LineEdits& edits, int row, bool up) {
    std::vector<int> stops;
    for (std::optional<int> stop = up ? edits.StopAbove(row) : edits.StopBelow(row); stop && stops.size() < 20;
         stop = up ? edits.StopAbove(*stop) : edits.StopBelow(*stop))
        stops.push_back(*stop);
    return stops;
}

}  // namespace

class LineEditsTest : public QObject {
    Q_OBJECT

private slots:
    void theCountsRowsAreTurnedIntoPhotoRowsFromTheTop();
    void linesAreKeptBottomFirstSoTheirNumbersCountFromTheBottom();
    void removingAndAddingChangeTheBoardsButNotTheCounted();
    void addingWhereALineIsDoesNothing();
    void undoAndRedoRetraceEveryStepAndANewEditForgetsWhatWasUndone();
    void editsUndoneAndRedoneInAnyOrderLeaveTheLinesTheyShould_data();
    void editsUndoneAndRedoneInAnyOrderLeaveTheLinesTheyShould();
    void aRowFindsTheLineOverItFirstThenTheNearestWithinReach_data();
    void aRowFindsTheLineOverItFirstThenTheNearestWithinReach();
    void theCursorStopsOnEveryLineAndInEveryGapOnItsWay();
    void touchingLinesLeaveNoGapToStopIn();
    void aReviewStartsFromTheLinesAcceptedForThePhoto();
    void whetherTheLinesChangedIsTheirsNotTheSteps();
};

void LineEditsTest::theCountsRowsAreTurnedIntoPhotoRowsFromTheTop() {
    CountResult count;
    count.bandOffset = 10;  // the strip's foot lies 10 rows above the photo's
    count.stripHeight = 50;
    count.lineRuns[0] = {LineRun{2, 3}};
    count.lineRuns[2] = {LineRun{20, 20}, LineRun{40, 45}};
    count.lineTotal = 3;
    // In a photo of 100 rows, strip row 0 is photo row 89 from the top.
    QCOMPARE(tamrex::StripRows(count, 100), (RowSpan{40, 89}));
    const Lines lines = tamrex::CountedLines(count, 100);
    QCOMPARE(lines, (Lines{Line(86, 87, 1), Line(69, 69, 3), Line(44, 49, 3)}));
    QCOMPARE(LineEdits(lines, tamrex::StripRows(count, 100)).CountedBoards(), count.count());
}

void LineEditsTest::linesAreKeptBottomFirstSoTheirNumbersCountFromTheBottom() {
    LineEdits edits = ThreeLines();
    QCOMPARE(TopsOf(edits), (std::vector<int>{80, 60, 40}));
    QVERIFY(edits.AddAt(70));
    QVERIFY(edits.AddAt(90));
    QCOMPARE(TopsOf(edits), (std::vector<int>{90, 80, 70, 60, 40}));
    QCOMPARE(edits.Lines()[2], Line(70, 70, kHandDrawn));
}

void LineEditsTest::removingAndAddingChangeTheBoardsButNotTheCounted() {
    LineEdits edits = ThreeLines();
    QCOMPARE(edits.Boards(), 4);  // boards = lines + 1
    edits.Remove(1);
    QCOMPARE(TopsOf(edits), (std::vector<int>{80, 40}));
    QCOMPARE(edits.Boards(), 3);
    QVERIFY(edits.AddAt(50));
    QVERIFY(edits.AddAt(30));
    QCOMPARE(edits.Boards(), 5);
    QCOMPARE(edits.CountedBoards(), 4);
}

void LineEditsTest::addingWhereALineIsDoesNothing() {
    LineEdits edits = ThreeLines();
    QVERIFY(!edits.AddAt(42));
    QVERIFY(!edits.AddAt(81));
    QCOMPARE(edits.Boards(), 4);
    QVERIFY(!edits.CanUndo());
}

void LineEditsTest::undoAndRedoRetraceEveryStepAndANewEditForgetsWhatWasUndone() {
    LineEdits edits = ThreeLines();
    const Lines counted = edits.Lines();
    edits.Remove(0);  // the bottom line, found by pass 1
    QVERIFY(edits.AddAt(50));
    const Lines corrected = edits.Lines();
    QVERIFY(edits.CanUndo() && !edits.CanRedo());

    edits.Undo();
    edits.Undo();
    QCOMPARE(edits.Lines(), counted);  // the line taken away comes back with its pass
    QVERIFY(!edits.CanUndo() && edits.CanRedo());
    edits.Undo();  // nothing left to undo
    QCOMPARE(edits.Lines(), counted);

    edits.Redo();
    edits.Redo();
    QCOMPARE(edits.Lines(), corrected);
    QVERIFY(!edits.CanRedo());

    edits.Undo();
    QVERIFY(edits.AddAt(30));
    QVERIFY(!edits.CanRedo());
    QCOMPARE(TopsOf(edits), (std::vector<int>{60, 40, 30}));
}

// Steps on the three lines (bottom first: 80, 60, 40): "r1" removes the line numbered 1
// from the bottom (counting from 0), "a70" adds one at row 70, "u" undoes, "R" redoes.
// A redo step left over from before a new edit would take away or add a line nobody
// asked for.
void LineEditsTest::editsUndoneAndRedoneInAnyOrderLeaveTheLinesTheyShould_data() {
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QList<int>>("tops");
    QTest::addColumn<bool>("canRedo");
    QTest::newRow("remove after undoing a removal") << "r0 u r1 R" << QList<int>{80, 40} << false;
    QTest::newRow("remove after undoing an addition") << "a70 u r0 R" << QList<int>{60, 40} << false;
    QTest::newRow("add after undoing a removal") << "r1 u a50 R" << QList<int>{80, 60, 50, 40} << false;
    QTest::newRow("redo takes the last step undone") << "r1 a30 u u R" << QList<int>{80, 40} << true;
    QTest::newRow("undo past the start, redo all") << "r0 a70 u u u R R" << QList<int>{70, 60, 40} << false;
    QTest::newRow("the line just added taken away") << "a50 r2 u u" << QList<int>{80, 60, 40} << true;
}

void LineEditsTest::editsUndoneAndRedoneInAnyOrderLeaveTheLinesTheyShould() {
    QFETCH(QString, steps);
    QFETCH(QList<int>, tops);
    QFETCH(bool, canRedo);
    LineEdits edits = ThreeLines();
    for (const QString& step : steps.split(u' ')) {
        const int number = step.mid(1).toInt();
        if (step == u"u") edits.Undo();
        else if (step == u"R") edits.Redo();
        else if (step.startsWith(u'r')) edits.Remove(static_cast<std::size_t>(number));
        else QVERIFY(edits.AddAt(number));
    }
    const std::vector<int> found = TopsOf(edits);
    QCOMPARE(QList<int>(found.begin(), found.end()), tops);
    QCOMPARE(edits.CanRedo(), canRedo);
}

void LineEditsTest::aRowFindsTheLineOverItFirstThenTheNearestWithinReach_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("reach");
    QTest::addColumn<std::optional<int>>("top");  // of the line found
    QTest::newRow("on a line") << 42 << 0 << std::optional<int>(40);
    QTest::newRow("on its last row") << 43 << 0 << std::optional<int>(40);
    QTest::newRow("beside it, out of reach") << 44 << 0 << std::optional<int>();
    QTest::newRow("beside it, within reach") << 46 << 3 << std::optional<int>(40);
    QTest::newRow("nearer the one above") << 47 << 10 << std::optional<int>(40);
    QTest::newRow("nearer the one below") << 57 << 10 << std::optional<int>(60);
    QTest::newRow("between, out of reach of both") << 51 << 7 << std::optional<int>();
}

void LineEditsTest::aRowFindsTheLineOverItFirstThenTheNearestWithinReach() {
    QFETCH(int, row);
    QFETCH(int, reach);
    QFETCH(std::optional<int>, top);
    const LineEdits edits = ThreeLines();
    const std::optional<std::size_t> found = edits.LineNear(row, reach);
    QCOMPARE(found.has_value(), top.has_value());
    if (found) QCOMPARE(edits.Lines()[*found].rows.top, *top);
}

// Up from the strip's foot: the gap under the bottom line, its middle, the gap above it,
// and so on to the gap under the strip's head; Down walks the same stops back.
void LineEditsTest::theCursorStopsOnEveryLineAndInEveryGapOnItsWay() {
    const LineEdits edits = ThreeLines();
    QCOMPARE(Walk(edits, 100, true), (std::vector<int>{90, 80, 70, 60, 51, 41, 29}));
    QCOMPARE(Walk(edits, 19, false), (std::vector<int>{29, 41, 51, 60, 70, 80, 90}));
    // From a row between stops, the next stop that way.
    QCOMPARE(edits.StopAbove(65), std::optional<int>(60));
    QCOMPARE(edits.StopBelow(65), std::optional<int>(70));
}

void LineEditsTest::touchingLinesLeaveNoGapToStopIn() {
    const LineEdits edits({Line(50, 51), Line(52, 53), Line(20, 20)}, {20, 60});
    QCOMPARE(Walk(edits, 61, true), (std::vector<int>{57, 52, 50, 35, 20}));
    const LineEdits empty({}, {20, 60});
    QCOMPARE(empty.StopAbove(61), std::optional<int>(40));  // the middle of the strip
}

// Accepted lines come back in the colour of the pass that found the same rows; lines that
// do not lie on the photo, or a second look's count, which has none, leave the count's own.
void LineEditsTest::aReviewStartsFromTheLinesAcceptedForThePhoto() {
    CountResult count;
    count.bandOffset = 10;
    count.stripHeight = 50;
    count.lineRuns[0] = {LineRun{2, 3}};
    count.lineRuns[2] = {LineRun{20, 20}};
    count.lineTotal = 2;
    const Lines counted = tamrex::CountedLines(count, 100);  // rows 86-87 (pass 1) and 69 (pass 3)
    tamrex::Correction accepted{"a.jpg", 4, 3, "t", tamrex::Acceptance::kCorrected, {{50, 50}, {69, 69}, {86, 87}}};
    QCOMPARE(tamrex::StartingLines(count, 100, &accepted), (Lines{Line(50, 50, kHandDrawn), Line(69, 69, 3), Line(86, 87, 1)}));
    QCOMPARE(tamrex::StartingLines(count, 100, nullptr), counted);
    tamrex::Correction offThePhoto = accepted;
    offThePhoto.lines.back() = {86, 100};
    QCOMPARE(tamrex::StartingLines(count, 100, &offThePhoto), counted);
    tamrex::Correction secondLook{"a.jpg", 4, 3, "t", tamrex::Acceptance::kSecondLook};
    QCOMPARE(tamrex::StartingLines(count, 100, &secondLook), counted);

    const LineEdits edits(tamrex::StartingLines(count, 100, &accepted), tamrex::StripRows(count, 100), count.lineTotal);
    QCOMPARE(edits.Boards(), 4);
    QCOMPARE(edits.CountedBoards(), 3);
}

void LineEditsTest::whetherTheLinesChangedIsTheirsNotTheSteps() {
    LineEdits edits = ThreeLines();
    QVERIFY(!edits.Changed());
    edits.Remove(1);
    QVERIFY(edits.Changed());
    QVERIFY(edits.AddAt(60));  // the same row again, drawn by hand
    QVERIFY(!edits.Changed());
    QVERIFY(edits.AddAt(30));
    QVERIFY(edits.Changed());
    edits.Undo();
    QVERIFY(!edits.Changed());
}

QTEST_APPLESS_MAIN(LineEditsTest)
#include "LineEditsTest.moc"
