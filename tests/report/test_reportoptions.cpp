// The report's command line: defaults from the locale, overrides, and the usage errors.
#include "report/command/ReportOptions.h"

#include <QTest>

using namespace kavr::report;
using namespace Qt::StringLiterals;

class TestReportOptions : public QObject
{
    Q_OBJECT

private slots:
    void accepted_data();
    void accepted();
    void usageErrors_data();
    void usageErrors();
};

void TestReportOptions::accepted_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("csv");
    QTest::addColumn<QString>("html");
    QTest::addColumn<QChar>("separator");
    QTest::addColumn<QString>("decimalMark");

    const QLocale ru(QLocale::Russian, QLocale::Russia);
    const QLocale c = QLocale::c();
    QTest::newRow("nothing: Result beside, Russian locale")
        << QStringList{} << ru << u"/opt/kavr-im/Result"_s << QString() << QString() << QChar(u';')
        << u","_s;
    QTest::newRow("nothing, C locale") << QStringList{} << c << u"/opt/kavr-im/Result"_s
                                       << QString() << QString() << QChar(u',') << u"."_s;
    QTest::newRow("folder and both outputs")
        << QStringList{u"R"_s, u"-o"_s, u"a.csv"_s, u"--html"_s, u"a.html"_s} << ru << u"R"_s
        << u"a.csv"_s << u"a.html"_s << QChar(u';') << u","_s;
    QTest::newRow("joined values")
        << QStringList{u"--output=a.csv"_s, u"--html=a.html"_s, u"R"_s} << ru << u"R"_s
        << u"a.csv"_s << u"a.html"_s << QChar(u';') << u","_s;
    QTest::newRow("compact short option")
        << QStringList{u"-oa.csv"_s} << c << u"/opt/kavr-im/Result"_s << u"a.csv"_s << QString()
        << QChar(u',') << u"."_s;
    QTest::newRow("tab and comma")
        << QStringList{u"--separator"_s, u"tab"_s, u"--decimal"_s, u","_s} << c
        << u"/opt/kavr-im/Result"_s << QString() << QString() << QChar(u'\t') << u","_s;
    QTest::newRow("decimal comma moves the comma separator away")
        << QStringList{u"--decimal"_s, u","_s} << c << u"/opt/kavr-im/Result"_s << QString()
        << QString() << QChar(u';') << u","_s;
    QTest::newRow("point under a Russian locale")
        << QStringList{u"--decimal"_s, u"."_s} << ru << u"/opt/kavr-im/Result"_s << QString()
        << QString() << QChar(u',') << u"."_s;
    QTest::newRow("separator alone")
        << QStringList{u"--separator"_s, u"|"_s} << ru << u"/opt/kavr-im/Result"_s << QString()
        << QString() << QChar(u'|') << u","_s;
    QTest::newRow("folder named like an option") << QStringList{u"--"_s, u"-R"_s} << c << u"-R"_s
                                                 << QString() << QString() << QChar(u',') << u"."_s;
}

void TestReportOptions::accepted()
{
    QFETCH(QStringList, arguments);
    QFETCH(QLocale, locale);
    const OptionsOutcome outcome = ParseReportOptions(arguments, locale, u"/opt/kavr-im/Result"_s);
    QVERIFY2(outcome.options, qPrintable(outcome.error));
    QTEST(outcome.options->folder, "folder");
    QTEST(outcome.options->csvPath, "csv");
    QTEST(outcome.options->htmlPath, "html");
    QTEST(outcome.options->format.separator, "separator");
    QTEST(outcome.options->format.decimalMark, "decimalMark");
    QVERIFY(!outcome.options->help);
}

void TestReportOptions::usageErrors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message"); // a part of it
    QTest::newRow("unknown option") << QStringList{u"--csv"_s} << u"csv"_s;
    QTest::newRow("two folders") << QStringList{u"A"_s, u"B"_s} << u"one folder"_s;
    QTest::newRow("output without value") << QStringList{u"-o"_s} << u"-o"_s;
    QTest::newRow("output twice") << QStringList{u"-o"_s, u"a"_s, u"--output"_s, u"b"_s}
                                  << u"twice"_s;
    QTest::newRow("empty html name") << QStringList{u"--html="_s} << u"needs a value"_s;
    QTest::newRow("long separator") << QStringList{u"--separator"_s, u";;"_s} << u"one character"_s;
    QTest::newRow("quote as separator")
        << QStringList{u"--separator"_s, u"\""_s} << u"one character"_s;
    QTest::newRow("digit as decimal mark")
        << QStringList{u"--decimal"_s, u"0"_s} << u"other than a digit"_s;
    QTest::newRow("same separator and mark")
        << QStringList{u"--separator"_s, u","_s, u"--decimal"_s, u","_s} << u"must differ"_s;
    QTest::newRow("one file for both")
        << QStringList{u"-o"_s, u"r"_s, u"--html"_s, u"./r"_s} << u"must differ"_s;
    QTest::newRow("the long CSV over the pages folder")
        << QStringList{u"--long"_s, u"p"_s, u"--pages"_s, u"p/"_s} << u"must differ"_s;
    QTest::newRow("the workbook over the summary")
        << QStringList{u"--summary"_s, u"g"_s, u"--xlsx"_s, u"./g"_s} << u"must differ"_s;
    QTest::newRow("a date that is no date")
        << QStringList{u"--since"_s, u"2026-02-30"_s} << u"--since takes a date"_s;
    QTest::newRow("since after until")
        << QStringList{u"--since"_s, u"02.03.2026"_s, u"--until"_s, u"2026-03-01"_s}
        << u"after --until"_s;
    QTest::newRow("a variant no row has")
        << QStringList{u"--variant"_s, u"Z"_s} << u"--variant takes"_s;
    QTest::newRow("empty code pattern") << QStringList{u"--code="_s} << u"--code needs a value"_s;
}

void TestReportOptions::usageErrors()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    const OptionsOutcome outcome
        = ParseReportOptions(arguments, QLocale::c(), u"/opt/kavr-im/Result"_s);
    QVERIFY(!outcome.options);
    QVERIFY2(outcome.error.contains(message), qPrintable(outcome.error));
}

QTEST_GUILESS_MAIN(TestReportOptions)
#include "test_reportoptions.moc"
