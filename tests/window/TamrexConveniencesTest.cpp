// What the window offers beyond its layout: a settings file of one's choice, a photo counted
// at start, F5 for photos taken since, Enter or a click to count again, whole names in
// tooltips, and Down into a list where nothing is selected.

#include "window/NoticeBoard.h"
#include "window/PathText.h"
#include "window/PictureBox.h"
#include "window/ReviewWindow.h"
#include "window/StartTamrex.h"
#include "window/Tamrex.h"
#include "window/WindowCommandLine.h"
#include "tests/window/WindowWaits.h"
#include "tests/window/WorkingFolder.h"

#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QUrl>

#include <memory>

#include <sys/stat.h>

using tamrex::ReadWindowArguments;
using tamrex::Tamrex;
using tamrex::TamrexOpening;
using tamrex::ToPath;
using tamrex::WindowStart;
using tamrex::testing::CountDirectly;
using tamrex::testing::TestSettings;
using tamrex::testing::WaitUntilIdle;
using tamrex::testing::WorkingFolder;

namespace {

const QByteArray kSettings = "BDLINE=160\r\nTHRESHOLD=110\r\nPWIDTH=16\r\n";

}  // namespace

class TamrexConveniencesTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void theIniOptionNamesTheSettingsFileAndAPhotoIsTakenApart();
    void theIniOptionNeedsAFile_data();
    void theIniOptionNeedsAFile();
    void thePhotoGivenIsSelectedAndCountedAtStart();
    void aPhotoGivenThatIsNotListedIsSaid();
    void theBoardThicknessOfTheSettingsFileReachesTheCheck();
    void f5ListsPhotosAddedSinceAndKeepsTheSelection();
    void enterOrAClickOnTheSelectedEntryCountsItAgain_data();
    void enterOrAClickOnTheSelectedEntryCountsItAgain();
    void everyEntryShowsItsWholeNameInATooltip();
    void downIntoAListWithNothingSelectedCountsTheFirstPhoto();
    void namesThatAreNotUtf8AreListedAndCountedAndPipesAreNot();
    void aPhotoBiggerThanTheBoxIsShownShrunk();
    void anotherFolderIsOpenedByCtrlOOrByDroppingItOrAPhoto_data();
    void anotherFolderIsOpenedByCtrlOOrByDroppingItOrAPhoto();
    void theMenuKeyShiftF10AndF1Answer_data();
    void theMenuKeyShiftF10AndF1Answer();

private:
    void Show(std::unique_ptr<Tamrex> opened);
    void OpenWindow() { Show(std::make_unique<Tamrex>(folder->path(), TestSettings())); }
    QListWidget* List() const { return window->findChild<QListWidget*>(QStringLiteral("File1")); }
    QString Text(const char* label) const { return window->findChild<QLabel*>(QLatin1String(label))->text(); }
    QString SelectedName() const;
    QString LineMap() const { return folder->file(QStringLiteral("test.bmp")); }
    QString Notices() const {
        return window->findChild<tamrex::NoticeBoard*>(QStringLiteral("Notices"))->Messages().join(QLatin1Char('\n'));
    }
    void Drop(const QString& path);

    std::unique_ptr<WorkingFolder> folder;
    std::unique_ptr<Tamrex> window;
};

void TamrexConveniencesTest::init() {
    folder = std::make_unique<WorkingFolder>();
    QVERIFY(folder->isValid());
    QCOMPARE(folder->AddStackPhoto(QStringLiteral("a.jpg"), 5), QString());
    QCOMPARE(folder->AddStackPhoto(QStringLiteral("b.jpg"), 7), QString());
}

void TamrexConveniencesTest::cleanup() {
    window.reset();
    folder.reset();
}

void TamrexConveniencesTest::Show(std::unique_ptr<Tamrex> opened) {
    window = std::move(opened);
    QVERIFY(window);
    window->show();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    QVERIFY(WaitUntilIdle(*window));  // the photo given at start, if one was
}

QString TamrexConveniencesTest::SelectedName() const {
    const QList<QListWidgetItem*> selected = List()->selectedItems();
    return selected.isEmpty() ? QString() : selected.first()->text();
}

void TamrexConveniencesTest::theIniOptionNamesTheSettingsFileAndAPhotoIsTakenApart() {
    const std::filesystem::path here = folder->path();
    const std::filesystem::path fallback = "/usr/lib/tamrex/Tamrex.ini";
    const auto read = [&](std::vector<std::filesystem::path> arguments) {
        return ReadWindowArguments(arguments, here, fallback).value_or(WindowStart{"failed", "failed", "failed"});
    };
    WindowStart start = read({"--ini", "station.ini", "b.jpg"});
    QCOMPARE(start.folder, here);
    QCOMPARE(start.photo, std::filesystem::path("b.jpg"));
    QCOMPARE(start.settingsFile, here / "station.ini");  // taken from the current folder
    start = read({here / "a.jpg", "--ini=/etc/tamrex/Tamrex.ini"});
    QCOMPARE(start.photo, std::filesystem::path("a.jpg"));  // as a file manager names it
    QCOMPARE(start.settingsFile, std::filesystem::path("/etc/tamrex/Tamrex.ini"));
    start = read({});
    QCOMPARE(start.folder, here);
    QVERIFY(start.photo.empty());
    QCOMPARE(start.settingsFile, fallback);
    start = read({here});
    QCOMPARE(start.folder, here);
    QVERIFY(start.photo.empty());  // a folder is no photo
}

void TamrexConveniencesTest::theIniOptionNeedsAFile_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("no value") << QStringList{"--ini"} << "--ini needs the name of a settings file";
    QTest::newRow("empty value") << QStringList{"--ini=", "a.jpg"} << "--ini needs the name of a settings file";
    QTest::newRow("after --, a name") << QStringList{"--", "--ini", "x.ini"}
                                      << "opens one photo or folder, but 2 were given";
    QTest::newRow("unknown option") << QStringList{"--inis", "x.ini"} << "unknown option '--inis'";
}

void TamrexConveniencesTest::theIniOptionNeedsAFile() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    std::vector<std::filesystem::path> given;
    for (const QString& argument : arguments) given.push_back(ToPath(argument));
    const tamrex::Expected<WindowStart> start = ReadWindowArguments(given, folder->path(), "Tamrex.ini");
    QVERIFY(!start);
    QCOMPARE(QString::fromStdString(start.error().message), message);
}

void TamrexConveniencesTest::thePhotoGivenIsSelectedAndCountedAtStart() {
    QCOMPARE(folder->AddFile(QStringLiteral("station.ini"), kSettings), QString());
    TamrexOpening opening = tamrex::OpenTamrex({folder->path(), "b.jpg", folder->path() / "station.ini"});
    QVERIFY2(opening.window, qPrintable(opening.error));
    Show(std::move(opening.window));
    QCOMPARE(SelectedName(), QStringLiteral("b.jpg"));
    QCOMPARE(Text("vTotalCount"), QStringLiteral("7"));
    QVERIFY(QFile::exists(LineMap()));
}

void TamrexConveniencesTest::aPhotoGivenThatIsNotListedIsSaid() {
    QCOMPARE(folder->AddFile(QStringLiteral("station.ini"), kSettings), QString());
    QCOMPARE(folder->AddFile(QStringLiteral("c.png"), "not listed"), QString());
    TamrexOpening opening = tamrex::OpenTamrex({folder->path(), "c.png", folder->path() / "station.ini"});
    QVERIFY2(opening.window, qPrintable(opening.error));
    Show(std::move(opening.window));
    QVERIFY(SelectedName().isEmpty());
    const QString notice = Notices();
    QVERIFY2(notice.contains(QStringLiteral("'c.png'")) && notice.contains(QStringLiteral(".jpg")), qPrintable(notice));
}

// The check measures the strip in boards of the file's THICKNESS, else of its PWIDTH.
void TamrexConveniencesTest::theBoardThicknessOfTheSettingsFileReachesTheCheck() {
    QTemporaryDir elsewhere;
    const auto counted = CountDirectly(folder->file(QStringLiteral("b.jpg")), TestSettings(),
                                       elsewhere.filePath(QStringLiteral("map.bmp")));
    QVERIFY(counted);
    for (const double thickness : {8.0, 0.0}) {
        const QByteArray settings = kSettings + (thickness > 0 ? "THICKNESS=8.0\r\n" : "");
        QCOMPARE(folder->AddFile(QStringLiteral("station.ini"), settings), QString());
        TamrexOpening opening = tamrex::OpenTamrex({folder->path(), "b.jpg", folder->path() / "station.ini"});
        QVERIFY2(opening.window, qPrintable(opening.error));
        Show(std::move(opening.window));
        QTest::keyClick(window.get(), Qt::Key_F2);
        auto* review = tamrex::testing::WaitForReview();
        QVERIFY(review);
        const double boards = counted->stripHeight / (thickness > 0 ? thickness : 16.0);
        const QString check = review->findChild<QLabel*>(QStringLiteral("check"))->text();
        QVERIFY2(check.contains(QStringLiteral("%1 boards high").arg(boards, 0, 'f', 1)), qPrintable(check));
        review->close();
        window.reset();
    }
}

void TamrexConveniencesTest::f5ListsPhotosAddedSinceAndKeepsTheSelection() {
    OpenWindow();
    List()->setCurrentRow(1);
    QVERIFY(WaitUntilIdle(*window));
    QCOMPARE(Text("vTotalCount"), QStringLiteral("7"));
    QCOMPARE(folder->AddStackPhoto(QStringLiteral("IMG_20241207_101500.jpg"), 6), QString());
    QCOMPARE(folder->AddStackPhoto(QStringLiteral("0.jpg"), 4), QString());
    QVERIFY(QFile::remove(folder->file(QStringLiteral("a.jpg"))));
    QVERIFY(QFile::remove(LineMap()));

    QTest::keyClick(window.get(), Qt::Key_F5);
    QVERIFY(!window->Busy());
    QStringList listed;
    for (int row = 0; row < List()->count(); ++row) listed << List()->item(row)->text();
    QCOMPARE(listed, QStringList({"0.jpg", "b.jpg", "IMG_20241207_101500.jpg"}));
    QCOMPARE(SelectedName(), QStringLiteral("b.jpg"));
    QCOMPARE(List()->currentRow(), 1);
    QVERIFY(!QFile::exists(LineMap()));  // rescanning counts nothing
    QCOMPARE(Text("vTotalCount"), QStringLiteral("7"));

    List()->setCurrentRow(2);
    QVERIFY(WaitUntilIdle(*window));
    QCOMPARE(Text("vTotalCount"), QStringLiteral("6"));
}

void TamrexConveniencesTest::enterOrAClickOnTheSelectedEntryCountsItAgain_data() {
    QTest::addColumn<bool>("byEnter");
    QTest::newRow("Enter") << true;
    QTest::newRow("click") << false;
}

void TamrexConveniencesTest::enterOrAClickOnTheSelectedEntryCountsItAgain() {
    QFETCH(bool, byEnter);
    OpenWindow();
    const QPoint onB = List()->visualItemRect(List()->item(1)).center();
    QTest::mouseClick(List()->viewport(), Qt::LeftButton, Qt::NoModifier, onB);
    QVERIFY(WaitUntilIdle(*window));
    QVERIFY(QFile::remove(LineMap()));
    QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("cmdReset")), Qt::LeftButton);
    QCOMPARE(Text("vTotalCount"), QStringLiteral("0"));

    if (byEnter) {
        List()->setFocus();
        QTest::keyClick(List(), Qt::Key_Return);
    } else {
        QTest::mouseClick(List()->viewport(), Qt::LeftButton, Qt::NoModifier, onB);
    }
    QVERIFY(WaitUntilIdle(*window));
    QVERIFY(QFile::exists(LineMap()));
    QCOMPARE(Text("vTotalCount"), QStringLiteral("7"));
    QCOMPARE(SelectedName(), QStringLiteral("b.jpg"));
}

void TamrexConveniencesTest::everyEntryShowsItsWholeNameInATooltip() {
    const QString phoneName = QStringLiteral("IMG_20241207_101500_HDR_stack_of_plywood.jpg");
    QCOMPARE(folder->AddFile(phoneName, "x"), QString());
    OpenWindow();
    QVERIFY(List()->fontMetrics().horizontalAdvance(phoneName) > List()->viewport()->width());
    for (int row = 0; row < List()->count(); ++row) QCOMPARE(List()->item(row)->toolTip(), List()->item(row)->text());
    QCOMPARE(List()->findItems(phoneName, Qt::MatchExactly).size(), 1);
}

// Tab brings the focus to the list without a selection; the first Down counts the first photo.
void TamrexConveniencesTest::downIntoAListWithNothingSelectedCountsTheFirstPhoto() {
    OpenWindow();
    window->findChild<QPushButton*>(QStringLiteral("btnExit"))->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), List());
    QVERIFY(SelectedName().isEmpty());
    QTest::keyClick(List(), Qt::Key_Down);
    QVERIFY(WaitUntilIdle(*window));
    QCOMPARE(SelectedName(), QStringLiteral("a.jpg"));
    QCOMPARE(Text("vTotalCount"), QStringLiteral("5"));
    QTest::keyClick(List(), Qt::Key_Down);
    QVERIFY(WaitUntilIdle(*window));
    QCOMPARE(SelectedName(), QStringLiteral("b.jpg"));
    QCOMPARE(Text("vTotalCount"), QStringLiteral("7"));
}

QTEST_MAIN(TamrexConveniencesTest)
// A camera card written on another system may hold a name in another encoding; a FIFO
// named .jpg, or a link to one, would freeze the window if it were offered.
void TamrexConveniencesTest::namesThatAreNotUtf8AreListedAndCountedAndPipesAreNot() {
    const std::filesystem::path odd = folder->path() / std::string("caf\xE9.jpg");
    std::filesystem::copy_file(ToPath(folder->file(QStringLiteral("b.jpg"))), odd);
    QCOMPARE(::mkfifo((folder->path() / "pipe.jpg").c_str(), 0644), 0);
    std::filesystem::create_symlink("pipe.jpg", folder->path() / "link.jpg");
    OpenWindow();
    QCOMPARE(List()->count(), 3);
    List()->setCurrentRow(2);
    QVERIFY(WaitUntilIdle(*window));
    QCOMPARE(Text("vTotalCount"), QStringLiteral("7"));
    QVERIFY(Text("Label3").startsWith(QLatin1String("Detected")));
}

void TamrexConveniencesTest::aPhotoBiggerThanTheBoxIsShownShrunk() {
    QCOMPARE(folder->AddStackPhoto(QStringLiteral("c.jpg"), 5, 3000, 2400), QString());
    OpenWindow();
    List()->setCurrentRow(2);
    QVERIFY(WaitUntilIdle(*window));
    const QImage shown = window->findChild<tamrex::PictureBox*>(QStringLiteral("Image2"))->picture();
    QCOMPARE(shown.size(), QSize(1500, 1200));  // decoded at half its size
}

void TamrexConveniencesTest::Drop(const QString& path) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    const QPoint at = window->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &drop);
}

void TamrexConveniencesTest::anotherFolderIsOpenedByCtrlOOrByDroppingItOrAPhoto_data() {
    QTest::addColumn<QString>("way");
    QTest::newRow("Ctrl+O") << "Ctrl+O";
    QTest::newRow("a folder dropped") << "folder";
    QTest::newRow("a photo dropped") << "photo";
}

// What was on show belongs to the first folder and goes; the folder in use is shown.
void TamrexConveniencesTest::anotherFolderIsOpenedByCtrlOOrByDroppingItOrAPhoto() {
    QFETCH(QString, way);
    WorkingFolder other;
    QCOMPARE(other.AddStackPhoto(QStringLiteral("photo_10.jpg"), 9), QString());
    QCOMPARE(other.AddStackPhoto(QStringLiteral("photo_2.JPEG"), 6), QString());
    OpenWindow();
    List()->setCurrentRow(1);
    QVERIFY(WaitUntilIdle(*window));
    const QString otherFolder = tamrex::ToText(other.path());

    if (way == QLatin1String("Ctrl+O")) {
        QTest::keyClick(window.get(), Qt::Key_O, Qt::ControlModifier);
        auto* dialog = window->findChild<QFileDialog*>(QStringLiteral("OpenFolderDialog"));
        QVERIFY(dialog);
        dialog->selectFile(otherFolder);
        QMetaObject::invokeMethod(dialog, "accept");
    } else if (way == QLatin1String("folder")) {
        Drop(otherFolder);
    } else {
        Drop(other.file(QStringLiteral("photo_10.jpg")));
    }
    QVERIFY(WaitUntilIdle(*window));
    QStringList listed;
    for (int row = 0; row < List()->count(); ++row) listed << List()->item(row)->text();
    QCOMPARE(listed, QStringList({"photo_2.JPEG", "photo_10.jpg"}));
    const auto* shownFolder = window->findChild<QLabel*>(QStringLiteral("Folder"));
    QVERIFY2(shownFolder->toolTip().contains(otherFolder), qPrintable(shownFolder->toolTip()));
    if (way == QLatin1String("photo")) {
        QCOMPARE(SelectedName(), QStringLiteral("photo_10.jpg"));
        QCOMPARE(Text("vTotalCount"), QStringLiteral("9"));
        QVERIFY(QFile::exists(other.file(QStringLiteral("test.bmp"))));
    } else {
        QVERIFY(SelectedName().isEmpty());
        QCOMPARE(Text("vTotalCount"), QStringLiteral("0"));
        QVERIFY(Text("Label3").isEmpty());
        QVERIFY(window->findChild<tamrex::PictureBox*>(QStringLiteral("Image1"))->picture().isNull());
    }

    // An empty folder says so.
    QTemporaryDir empty;
    Drop(empty.path());
    QCOMPARE(List()->count(), 0);
    QVERIFY2(Notices().contains(QStringLiteral("No JPEG photos")), qPrintable(Notices()));
}

void TamrexConveniencesTest::theMenuKeyShiftF10AndF1Answer_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::newRow("Menu") << int(Qt::Key_Menu) << int(Qt::NoModifier);
    QTest::newRow("Shift+F10") << int(Qt::Key_F10) << int(Qt::ShiftModifier);
    QTest::newRow("F1") << int(Qt::Key_F1) << int(Qt::NoModifier);
}

// From the list, where the focus is while photos are chosen.
void TamrexConveniencesTest::theMenuKeyShiftF10AndF1Answer() {
    QFETCH(int, key);
    QFETCH(int, modifiers);
    OpenWindow();
    List()->setFocus();
    QTest::keyClick(List(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    if (key == Qt::Key_F1) {
        auto* help = window->findChild<QMessageBox*>(QStringLiteral("Help"));
        QVERIFY(help);
        QTRY_VERIFY(help->isVisible());
        QVERIFY(help->text().contains(QStringLiteral("F2")));
        help->close();
        return;
    }
    QTRY_VERIFY(qobject_cast<QMenu*>(QApplication::activePopupWidget()));
    QCOMPARE(QApplication::activePopupWidget()->objectName(), QStringLiteral("PictureMenu"));
    QApplication::activePopupWidget()->close();
}

#include "TamrexConveniencesTest.moc"
