// The system's formats as a new process of the program reads them (the system locale is read
// once per process): on Linux from LANG and LC_*, LC_NUMERIC for the decimal mark and LC_TIME
// for dates and times, LC_ALL over both.
#include <QProcess>
#include <QTest>

using namespace Qt::StringLiterals;

class TestSystemFormat : public QObject
{
    Q_OBJECT

private slots:
    void systemSettingsFollowEnvironment_data();
    void systemSettingsFollowEnvironment();
};

void TestSystemFormat::systemSettingsFollowEnvironment_data()
{
    QTest::addColumn<QStringList>("environment");
    QTest::addColumn<QString>("separator");
    QTest::addColumn<QString>("dateTime");

    QTest::newRow("LANG alone") << QStringList{u"LANG=ru_RU.UTF-8"_s} << u","_s
                                << u"07.12.2026 14:05:09"_s;
    QTest::newRow("LC_NUMERIC and LC_TIME over C")
        << QStringList{u"LANG=C.UTF-8"_s, u"LC_NUMERIC=ru_RU.UTF-8"_s, u"LC_TIME=ru_RU.UTF-8"_s} << u","_s
        << u"07.12.2026 14:05:09"_s;
    QTest::newRow("numbers and times apart")
        << QStringList{u"LANG=en_US.UTF-8"_s, u"LC_NUMERIC=ru_RU.UTF-8"_s, u"LC_TIME=de_DE.UTF-8"_s}
        << u","_s << u"07.12.26 14:05:09"_s;
    QTest::newRow("LC_NUMERIC over LANG")
        << QStringList{u"LANG=ru_RU.UTF-8"_s, u"LC_NUMERIC=en_US.UTF-8"_s} << u"."_s
        << u"07.12.2026 14:05:09"_s;
    QTest::newRow("LC_ALL over everything")
        << QStringList{u"LC_ALL=en_US.UTF-8"_s, u"LC_NUMERIC=ru_RU.UTF-8"_s, u"LC_TIME=ru_RU.UTF-8"_s}
        << u"."_s << u"12/7/26 2:05:09 PM"_s;
}

void TestSystemFormat::systemSettingsFollowEnvironment()
{
    QFETCH(QStringList, environment);
    QFETCH(QString, separator);
    QFETCH(QString, dateTime);

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"LANG", "LANGUAGE", "LC_ALL", "LC_NUMERIC", "LC_TIME"})
        env.remove(QString::fromLatin1(name));
    for (const QString &assignment : environment)
        env.insert(assignment.section(u'=', 0, 0), assignment.section(u'=', 1));

    QProcess probe;
    probe.setProcessEnvironment(env);
    probe.start(QStringLiteral(KAVR_FORMAT_PROBE), {});
    QVERIFY(probe.waitForFinished(30000));
    QCOMPARE(probe.exitCode(), 0);
    const QStringList lines = QString::fromUtf8(probe.readAllStandardOutput()).split(u'\n');
    QCOMPARE(lines.value(0), separator);
    QCOMPARE(lines.value(1), dateTime);
    QCOMPARE(lines.value(2), u'2' + separator + u"13");
}

QTEST_GUILESS_MAIN(TestSystemFormat)
#include "test_systemformat.moc"
