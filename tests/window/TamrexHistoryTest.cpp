// The window and the count log: what it records, "History...", and the evidence PDF.

#include "record/CountLog.h"
#include "window/EvidencePdf.h"
#include "window/HistoryDialog.h"
#include "window/LineEdits.h"
#include "window/PathText.h"
#include "window/ReviewCanvas.h"
#include "window/ReviewWindow.h"
#include "window/Tamrex.h"
#include "tests/window/WindowWaits.h"
#include "tests/window/WorkingFolder.h"

#include <QApplication>
#include <QDateEdit>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QRegularExpression>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>

#include <algorithm>

#include <memory>

using tamrex::CountLog;
using tamrex::HistoryDialog;
using tamrex::LoggedCount;
using tamrex::ReviewWindow;
using tamrex::Tamrex;
using tamrex::testing::TestStation;
using tamrex::testing::WorkingFolder;

using tamrex::testing::OpenReview;
using tamrex::testing::WaitForReview;
using tamrex::testing::WaitUntilIdle;

namespace {

QString Run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000)) return QStringLiteral("(%1 did not run)").arg(program);
    return QString::fromUtf8(process.readAllStandardOutput());
}

}  // namespace

class TamrexHistoryTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void countsAndAcceptedCorrectionsAreRecordedAndListed();
    void aPhotoAcceptedAgainAddsToTheTotalOnce();
    void theEvidencePdfIsOnePageWithTheCaption();

private:
    // Counts b.jpg, then a.jpg, and opens a.jpg's review.
    void CountAndReview(ReviewWindow*& review);
    // Counts a.jpg, opens its review, takes away the bottom line and accepts.
    void CountAndCorrect();
    std::vector<LoggedCount> Logged() const;

    std::unique_ptr<WorkingFolder> folder;
    std::unique_ptr<Tamrex> window;
};

void TamrexHistoryTest::init() {
    folder = std::make_unique<WorkingFolder>();
    QVERIFY(folder->isValid());
    QCOMPARE(folder->AddStackPhoto(QStringLiteral("a.jpg"), 7), QString());
    QCOMPARE(folder->AddStackPhoto(QStringLiteral("b.jpg"), 9), QString());
    window = std::make_unique<Tamrex>(folder->path(), TestStation());
    window->RecordCountsIn(folder->path() / "counts.sqlite");
    window->show();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    QVERIFY(WaitUntilIdle(*window));
}

void TamrexHistoryTest::cleanup() {
    window.reset();
    folder.reset();
}

void TamrexHistoryTest::CountAndReview(ReviewWindow*& review) {
    window->SelectPhoto(QStringLiteral("b.jpg"));
    QVERIFY(WaitUntilIdle(*window));
    window->SelectPhoto(QStringLiteral("a.jpg"));
    QVERIFY(WaitUntilIdle(*window));
    QTest::keyClick(window.get(), Qt::Key_F2);
    review = WaitForReview();
    QVERIFY(review);
    QVERIFY(QTest::qWaitForWindowExposed(review));
}

void TamrexHistoryTest::CountAndCorrect() {
    ReviewWindow* review = nullptr;
    CountAndReview(review);
    QVERIFY(review);
    const tamrex::ReviewLine bottom = review->Edits().Lines().front();
    QTest::mouseClick(review->Canvas()->viewport(), Qt::LeftButton, Qt::NoModifier,
                      review->Canvas()->View().ToScreen(QPointF(100, bottom.rows.top)).toPoint());
    QTest::mouseClick(review->findChild<QPushButton*>(QStringLiteral("Accept")), Qt::LeftButton);
    QVERIFY(WaitUntilIdle(*window));
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
}

std::vector<LoggedCount> TamrexHistoryTest::Logged() const {
    tamrex::Expected<CountLog> log = CountLog::OpenForReading(folder->path() / "counts.sqlite");
    if (!log) return {};
    return log->Find({}).value_or(std::vector<LoggedCount>{});
}

void TamrexHistoryTest::countsAndAcceptedCorrectionsAreRecordedAndListed() {
    CountAndCorrect();
    // The log is written on a thread of its own; it is in the file within moments.
    QTRY_COMPARE(Logged().size(), std::size_t{2});
    QTRY_VERIFY(Logged()[1].Accepted().has_value());
    const std::vector<LoggedCount> logged = Logged();
    QCOMPARE(logged[1].record.photo.filename().string(), std::string("a.jpg"));
    QCOMPARE(*logged[1].Accepted(), 6);
    QVERIFY(logged[1].record.facts.has_value());  // with the photo's SHA-256

    QTest::keyClick(window.get(), Qt::Key_H, Qt::ControlModifier);
    auto* history = window->findChild<HistoryDialog*>();
    QVERIFY(history);
    QTableWidget* table = history->Table();
    QCOMPARE(table->rowCount(), 3);  // two counts and a correction, newest first
    QCOMPARE(table->item(0, 2)->text(), QStringLiteral("accepted 6"));
    QCOMPARE(table->item(2, 1)->text(), QStringLiteral("b.jpg"));
    QVERIFY2(history->TotalText().endsWith(QStringLiteral("1, together 6 boards")), qPrintable(history->TotalText()));

    history->NameFilter()->setText(QStringLiteral("B.JPG"));
    QVERIFY(table->isRowHidden(0) && !table->isRowHidden(2));
    QVERIFY2(history->TotalText().endsWith(QStringLiteral("0, together 0 boards")), qPrintable(history->TotalText()));
    history->NameFilter()->clear();
    history->FromDay()->setDate(QDate::currentDate().addDays(1));
    QVERIFY(table->isRowHidden(0) && table->isRowHidden(2));

    QSignalSpy chosen(history, &HistoryDialog::photoChosen);
    emit table->cellDoubleClicked(2, 0);
    QCOMPARE(chosen.size(), 1);
    QCOMPARE(chosen.first().first().toString(), QStringLiteral("b.jpg"));
    QVERIFY(WaitForReview());  // b.jpg counted again and under review
    OpenReview()->reject();
}

// Reopened and confirmed, a corrected photo has two counts with an accepted count each;
// it is still one stack of 6 boards on the delivery note.
void TamrexHistoryTest::aPhotoAcceptedAgainAddsToTheTotalOnce() {
    CountAndCorrect();
    ReviewWindow* review = nullptr;
    CountAndReview(review);
    QVERIFY(review);
    QTest::keyClick(review, Qt::Key_Return);
    QVERIFY(WaitUntilIdle(*window));
    const auto acceptedCounts = [&] {
        const std::vector<LoggedCount> logged = Logged();
        return std::count_if(logged.begin(), logged.end(), [](const LoggedCount& c) { return c.Accepted(); });
    };
    QTRY_COMPARE(acceptedCounts(), 2);
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));

    QTest::keyClick(window.get(), Qt::Key_H, Qt::ControlModifier);
    auto* history = window->findChild<HistoryDialog*>();
    QVERIFY(history);
    QVERIFY2(history->TotalText().endsWith(QStringLiteral("1, together 6 boards")), qPrintable(history->TotalText()));
}

void TamrexHistoryTest::theEvidencePdfIsOnePageWithTheCaption() {
    const tamrex::Expected<tamrex::CountResult> count = tamrex::testing::CountDirectly(
        folder->file(QStringLiteral("a.jpg")), tamrex::testing::TestSettings(), folder->file(QStringLiteral("t.bmp")));
    QVERIFY(count);
    const QImage photo(folder->file(QStringLiteral("a.jpg")));
    const tamrex::LineEdits edits(tamrex::CountedLines(*count, photo.height()), tamrex::StripRows(*count, photo.height()));
    const QString pdf = folder->file(QStringLiteral("evidence.pdf"));
    const std::vector<std::string> caption = {"SHA-256: 0123456789abcdef", "Accepted count: 6, accepted by anna"};
    const tamrex::Outcome written = tamrex::WriteEvidencePdf(pdf, *count, photo, edits, caption);
    QVERIFY2(written, written ? "" : written.error().message.c_str());

    QVERIFY2(Run(QStringLiteral("pdfinfo"), {pdf}).contains(QRegularExpression(QStringLiteral("Pages: +1\\n"))),
             "pdfinfo does not read one page");
    const QString text = Run(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    QVERIFY2(text.contains(QStringLiteral("SHA-256: 0123456789abcdef")) && text.contains(QStringLiteral("accepted by anna")),
             qPrintable(text));

    const tamrex::Outcome nowhere =
        tamrex::WriteEvidencePdf(folder->file(QStringLiteral("no/such/folder/e.pdf")), *count, photo, edits, caption);
    QVERIFY(!nowhere);
    QVERIFY(QString::fromStdString(nowhere.error().message).contains(QStringLiteral("no/such/folder/e.pdf")));
}

QTEST_MAIN(TamrexHistoryTest)
#include "TamrexHistoryTest.moc"
