#include "window/ProcessTimeText.h"

#include <QTest>

using tamrex::ProcessTimeText;

class ProcessTimeTextTest : public QObject {
    Q_OBJECT

private slots:
    void writesSecondsWithoutSpareDigits_data();
    void writesSecondsWithoutSpareDigits();
    void usesTheLocaleSeparatorButNeverGroupsDigits_data();
    void usesTheLocaleSeparatorButNeverGroupsDigits();
};

void ProcessTimeTextTest::writesSecondsWithoutSpareDigits_data() {
    QTest::addColumn<qint64>("milliseconds");
    QTest::addColumn<QString>("text");
    QTest::newRow("fraction") << qint64(1234) << "Process Time: 1.234 Sec.";
    QTest::newRow("whole seconds") << qint64(2000) << "Process Time: 2 Sec.";
    QTest::newRow("under a second") << qint64(50) << "Process Time: 0.05 Sec.";
    QTest::newRow("one millisecond") << qint64(1) << "Process Time: 0.001 Sec.";
    QTest::newRow("nothing measurable") << qint64(0) << "Process Time: 0 Sec.";
    QTest::newRow("trailing zero") << qint64(1500) << "Process Time: 1.5 Sec.";
    // 15 significant digits hold any run a person would wait for, without an exponent.
    QTest::newRow("a long wait") << qint64(86400001) << "Process Time: 86400.001 Sec.";
}

void ProcessTimeTextTest::writesSecondsWithoutSpareDigits() {
    QFETCH(qint64, milliseconds);
    QFETCH(QString, text);
    QCOMPARE(ProcessTimeText(milliseconds, QLocale::c()), text);
}

void ProcessTimeTextTest::usesTheLocaleSeparatorButNeverGroupsDigits_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<qint64>("milliseconds");
    QTest::addColumn<QString>("text");
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    const QLocale german(QLocale::German, QLocale::Germany);
    QTest::newRow("English fraction") << english << qint64(1234) << "Process Time: 1.234 Sec.";
    QTest::newRow("English thousands")
        << english << qint64(1234567) << "Process Time: 1234.567 Sec.";
    QTest::newRow("German fraction") << german << qint64(1234) << "Process Time: 1,234 Sec.";
    QTest::newRow("German thousands") << german << qint64(1234567) << "Process Time: 1234,567 Sec.";
    QTest::newRow("German whole") << german << qint64(2000) << "Process Time: 2 Sec.";
}

void ProcessTimeTextTest::usesTheLocaleSeparatorButNeverGroupsDigits() {
    QFETCH(QLocale, locale);
    QFETCH(qint64, milliseconds);
    QFETCH(QString, text);
    QCOMPARE(ProcessTimeText(milliseconds, locale), text);
}

QTEST_GUILESS_MAIN(ProcessTimeTextTest)
#include "ProcessTimeTextTest.moc"
