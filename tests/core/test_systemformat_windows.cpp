// The system's formats as a new process of the program reads them: on Windows from the user's
// regional settings (decimal mark, short date, long time), whatever the language of the
// system. The settings are set for each row (support/ChildLocale.h) and put back after.
#include "support/ChildLocale.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTest>

using namespace kavr::test;
using namespace Qt::StringLiterals;

class TestSystemFormat : public QObject
{
    Q_OBJECT

private slots:
    void systemSettingsFollowRegionalSettings_data();
    void systemSettingsFollowRegionalSettings();
};

void TestSystemFormat::systemSettingsFollowRegionalSettings_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("separator");
    QTest::addColumn<QString>("dateTime");

    QTest::newRow("Russian") << u"ru_RU.UTF-8"_s << u","_s << u"07.12.2026 14:05:09"_s;
    QTest::newRow("English (United States)") << u"en_US.UTF-8"_s << u"."_s << u"12/7/2026 2:05:09 PM"_s;
}

void TestSystemFormat::systemSettingsFollowRegionalSettings()
{
    QFETCH(QString, locale);
    QFETCH(QString, separator);
    QFETCH(QString, dateTime);

    const ChildLocale settings(locale);
    QProcess probe;
    probe.setProcessEnvironment(settings.environment());
    probe.start(QCoreApplication::applicationDirPath() + u"/kavr_format_probe.exe"_s, {});
    QVERIFY(probe.waitForFinished(30000));
    QCOMPARE(probe.exitCode(), 0);
    // The probe writes its standard output in text mode: CR LF.
    const QStringList lines = QString::fromUtf8(probe.readAllStandardOutput()).remove(u'\r').split(u'\n');
    QCOMPARE(lines.value(0), separator);
    QCOMPARE(lines.value(1), dateTime);
    QCOMPARE(lines.value(2), u'2' + separator + u"13");
}

QTEST_GUILESS_MAIN(TestSystemFormat)
#include "test_systemformat_windows.moc"
