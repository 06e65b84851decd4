// The workbook as a spreadsheet program reads it. kavr-im-report writes the workbook of two
// protocols whose codes a spreadsheet would change if it were left to guess, 007 and 3-5 (one
// with a name that looks like a formula); LibreOffice Calc converts each sheet to CSV with its
// text cells quoted, so that text, numbers and dates can be told apart. Calc must have read
// the codes and the name as text exactly as written, N[+] and Tcp as numbers of the
// protocols' values, a set-up date it can read for sure as a date (an ambiguous one as the
// protocol's text), and the header rows of the CSVs.
//
// Needs soffice (Debian package libreoffice-calc-nogui): label tool; skipped without it.
#include "CalcConvert.h"
#include "ReportRun.h"
#include "parameters/Figures.h"
#include "report/table/PlacementTable.h"
#include "report/table/ProtocolTable.h"
#include "report/table/SummaryTable.h"
#include "support/ScriptedTest.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace kavr;
using namespace kavr::report;
using namespace kavr::test;
using namespace Qt::StringLiterals;

namespace {

// A cell as Calc wrote it to CSV: what it shows, and whether it held text (quoted).
struct Cell
{
    QString shown;
    bool text = false;
};
using Row = QList<Cell>;

// Calc's CSV: ',' between fields, text quoted with doubled quotes inside; no field here holds
// a line end.
QList<Row> ReadCalcCsv(const QString &path)
{
    QList<Row> rows;
    for (const QString &line : QString::fromUtf8(ReadAll(path)).split(u'\n', Qt::SkipEmptyParts)) {
        Row row{Cell{}};
        bool inQuotes = false;
        for (qsizetype i = 0; i < line.size(); ++i) {
            const QChar c = line.at(i);
            if (inQuotes && c == u'"' && i + 1 < line.size() && line.at(i + 1) == u'"') {
                row.last().shown += c;
                ++i;
            } else if (c == u'"') {
                inQuotes = !inQuotes;
                row.last().text = true;
            } else if (c == u',' && !inQuotes) {
                row << Cell{};
            } else if (c != u'\r') {
                row.last().shown += c;
            }
        }
        rows << row;
    }
    return rows;
}

QStringList Shown(const Row &row)
{
    QStringList shown;
    for (const Cell &cell : row)
        shown << cell.shown;
    return shown;
}

// The rows whose cell under title shows shown, by the titles of the header row.
QList<QHash<QString, Cell>> RowsWhere(const QList<Row> &sheet, const QString &title,
                                      const QString &shown)
{
    QList<QHash<QString, Cell>> rows;
    for (qsizetype r = 1; r < sheet.size(); ++r) {
        QHash<QString, Cell> row;
        for (qsizetype c = 0; c < sheet.at(r).size() && c < sheet.first().size(); ++c)
            row.insert(sheet.first().at(c).shown, sheet.at(r).at(c));
        if (row.value(title).shown == shown)
            rows << row;
    }
    return rows;
}

bool AllText(const Row &row)
{
    return std::all_of(row.begin(), row.end(), [](const Cell &cell) { return cell.text; });
}

ScriptedTest LeadingZeros()
{
    ScriptedTest t = CompleteTest(); // Russian settings: a date read for sure
    t.code = u"007"_s;
    t.name = u"=1+1"_s;
    return t;
}

ScriptedTest LikeADate()
{
    ScriptedTest t = TimeOutTest(); // American settings: 3/1/26 reads both ways
    t.code = u"3-5"_s;
    return t;
}

} // namespace

class TestWorkbook : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void calcReadsWhatWasWritten();

private:
    QTemporaryDir m_dir;
    QList<Row> m_subjects, m_placements, m_group;
};

void TestWorkbook::initTestCase()
{
    if (CalcProgram().isEmpty())
        QSKIP("soffice is missing: this test reads the workbook with LibreOffice Calc "
              "(apt-get install libreoffice-calc-nogui)");
    QVERIFY(m_dir.isValid());
    const QString result = m_dir.filePath(u"Result"_s);
    QVERIFY(QDir().mkpath(result));
    LeadingZeros().save(result);
    LikeADate().save(result);
    // The report's C library in Russian settings too (a decimal comma), as on a lab's Linux
    // desktop; compiled here, since a fresh machine may have no locale but C.UTF-8.
    const QString locales = m_dir.filePath(u"locales"_s);
    QVERIFY(QDir().mkpath(locales));
    QProcess::execute(u"localedef"_s, {u"-i"_s, u"ru_RU"_s, u"-f"_s, u"UTF-8"_s,
                                       locales + u"/ru_RU.UTF-8"_s});
    QVERIFY2(QFileInfo::exists(locales + u"/ru_RU.UTF-8/LC_NUMERIC"_s),
             "localedef made no ru_RU.UTF-8 (package locales)");
    qputenv("LOCPATH", QFile::encodeName(locales));
    const QString book = m_dir.filePath(u"book.xlsx"_s);
    const ReportRun run = RunReport(
        {result, u"-o"_s, m_dir.filePath(u"all.csv"_s), u"--xlsx"_s, book}, u"ru_RU.UTF-8"_s);
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));

    QString why;
    QVERIFY2(ConvertWithCalc(book, m_dir.filePath(u"calc"_s), &why), qPrintable(why));
    m_subjects = ReadCalcCsv(m_dir.filePath(u"calc/book-Испытуемые.csv"_s));
    m_placements = ReadCalcCsv(m_dir.filePath(u"calc/book-Размещения.csv"_s));
    m_group = ReadCalcCsv(m_dir.filePath(u"calc/book-Группа.csv"_s));
}

void TestWorkbook::calcReadsWhatWasWritten()
{
    // The header rows: the CSVs' titles, as text.
    QVERIFY(!m_subjects.isEmpty() && !m_placements.isEmpty() && !m_group.isEmpty());
    QCOMPARE(Shown(m_subjects.first()), TableTitles(ProtocolTableColumns(), true));
    QCOMPARE(Shown(m_placements.first()), TableTitles(PlacementTableColumns(), true));
    QCOMPARE(Shown(m_group.first()), TableTitles(SummaryTableColumns(), true));
    QVERIFY(AllText(m_subjects.first()) && AllText(m_placements.first())
            && AllText(m_group.first()));

    for (const ScriptedTest &test : {LeadingZeros(), LikeADate()}) {
        const ProtocolRecord e = test.expected();
        const QList<QHash<QString, Cell>> subject = RowsWhere(m_subjects, u"Код"_s, test.code);
        QCOMPARE(subject.size(), 1);
        const QHash<QString, Cell> &s = subject.first();
        for (const auto &[title, written] :
             {std::pair{u"Код"_s, e.code}, std::pair{u"Имя"_s, e.name},
              std::pair{u"Вариант"_s, e.variant}}) {
            QVERIFY2(s.value(title).text, qPrintable(title));
            QCOMPARE(s.value(title).shown, written);
        }
        QVERIFY(!s.value(u"N[+]"_s).text && !s.value(u"Tcp, сек"_s).text);
        QCOMPARE(s.value(u"N[+]"_s).shown, QString::number(e.score.correct));
        QCOMPARE(s.value(u"Tcp, сек"_s).shown.toDouble(), e.score.mean);

        const QList<QHash<QString, Cell>> placements = RowsWhere(m_placements, u"Код"_s, test.code);
        QCOMPARE(placements.size(), FigureCount);
        const QHash<QString, Cell> &first = placements.first();
        QVERIFY(first.value(u"Код"_s).text);
        QVERIFY(!first.value(u"Время"_s).text);
        QCOMPARE(first.value(u"Время"_s).shown.toDouble(), e.choices[1].Time);
        const QList<QHash<QString, Cell>> z = RowsWhere(m_group, u"Элемент"_s, test.code);
        QCOMPARE(z.size(), 2); // the z-scores, under the code as text
        QVERIFY(z.first().value(u"Элемент"_s).text);

        if (test.code == LeadingZeros().code) {
            // A date: shown in the workbook's format, never quoted.
            QVERIFY(!s.value(u"Дата ПФО"_s).text && !first.value(u"Дата"_s).text);
            QCOMPARE(s.value(u"Дата ПФО"_s).shown, test.setUp.toString(u"dd.MM.yyyy HH:mm:ss"_s));
            QCOMPARE(first.value(u"Дата"_s).shown, test.setUp.toString(u"dd.MM.yyyy"_s));
            QCOMPARE(first.value(u"Время суток"_s).shown, test.setUp.toString(u"HH:mm:ss"_s));
        } else {
            QVERIFY(s.value(u"Дата ПФО"_s).text); // not guessed
            QCOMPARE(s.value(u"Дата ПФО"_s).shown, e.dateTime);
        }
    }
}

QTEST_GUILESS_MAIN(TestWorkbook)
#include "test_workbook.moc"
