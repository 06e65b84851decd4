// The CSV table: its columns, the locale's separators, and texts that need quotes or a guard
// against being taken for formulas; recovered protocols in the folder, marked in the CSV and
// the HTML. (Its figures, read back against the protocols, are checked through the command
// itself.)
#include "CsvReader.h"
#include "parameters/Figures.h"
#include "report/csv/CsvFormat.h"
#include "report/csv/ProtocolCsv.h"
#include "report/html/GroupPage.h"
#include "report/read/ProtocolReader.h"
#include "report/read/ResultFolder.h"
#include "report/table/ProtocolTable.h"
#include "support/ScriptedTest.h"
#include "testing/core/ProtocolFile.h"

#include <QTemporaryDir>
#include <QTest>

using namespace kavr;
using namespace kavr::report;
using namespace kavr::test;
using namespace Qt::StringLiterals;

namespace {

// The table as text, after checking and dropping the byte-order mark.
QString Text(const QByteArray &csv)
{
    if (!csv.startsWith("\xEF\xBB\xBF"))
        return {};
    return QString::fromUtf8(csv.sliced(3));
}

} // namespace

class TestCsvReport : public QObject
{
    Q_OBJECT

private slots:
    void columns();
    void localeDefaults_data();
    void localeDefaults();
    void awkwardTexts_data();
    void awkwardTexts();
    void recoveredProtocolsAreMarked();
};

void TestCsvReport::columns()
{
    QStringList titles = TableTitles(ProtocolTableColumns(), true);
    QCOMPARE(titles.first(), u"Код"_s);
    QCOMPARE(titles.last(), u"Восстановлен"_s);
    // Each placement's row, in the protocol's order, under the placement's number.
    for (int i = 1; i <= FigureCount; ++i) {
        QStringList row;
        for (const QString &title : {u"Время"_s, u"N панели"_s, u"Ключ"_s, u"N рисунка"_s,
                                     u"Ответ"_s, u"Отметка"_s})
            row << u"%1: %2"_s.arg(i).arg(title);
        const qsizetype at = titles.indexOf(row.first());
        QVERIFY(at > 0);
        QCOMPARE(titles.mid(at, row.size()), row);
    }
    QCOMPARE(titles.removeDuplicates(), 0);
    // Without names the name, and nothing else, is left out.
    QVERIFY(titles.removeOne(u"Имя"_s));
    QCOMPARE(TableTitles(ProtocolTableColumns(), false), titles);

    const QByteArray csv = ProtocolCsv({}, CsvFormat{});
    QVERIFY(csv.startsWith("\xEF\xBB\xBF"));
    QVERIFY(csv.endsWith("12: Отметка,Восстановлен\r\n"));
    QCOMPARE(csv.count('\n'), 1);
}

void TestCsvReport::localeDefaults_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QChar>("separator");
    QTest::addColumn<QString>("decimalMark");
    QTest::newRow("Russian") << QLocale(QLocale::Russian, QLocale::Russia) << QChar(u';') << u","_s;
    QTest::newRow("German") << QLocale(QLocale::German, QLocale::Germany) << QChar(u';') << u","_s;
    QTest::newRow("American") << QLocale(QLocale::English, QLocale::UnitedStates) << QChar(u',')
                              << u"."_s;
    QTest::newRow("C") << QLocale::c() << QChar(u',') << u"."_s;
}

void TestCsvReport::localeDefaults()
{
    QFETCH(QLocale, locale);
    QFETCH(QChar, separator);
    QFETCH(QString, decimalMark);
    const CsvFormat format = CsvFormat::fromLocale(locale);
    QCOMPARE(format.separator, separator);
    QCOMPARE(format.decimalMark, decimalMark);
}

void TestCsvReport::awkwardTexts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("shown"); // what the spreadsheet gets
    QTest::newRow("separator") << u"Иванов; И.И."_s << u"Иванов; И.И."_s;
    QTest::newRow("quotes") << u"\"Ива\"нов"_s << u"\"Ива\"нов"_s;
    QTest::newRow("line end") << u"Иванов\r\nИ.И."_s << u"Иванов\r\nИ.И."_s;
    QTest::newRow("formula") << u"=HYPERLINK(\"x\")"_s << u"'=HYPERLINK(\"x\")"_s;
    QTest::newRow("plus") << u"+7 900"_s << u"'+7 900"_s;
    QTest::newRow("minus") << u"-1+2"_s << u"'-1+2"_s;
    QTest::newRow("at") << u"@SUM(A1)"_s << u"'@SUM(A1)"_s;
    QTest::newRow("tab") << u"\tИванов"_s << u"'\tИванов"_s;
    QTest::newRow("plain") << u"Ёлкина Щ.Ъ."_s << u"Ёлкина Щ.Ъ."_s;
}

void TestCsvReport::awkwardTexts()
{
    QFETCH(QString, name);
    QFETCH(QString, shown);
    ProtocolRecord record = CompleteTest().read();
    record.name = name;
    record.code = name;
    const CsvFormat format{u';', u","_s};
    const std::optional<QList<QStringList>> rows
        = ReadCsv(Text(ProtocolCsv({record}, format)), format.separator);
    QVERIFY(rows);
    QCOMPARE(rows->size(), 2);
    QCOMPARE(rows->at(1).size(), rows->at(0).size());
    const QHash<QString, QString> fields = ByTitle(rows->at(0), rows->at(1));
    QCOMPARE(fields.value(u"Код"_s), shown);
    QCOMPARE(fields.value(u"Имя"_s), shown);
    QCOMPARE(fields.value(u"N[+]"_s), u"9"_s); // the fields after still in their columns
}

void TestCsvReport::recoveredProtocolsAreMarked()
{
    // A completed test and two interrupted ones, the second of the same code as the first.
    QTemporaryDir dir;
    const ScriptedTest complete = CompleteTest();
    const ScriptedTest interrupted = TimeOutTest();
    complete.save(dir.path());
    const SaveTarget target{dir.path(), {}};
    SaveRecoveredProtocol(target, complete.code, complete.lines());
    SaveRecoveredProtocol(target, interrupted.code, interrupted.lines());
    QList<ProtocolRecord> records;
    for (const QString &path : ListProtocolFiles(dir.path())) {
        const ReadOutcome read = ReadProtocolFile(path);
        QVERIFY2(read.record, qPrintable(path + u": "_s + read.error.message));
        records << *read.record;
    }
    QCOMPARE(records.size(), 3);
    int marked = 0;
    for (const ProtocolRecord &record : records) {
        QCOMPARE(record.recovered, record.path.endsWith(u".IM.recovered.txt"_s));
        const QStringList fields = CsvFields(ProtocolTableColumns(), record, CsvFormat{}, true);
        QCOMPARE(
            ByTitle(TableTitles(ProtocolTableColumns(), true), fields).value(u"Восстановлен"_s),
            record.recovered ? u"да"_s : QString());
        marked += record.recovered;
    }
    QCOMPARE(marked, 2);
    QCOMPARE(QString::fromUtf8(GroupPage(records, u","_s, dir.path())).count(u"протокол восстановлен"_s), 2);
}

QTEST_GUILESS_MAIN(TestCsvReport)
#include "test_csvreport.moc"
