// Calibration from the window: offered once enough photos have accepted counts, searched in
// the background, and the settings found written to the settings file in use on request.

#include "settings/StationSettings.h"
#include "window/CalibrationDialog.h"
#include "window/PathText.h"
#include "window/PictureBox.h"
#include "window/ReviewWindow.h"
#include "window/SettingsReplacement.h"
#include "window/Tamrex.h"
#include "tests/window/PictureMenuChoice.h"
#include "tests/window/WindowWaits.h"
#include "tests/window/WorkingFolder.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include <memory>

using tamrex::CalibrationDialog;
using tamrex::StationSettings;
using tamrex::Tamrex;
using tamrex::ToPath;
using tamrex::testing::CountDirectly;
using tamrex::testing::WaitUntilIdle;
using tamrex::testing::WorkingFolder;

namespace {

constexpr int kSearchPatienceMs = 120000;  // a bound for a hung search, not a speed
const QString kCalibrate = QStringLiteral("Calibrate from corrected photos");
// No row can hold BDLINE dark pixels and the split is off: every photo counts 1.
const QByteArray kPoorSettings = "BDLINE=1000\r\nTHRESHOLD=110\r\nPWIDTH=0\r\n";
const QByteArray kThreeCorrections = "file,count,counted,when\r\na.jpg,5,1,t\r\nb.jpg,7,1,t\r\nc.jpg,9,1,t\r\n";
// c.jpg holds 9 boards: no settings count all three.
const QByteArray kOneWrongCount = "file,count,counted,when\r\na.jpg,5,1,t\r\nb.jpg,7,1,t\r\nc.jpg,20,1,t\r\n";

CalibrationDialog* OpenDialog() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<CalibrationDialog*>(widget); dialog && dialog->isVisible()) return dialog;
    }
    return nullptr;
}

QByteArray Content(const QString& file) {
    QFile in(file);
    return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray("(cannot be read)");
}

// The dated backups beside a settings file, oldest first.
QStringList Backups(const QString& settingsFile) {
    const QFileInfo file(settingsFile);
    return QDir(file.absolutePath()).entryList({file.fileName() + QStringLiteral(".*.bak")}, QDir::Files, QDir::Name);
}

}  // namespace

class TamrexCalibrationTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void calibrationIsOfferedOnceThreeListedPhotosHaveAcceptedCounts();
    void theSearchRunsInTheBackgroundAndItsSettingsCountFromTheNextCountOn();
    void aLinkedSettingsFileIsWrittenThroughAndStaysALink();
    void stoppingTheSearchChangesNothing_data();
    void stoppingTheSearchChangesNothing();
    void aSettingsFileThatCannotBeWrittenIsSaidAndTheFindingsStay();
    void doubtsAboutTheSettingsFoundAreSaid();
    void theOriginalSettingsAndTheLastFewAreKept();

private:
    void OpenWindow(const QString& settingsFile);
    void Click(int row);
    // Starts the calibration from the menu: its dialog, or none.
    CalibrationDialog* StartCalibration();
    // What the rules count with the settings in use: vTotalCount shows the accepted count.
    QString Counted() const { return window->findChild<QLabel*>(QStringLiteral("Label3"))->text(); }
    tamrex::PictureBox* Image1() const { return window->findChild<tamrex::PictureBox*>(QStringLiteral("Image1")); }

    std::unique_ptr<WorkingFolder> folder;
    std::unique_ptr<Tamrex> window;
};

void TamrexCalibrationTest::init() {
    folder = std::make_unique<WorkingFolder>();
    QVERIFY(folder->isValid());
    QCOMPARE(folder->AddStackPhoto(QStringLiteral("a.jpg"), 5), QString());
    QCOMPARE(folder->AddStackPhoto(QStringLiteral("b.jpg"), 7), QString());
    QCOMPARE(folder->AddStackPhoto(QStringLiteral("c.jpg"), 9), QString());
    QCOMPARE(folder->AddFile(QStringLiteral("Tamrex.ini"), kPoorSettings), QString());
}

void TamrexCalibrationTest::cleanup() {
    window.reset();
    folder.reset();
}

void TamrexCalibrationTest::OpenWindow(const QString& settingsFile) {
    const tamrex::Expected<StationSettings> settings = tamrex::LoadStationSettings(ToPath(settingsFile));
    QVERIFY2(settings, settings ? "" : settings.error().message.c_str());
    window = std::make_unique<Tamrex>(folder->path(), *settings, ToPath(settingsFile));
    window->show();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    QVERIFY(WaitUntilIdle(*window));  // the corrections file is read off the window's thread
}

void TamrexCalibrationTest::Click(int row) {
    auto* list = window->findChild<QListWidget*>(QStringLiteral("File1"));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, list->visualItemRect(list->item(row)).center());
    QVERIFY(WaitUntilIdle(*window));
}

CalibrationDialog* TamrexCalibrationTest::StartCalibration() {
    if (!tamrex::testing::ChooseFromPictureMenu(Image1(), kCalibrate)) return nullptr;
    return OpenDialog();
}

void TamrexCalibrationTest::calibrationIsOfferedOnceThreeListedPhotosHaveAcceptedCounts() {
    QCOMPARE(folder->AddFile(QString::fromLatin1(tamrex::kCorrectionsFileName),
                             "file,count\r\na.jpg,5\r\nb.jpg,7\r\ngone.jpg,4\r\n"),
             QString());
    OpenWindow(folder->file(QStringLiteral("Tamrex.ini")));
    QVERIFY(!tamrex::testing::PictureMenuOffers(Image1(), kCalibrate));  // gone.jpg is not listed
    // The greyed entry says what it waits for.
    QVERIFY(tamrex::testing::ChooseFromPictureMenu(Image1(), kCalibrate + QStringLiteral(" (needs 3, 2 so far)")));
    QVERIFY(!OpenDialog());
    window->activateWindow();  // from the menu, as a window manager would
    QVERIFY(QTest::qWaitForWindowActive(window.get()));

    Click(2);
    QTest::keyClick(window.get(), Qt::Key_F2);
    auto* review = tamrex::testing::WaitForReview();
    QVERIFY(review);
    QTest::mouseClick(review->findChild<QPushButton*>(QStringLiteral("Accept")), Qt::LeftButton);
    QVERIFY(tamrex::testing::PictureMenuOffers(Image1(), kCalibrate));
}

void TamrexCalibrationTest::theSearchRunsInTheBackgroundAndItsSettingsCountFromTheNextCountOn() {
    QCOMPARE(folder->AddFile(QString::fromLatin1(tamrex::kCorrectionsFileName), kThreeCorrections), QString());
    const QString ini = folder->file(QStringLiteral("Tamrex.ini"));
    OpenWindow(ini);
    Click(0);
    QCOMPARE(Counted(), QStringLiteral("Detected 1 lines."));

    CalibrationDialog* dialog = StartCalibration();
    QVERIFY(dialog);
    // The window's thread is free while the search runs: this test runs on it.
    QTRY_VERIFY_WITH_TIMEOUT(!dialog->Searching(), kSearchPatienceMs);
    const QProgressBar* progress = dialog->findChild<QProgressBar*>();
    QVERIFY(progress->maximum() > 0 && progress->value() == progress->maximum());
    const QString findings = dialog->findChild<QLabel*>(QStringLiteral("findings"))->text();
    QVERIFY2(findings.contains(QStringLiteral("They count 3 of 3 corrected photos exactly; the settings in use "
                                              "(BDLINE=1000 THRESHOLD=110 PWIDTH=0) count 0.")),
             qPrintable(findings));
    QVERIFY2(findings.contains(QStringLiteral("a.jpg: accepted 5, in use 1, found 5")), qPrintable(findings));
    QCOMPARE(Content(ini), kPoorSettings);  // nothing is written unasked

    QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("use")), Qt::LeftButton);
    QCOMPARE(Backups(ini).size(), 1);
    QVERIFY2(dialog->Status().contains(Backups(ini).front()), qPrintable(dialog->Status()));
    QCOMPARE(Content(folder->file(Backups(ini).front())), kPoorSettings);
    QCOMPARE(Content(ini + QStringLiteral(".original")), kPoorSettings);
    const tamrex::Expected<StationSettings> written = tamrex::LoadStationSettings(ToPath(ini));
    QVERIFY(written);
    QVERIFY2(findings.contains(QStringLiteral("Settings found: BDLINE=%1 THRESHOLD=%2 PWIDTH=%3")
                                   .arg(written->counter.bdLine)
                                   .arg(written->counter.threshold)
                                   .arg(written->counter.pWidth)),
             qPrintable(findings));
    // The photo on show is counted again with them, and every count after, without a restart.
    QVERIFY(WaitUntilIdle(*window));
    QCOMPARE(Counted(), QStringLiteral("Detected 5 lines."));
    Click(1);
    QCOMPARE(Counted(), QStringLiteral("Detected 7 lines."));
    dialog->close();

    // A second search finds what is in use now: nothing is written, no backup made.
    const QByteArray found = Content(ini);
    dialog = StartCalibration();
    QVERIFY(dialog);
    QTRY_VERIFY_WITH_TIMEOUT(!dialog->Searching(), kSearchPatienceMs);
    QVERIFY2(dialog->Status().contains(QStringLiteral("nothing to write")), qPrintable(dialog->Status()));
    QVERIFY(!dialog->findChild<QPushButton*>(QStringLiteral("use"))->isEnabled());
    QCOMPARE(Content(ini), found);
    QCOMPARE(Backups(ini).size(), 1);
    dialog->close();
}

void TamrexCalibrationTest::aLinkedSettingsFileIsWrittenThroughAndStaysALink() {
    QCOMPARE(folder->AddFile(QString::fromLatin1(tamrex::kCorrectionsFileName), kThreeCorrections), QString());
    QVERIFY(QDir(folder->file(QString())).mkdir(QStringLiteral("etc")));
    const QString real = folder->file(QStringLiteral("etc/Tamrex.ini"));
    QVERIFY(QFile::rename(folder->file(QStringLiteral("Tamrex.ini")), real));
    const QString link = folder->file(QStringLiteral("Tamrex.ini"));
    QVERIFY(QFile::link(real, link));
    OpenWindow(link);

    CalibrationDialog* dialog = StartCalibration();
    QVERIFY(dialog);
    // The window's thread is free while the search runs: this test runs on it.
    QTRY_VERIFY_WITH_TIMEOUT(!dialog->Searching(), kSearchPatienceMs);
    QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("use")), Qt::LeftButton);
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(QFileInfo(link).symLinkTarget(), real);
    QVERIFY(Content(real) != kPoorSettings);
    QCOMPARE(Backups(real).size(), 1);
    QCOMPARE(Content(real + QStringLiteral(".original")), kPoorSettings);
    QVERIFY(Backups(link).isEmpty());
    QVERIFY(!QFile::exists(link + QStringLiteral(".original")));
    dialog->close();
}

void TamrexCalibrationTest::stoppingTheSearchChangesNothing_data() {
    QTest::addColumn<QString>("way");
    QTest::newRow("Cancel") << "Cancel";
    QTest::newRow("Esc") << "Esc";
    QTest::newRow("closing") << "close";
}

// The search is started on the dialog itself, so that it is there to ask afterwards.
void TamrexCalibrationTest::stoppingTheSearchChangesNothing() {
    QFETCH(QString, way);
    const QString ini = folder->file(QStringLiteral("Tamrex.ini"));
    const tamrex::Expected<StationSettings> inUse = tamrex::LoadStationSettings(ToPath(ini));
    QVERIFY(inUse);
    std::vector<tamrex::CorrectedPhoto> known;
    for (const auto& [name, boards] : {std::pair{"a.jpg", 5}, {"b.jpg", 7}, {"c.jpg", 9}})
        known.push_back({{folder->path() / name, boards}, {}});
    CalibrationDialog dialog({known, *inUse, ToPath(ini)});
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QVERIFY(dialog.Searching());
    if (way == QLatin1String("Cancel")) {
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("cancel")), Qt::LeftButton);
    } else if (way == QLatin1String("Esc")) {
        QTest::keyClick(&dialog, Qt::Key_Escape);
    } else {
        dialog.close();
    }
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.Searching(), kSearchPatienceMs);
    QVERIFY(!dialog.isVisible());
    QVERIFY2(dialog.Status().contains(QStringLiteral("stopped")), qPrintable(dialog.Status()));
    QCOMPARE(Content(ini), kPoorSettings);
    QVERIFY(Backups(ini).isEmpty());
    QVERIFY(!QFile::exists(ini + QStringLiteral(".original")));
}

void TamrexCalibrationTest::aSettingsFileThatCannotBeWrittenIsSaidAndTheFindingsStay() {
    QCOMPARE(folder->AddFile(QString::fromLatin1(tamrex::kCorrectionsFileName), kThreeCorrections), QString());
    QVERIFY(QDir(folder->file(QString())).mkdir(QStringLiteral("station")));
    QCOMPARE(folder->AddFile(QStringLiteral("station/Tamrex.ini"), kPoorSettings), QString());
    OpenWindow(folder->file(QStringLiteral("station/Tamrex.ini")));
    CalibrationDialog* dialog = StartCalibration();
    QVERIFY(dialog);
    // The window's thread is free while the search runs: this test runs on it.
    QTRY_VERIFY_WITH_TIMEOUT(!dialog->Searching(), kSearchPatienceMs);

    QVERIFY(QDir(folder->file(QStringLiteral("station"))).removeRecursively());
    auto* use = dialog->findChild<QPushButton*>(QStringLiteral("use"));
    QTest::mouseClick(use, Qt::LeftButton);
    QVERIFY2(dialog->Status().contains(QStringLiteral("cannot write settings file")) &&
                 dialog->Status().contains(QStringLiteral("station/Tamrex.ini")) &&
                 dialog->Status().contains(QStringLiteral("The settings in use stay")),
             qPrintable(dialog->Status()));
    QVERIFY(use->isEnabled());
    Click(0);
    QCOMPARE(Counted(), QStringLiteral("Detected 1 lines."));

    // Put right, the same findings are written at the next try.
    QVERIFY(QDir(folder->file(QString())).mkdir(QStringLiteral("station")));
    QCOMPARE(folder->AddFile(QStringLiteral("station/Tamrex.ini"), kPoorSettings), QString());
    QTest::mouseClick(use, Qt::LeftButton);
    QVERIFY(!use->isEnabled());
    QVERIFY(WaitUntilIdle(*window));
    QCOMPARE(Counted(), QStringLiteral("Detected 5 lines."));
    dialog->close();
}

// The same doubts as the command line prints, in the same words: here, a count given wrong.
void TamrexCalibrationTest::doubtsAboutTheSettingsFoundAreSaid() {
    QCOMPARE(folder->AddFile(QString::fromLatin1(tamrex::kCorrectionsFileName), kOneWrongCount), QString());
    OpenWindow(folder->file(QStringLiteral("Tamrex.ini")));
    CalibrationDialog* dialog = StartCalibration();
    QVERIFY(dialog);
    QTRY_VERIFY_WITH_TIMEOUT(!dialog->Searching(), kSearchPatienceMs);
    const QString findings = dialog->findChild<QLabel*>(QStringLiteral("findings"))->text();
    QVERIFY2(findings.contains(QStringLiteral("Warning: No settings count every photo exactly; the best count 2 of 3")),
             qPrintable(findings));
    QVERIFY2(dialog->Status().contains(QStringLiteral("Mind the warnings")), qPrintable(dialog->Status()));
    dialog->close();
}

// The file before the first change stays for good; of the dated backups, the last few.
void TamrexCalibrationTest::theOriginalSettingsAndTheLastFewAreKept() {
    const QString ini = folder->file(QStringLiteral("Tamrex.ini"));
    StationSettings settings{tamrex::testing::TestSettings(), std::nullopt};
    const int changes = int(tamrex::kKeptBackups) + 2;
    for (int change = 0; change < changes; ++change) {
        settings.counter.bdLine = static_cast<std::int16_t>(100 + change);
        const std::string stamp = "2024-12-07_10-15-0" + std::to_string(change);
        const tamrex::Expected<std::filesystem::path> backup = tamrex::ReplaceSettingsFile(ToPath(ini), settings, {}, stamp);
        QVERIFY2(backup, backup ? "" : backup.error().message.c_str());
    }
    QCOMPARE(Content(ini + QStringLiteral(".original")), kPoorSettings);
    const QStringList kept = Backups(ini);
    QCOMPARE(kept.size(), int(tamrex::kKeptBackups));
    QCOMPARE(kept.front(), QStringLiteral("Tamrex.ini.2024-12-07_10-15-02.bak"));
    QVERIFY2(Content(folder->file(kept.back())).contains("BDLINE=105"), Content(folder->file(kept.back())).constData());
    QVERIFY(Content(ini).contains("BDLINE=106"));
}

QTEST_MAIN(TamrexCalibrationTest)
#include "TamrexCalibrationTest.moc"
