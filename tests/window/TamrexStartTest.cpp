// The program's start and end: the settings file decides whether the window opens at all,
// and Exit or closing the window ends the program.

#include "window/PathText.h"
#include "window/StartTamrex.h"
#include "window/Tamrex.h"
#include "tests/window/WindowWaits.h"
#include "tests/window/WorkingFolder.h"

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

using tamrex::CounterSettings;
using tamrex::OpenTamrex;
using tamrex::RunTamrex;
using tamrex::Tamrex;
using tamrex::ToPath;
using tamrex::testing::CountDirectly;
using tamrex::testing::WorkingFolder;

namespace {

// RunTamrex blocks in an event loop of its own (the window's or the message box's); this
// acts from inside that loop once `ready` says the moment has come. Should it never come,
// every window is closed so that the loop ends and the test fails instead of hanging.
void WhenReady(std::function<bool()> ready, std::function<void()> act) {
    constexpr int kPatienceTicks = 1000;
    auto* timer = new QTimer(qApp);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, ready, act, ticks = 0]() mutable {
        if (!ready() && ++ticks < kPatienceTicks) return;
        timer->stop();
        timer->deleteLater();
        if (ticks < kPatienceTicks) {
            act();
        } else {
            QApplication::closeAllWindows();
        }
    });
    timer->start();
}

QMessageBox* OpenMessageBox() {
    return qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
}

Tamrex* ShownWindow() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* window = qobject_cast<Tamrex*>(widget); window && window->isVisible())
            return window;
    }
    return nullptr;
}

}  // namespace

class TamrexStartTest : public QObject {
    Q_OBJECT

private slots:
    void init();

    void settingsThatCannotBeReadStopTheStart_data();
    void settingsThatCannotBeReadStopTheStart();
    void theWindowCountsWithTheSettingsOfTheFile();
    void exitOrClosingEndsTheProgram_data();
    void exitOrClosingEndsTheProgram();

private:
    std::unique_ptr<WorkingFolder> folder;
};

void TamrexStartTest::init() {
    folder = std::make_unique<WorkingFolder>();
    QVERIFY(folder->isValid());
}

void TamrexStartTest::settingsThatCannotBeReadStopTheStart_data() {
    QTest::addColumn<QByteArray>("content");  // empty: no file at all
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing") << QByteArray() << "cannot read";
    QTest::newRow("not a number") << QByteArray("THRESHOLD=110\nBDLINE=abc\n") << "line 2";
    QTest::newRow("too large") << QByteArray("BDLINE=40000\n") << "BDLINE";
}

void TamrexStartTest::settingsThatCannotBeReadStopTheStart() {
    QFETCH(QByteArray, content);
    QFETCH(QString, reason);
    const QString settingsFile = folder->file(QStringLiteral("Tamrex.ini"));
    if (!content.isEmpty())
        QCOMPARE(folder->AddFile(QStringLiteral("Tamrex.ini"), content), QString());

    QString message;
    bool windowShown = true;
    WhenReady([] { return OpenMessageBox() != nullptr; },
              [&] {
                  message = OpenMessageBox()->text();
                  windowShown = ShownWindow() != nullptr;
                  OpenMessageBox()->accept();
              });
    QCOMPARE(RunTamrex({folder->path(), {}, ToPath(settingsFile)}), 1);
    QVERIFY(!windowShown);
    QVERIFY(!ShownWindow());
    QVERIFY2(message.contains(settingsFile) && message.contains(reason), qPrintable(message));
}

void TamrexStartTest::theWindowCountsWithTheSettingsOfTheFile() {
    QCOMPARE(folder->AddStackPhoto(QStringLiteral("a.jpg"), 8), QString());
    QCOMPARE(folder->AddFile(QStringLiteral("Tamrex.ini"),
                             "[counter]\nbdline=160\nTHRESHOLD= 110 \nPWIDTH=16\n"),
             QString());
    const auto opening = OpenTamrex({folder->path(), {}, folder->path() / "Tamrex.ini"});
    QVERIFY2(opening.window, qPrintable(opening.error));
    opening.window->findChild<QListWidget*>(QStringLiteral("File1"))->setCurrentRow(0);
    QVERIFY(tamrex::testing::WaitUntilIdle(*opening.window));

    // Settings left at zero would find no stack at all; these count the photo.
    QTemporaryDir elsewhere;
    const CounterSettings fromFile{.bdLine = 160, .threshold = 110, .pWidth = 16};
    const auto expected = CountDirectly(folder->file(QStringLiteral("a.jpg")), fromFile,
                                        elsewhere.filePath(QStringLiteral("map.bmp")));
    QVERIFY2(expected.has_value(), expected ? "" : expected.error().message.c_str());
    QCOMPARE(opening.window->findChild<QLabel*>(QStringLiteral("vTotalCount"))->text(),
             QString::number(expected->count()));
}

void TamrexStartTest::exitOrClosingEndsTheProgram_data() {
    QTest::addColumn<bool>("byExitButton");
    QTest::newRow("Exit") << true;
    QTest::newRow("closing the window") << false;
}

void TamrexStartTest::exitOrClosingEndsTheProgram() {
    QFETCH(bool, byExitButton);
    QCOMPARE(
        folder->AddFile(QStringLiteral("Tamrex.ini"), "BDLINE=160\nTHRESHOLD=110\nPWIDTH=16\n"),
        QString());
    WhenReady([] { return ShownWindow() != nullptr; },
              [byExitButton] {
                  Tamrex* window = ShownWindow();
                  if (byExitButton) {
                      QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("btnExit")),
                                        Qt::LeftButton);
                  } else {
                      window->close();
                  }
              });
    QCOMPARE(RunTamrex({folder->path(), {}, folder->path() / "Tamrex.ini"}), 0);
    QVERIFY(!ShownWindow());
}

QTEST_MAIN(TamrexStartTest)
#include "TamrexStartTest.moc"
