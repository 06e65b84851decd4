// kavr-im-report itself, run on folders of protocols saved by the program's own code: the CSV
// it writes read back against the protocols, the files it skips and why, its exit status, the
// locale's separators, the default folder beside the executable, and progress on stderr.
#include "CsvReader.h"
#include "ReportRun.h"
#include "parameters/Figures.h"
#include "report/command/ProgressLine.h"
#include "report/table/ProtocolTable.h"
#include "support/ScriptedTest.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

using namespace kavr;
using namespace kavr::report;
using namespace kavr::test;
using namespace Qt::StringLiterals;

namespace {

using Run = ReportRun;

QList<ScriptedTest> GoodTests()
{
    return {CompleteTest(),      TimeOutTest(),     TwiceSetUpTest(), SetUpAgainAfterStartTest(),
            NothingPlacedTest(), CyrillicCodeTest()};
}

double Number(QString text, const QString &decimalMark)
{
    text.replace(decimalMark, u"."_s);
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok ? value : qQNaN();
}

using Fields = QHash<QString, QString>; // a row's fields by their columns' titles

// Rows of the CSV by code, after checking the byte-order mark and the header; a row whose
// fields do not fill the header is left out.
QHash<QString, Fields> RowsByCode(const QByteArray &csv, QChar separator)
{
    QHash<QString, Fields> rows;
    if (!csv.startsWith("\xEF\xBB\xBF"))
        return rows;
    const std::optional<QList<QStringList>> table
        = ReadCsv(QString::fromUtf8(csv.sliced(3)), separator);
    if (!table || table->isEmpty() || table->first() != TableTitles(ProtocolTableColumns(), true))
        return rows;
    for (qsizetype r = 1; r < table->size(); ++r) {
        if (table->at(r).size() == table->first().size())
            rows.insert(table->at(r).at(0), ByTitle(table->first(), table->at(r)));
    }
    return rows;
}

// The row's figures against the protocol's.
void CompareRow(const Fields &f, const ScriptedTest &test, const QString &decimalMark)
{
    const ProtocolRecord e = test.expected();
    const auto number = [&](const QString &title) { return Number(f.value(title), decimalMark); };
    const auto integer = [&](const QString &title) { return f.value(title).toInt(); };
    QCOMPARE(f.value(u"Код"_s), e.code);
    QCOMPARE(f.value(u"Имя"_s), e.name);
    QCOMPARE(f.value(u"Дата ПФО"_s), e.dateTime);
    QCOMPARE(f.value(u"Вариант"_s), e.variant);
    QCOMPARE(number(u"Время изучения инструкции, сек"_s), e.instructionSeconds);
    QCOMPARE(number(u"T ответа, сек"_s), e.answerSeconds);
    QCOMPARE(integer(u"N[+]"_s), e.score.correct);
    QCOMPARE(integer(u"N[-]"_s), e.score.wrong);
    QCOMPARE(integer(u"N[0]"_s), e.score.missing);
    QCOMPARE(number(u"Tcp, сек"_s), e.score.mean);
    QCOMPARE(number(u"SD, сек"_s), e.score.sd);
    QCOMPARE(number(u"V, %"_s), e.score.cv);
    for (int i = 1; i <= FigureCount; ++i) {
        const QString row = u"%1: "_s.arg(i);
        QCOMPARE(number(row + u"Время"_s), e.choices[i].Time);
        QCOMPARE(integer(row + u"N панели"_s), e.choices[i].PanelNo);
        QCOMPARE(integer(row + u"Ключ"_s), e.choices[i].Key);
        QCOMPARE(integer(row + u"N рисунка"_s), e.choices[i].PictureNo);
        QCOMPARE(integer(row + u"Ответ"_s), e.choices[i].Answer);
    }
}

// Whether the report, run under locale, speaks its language: Windows takes the language from
// the user's display language, which no regional settings of a child change.
bool SpeaksLocaleLanguage(const QString &locale)
{
#ifdef Q_OS_UNIX
    Q_UNUSED(locale)
    return true;
#else
    return !locale.startsWith(u"ru");
#endif
}

} // namespace

class TestReportCommand : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void everyProtocolRead();
    void damagedFilesSkipped_data();
    void damagedFilesSkipped();
    void separatorsFollowLocale_data();
    void separatorsFollowLocale();
    void standardOutputByDefault();
    void htmlSummary();
    void defaultFolderBesideExecutable();
    void emptyFolder();
    void usageErrors_data();
    void usageErrors();
    void helpAndVersion_data();
    void helpAndVersion();
    void reportNotWritten();
    void progressForLargeFolders();

private:
    QString resultDir() const { return m_dir->filePath(u"Result"_s); }
    QString path(const QString &name) const { return m_dir->filePath(name); }
    void saveGood();

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestReportCommand::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(QDir().mkpath(resultDir()));
}

void TestReportCommand::saveGood()
{
    for (const ScriptedTest &test : GoodTests())
        test.save(resultDir());
}

void TestReportCommand::everyProtocolRead()
{
    saveGood();
    QVERIFY(WriteAll(path(u"Result/notes.txt"_s), "not a protocol, not read"));
    const Run run = RunReport({resultDir(), u"-o"_s, path(u"all.csv"_s)});
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.err.contains(u"6 of 6 protocol files read"_s), qPrintable(run.err));
    QVERIFY(run.out.isEmpty());

    const QHash<QString, Fields> rows = RowsByCode(ReadAll(path(u"all.csv"_s)), u',');
    QCOMPARE(rows.size(), 6);
    for (const ScriptedTest &test : GoodTests()) {
        QVERIFY2(rows.contains(test.code), qPrintable(test.code));
        CompareRow(rows.value(test.code), test, u"."_s);
    }
}

void TestReportCommand::damagedFilesSkipped_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("wrongMark");
    QTest::addColumn<QString>("cutShort");
    QTest::addColumn<QString>("unreadable");
    QTest::addColumn<QString>("read"); // %1: the files
    QTest::addColumn<QString>("skipped"); // %1: the files skipped
    QTest::addColumn<QChar>("separator");
    QTest::newRow("English") << u"C"_s << u"the mark \"+\" does not agree"_s << u"cut short"_s
                             << u"cannot be read"_s << u"6 of %1 protocol files read"_s
                             << u"%1 skipped"_s << QChar(u',');
    // Why each file was skipped, in the user's language as the rest of the line.
    QTest::newRow("Russian") << u"ru_RU.UTF-8"_s << u"отметка \"+\" не согласуется"_s
                             << u"файл обрывается"_s << u"нельзя прочитать"_s
                             << u"прочитано 6 из %1 файлов протоколов"_s << u", %1 пропущено"_s
                             << QChar(u';');
}

void TestReportCommand::damagedFilesSkipped()
{
    QFETCH(QString, locale);
    QFETCH(QString, wrongMark);
    QFETCH(QString, cutShort);
    QFETCH(QString, unreadable);
    QFETCH(QString, read);
    QFETCH(QString, skipped);
    QFETCH(QChar, separator);
    if (!SpeaksLocaleLanguage(locale))
        QSKIP("Windows speaks the user's display language");
    saveGood();
    QByteArray damaged = CompleteTest().bytes();
    damaged.replace("     8    -\r\n", "     8    +\r\n"); // row 3: a wrong placement marked right
    QVERIFY(WriteAll(path(u"Result/Повреждён.IM.txt"_s), damaged));
    QVERIFY(WriteAll(path(u"Result/Обрезан.IM.txt"_s), TimeOutTest().bytes().first(700)));
    int planted = 0;
#ifdef Q_OS_UNIX
    // What anyone may plant in a shared folder: never opened nor followed, named and skipped.
    QCOMPARE(::mkfifo(QFile::encodeName(path(u"Result/Канал.IM.txt"_s)).constData(), 0666), 0);
    QVERIFY(QFile::link(u"/dev/zero"_s, path(u"Result/Ноль.IM.txt"_s)));
    planted = 2;
#endif

    const Run run = RunReport({resultDir(), u"-o"_s, path(u"all.csv"_s)}, locale);
    QCOMPARE(run.exitCode, 1);
    const QString damagedAt = QDir::toNativeSeparators(path(u"Result/Повреждён.IM.txt:14: "_s));
    QVERIFY2(run.err.contains(damagedAt + wrongMark), qPrintable(run.err));
    const QString cutAt = QDir::toNativeSeparators(path(u"Result/Обрезан.IM.txt:"_s));
    QVERIFY2(run.err.contains(cutAt), qPrintable(run.err));
    QVERIFY2(run.err.contains(cutShort), qPrintable(run.err));
    if (planted > 0) {
        QVERIFY2(run.err.contains(u"Канал.IM.txt: "_s + unreadable), qPrintable(run.err));
        QVERIFY2(
            run.err.contains(u"Ноль.IM.txt: "_s + unreadable + u": это символическая ссылка"_s),
            qPrintable(run.err));
    }
    QVERIFY2(run.err.contains(read.arg(8 + planted)), qPrintable(run.err));
    QVERIFY(run.err.contains(skipped.arg(2 + planted)));
    // The others are in the table all the same.
    QCOMPARE(RowsByCode(ReadAll(path(u"all.csv"_s)), separator).size(), 6);
}

void TestReportCommand::separatorsFollowLocale_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QChar>("separator");
    QTest::addColumn<QString>("decimalMark");
    QTest::newRow("Russian") << u"ru_RU.UTF-8"_s << QStringList{} << QChar(u';') << u","_s;
    QTest::newRow("C") << u"C"_s << QStringList{} << QChar(u',') << u"."_s;
    QTest::newRow("American") << u"en_US.UTF-8"_s << QStringList{} << QChar(u',') << u"."_s;
    QTest::newRow("Russian, overridden")
        << u"ru_RU.UTF-8"_s << QStringList{u"--separator"_s, u"tab"_s, u"--decimal"_s, u"."_s}
        << QChar(u'\t') << u"."_s;
}

void TestReportCommand::separatorsFollowLocale()
{
    QFETCH(QString, locale);
    QFETCH(QStringList, options);
    QFETCH(QChar, separator);
    QFETCH(QString, decimalMark);
    saveGood();
    const Run run
        = RunReport(QStringList{resultDir(), u"-o"_s, path(u"all.csv"_s)} + options, locale);
    QCOMPARE(run.exitCode, 0);
    const QHash<QString, Fields> rows = RowsByCode(ReadAll(path(u"all.csv"_s)), separator);
    QCOMPARE(rows.size(), 6);
    for (const ScriptedTest &test : GoodTests())
        CompareRow(rows.value(test.code), test, decimalMark);
    QVERIFY(rows.value(CompleteTest().code).value(u"Tcp, сек"_s).contains(decimalMark));
}

void TestReportCommand::standardOutputByDefault()
{
    saveGood();
    const Run toFile = RunReport({resultDir(), u"-o"_s, path(u"all.csv"_s)});
    const Run toStdout = RunReport({resultDir()});
    QCOMPARE(toStdout.exitCode, 0);
    QVERIFY(toStdout.out.startsWith("\xEF\xBB\xBF"));
    QCOMPARE(toStdout.out, ReadAll(path(u"all.csv"_s)));
}

void TestReportCommand::htmlSummary()
{
    saveGood();
    const Run run
        = RunReport({resultDir(), u"-o"_s, path(u"all.csv"_s), u"--html"_s, path(u"all.html"_s)});
    QCOMPARE(run.exitCode, 0);
    const QString html = QString::fromUtf8(ReadAll(path(u"all.html"_s)));
    QCOMPARE(html.count(u"<svg class=\"chart\""_s), 6);
    for (const ScriptedTest &test : GoodTests())
        QVERIFY2(html.contains(test.code.toHtmlEscaped()), qPrintable(test.code));
}

void TestReportCommand::defaultFolderBesideExecutable()
{
    const QString program = path(u"kavr-im-report"_s);
    QVERIFY(QFile::copy(ReportProgram(), program));
    CyrillicCodeTest().save(resultDir());
    const Run run = RunReport({u"-o"_s, path(u"all.csv"_s)}, u"C"_s, program);
    QCOMPARE(run.exitCode, 0);
    const QHash<QString, Fields> rows = RowsByCode(ReadAll(path(u"all.csv"_s)), u',');
    QCOMPARE(rows.keys(), QStringList{CyrillicCodeTest().code});
}

void TestReportCommand::emptyFolder()
{
    const Run run = RunReport({resultDir()});
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.out.startsWith("\xEF\xBB\xBF"));
    QCOMPARE(ReadCsv(QString::fromUtf8(run.out.sliced(3)), u','),
             QList<QStringList>{TableTitles(ProtocolTableColumns(), true)});
    QVERIFY(run.err.contains(u"0 of 0 protocol files read"_s));
}

void TestReportCommand::usageErrors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    const QString folder = QDir::toNativeSeparators(u"/nonexistent/Result"_s);
    QTest::newRow("unknown option") << QStringList{u"--cvs"_s} << u"C"_s << 2 << u"cvs"_s;
    QTest::newRow("no such folder")
        << QStringList{u"/nonexistent/Result"_s} << u"C"_s << 2 << u"no folder "_s + folder;
    // Qt's words and the report's own, in the user's language.
    QTest::newRow("unknown option, Russian")
        << QStringList{u"--cvs"_s} << u"ru_RU.UTF-8"_s << 2 << u"Неизвестный параметр «cvs»"_s;
    QTest::newRow("no such folder, Russian")
        << QStringList{u"/nonexistent/Result"_s} << u"ru_RU.UTF-8"_s << 2
        << u"нет папки "_s + folder + u"\nСправка: "_s;
}

void TestReportCommand::usageErrors()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, locale);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    if (!SpeaksLocaleLanguage(locale))
        QSKIP("Windows speaks the user's display language");
    const Run run = RunReport(arguments, locale);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    QVERIFY(run.err.contains(u"--help"_s));
    QVERIFY(run.out.isEmpty());
}

void TestReportCommand::helpAndVersion_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QStringList>("shown"); // each in the text on standard output
    const QStringList help{u"Usage: "_s, u"-o, --output <file>"_s, u"--html <file>"_s,
                           u"--separator <c>"_s, u"--decimal <c>"_s, u"-h, --help"_s,
                           u"--version"_s, u"[RESULT_FOLDER]"_s, u"Exit status"_s};
    QTest::newRow("--help") << QStringList{u"--help"_s} << u"C"_s << help;
    QTest::newRow("-h, among other arguments")
        << QStringList{u"/nonexistent/Result"_s, u"-h"_s} << u"C"_s << help;
    QTest::newRow("--help, Russian")
        << QStringList{u"--help"_s} << u"ru_RU.UTF-8"_s
        << QStringList{u"Использование: "_s, u"-o, --output <файл>"_s, u"[ПАПКА]"_s,
                       u"Код завершения"_s, u"Параметры:"_s};
    QTest::newRow("--version") << QStringList{u"--version"_s} << u"C"_s
                               << QStringList{u"kavr-im-report "_s};
}

void TestReportCommand::helpAndVersion()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, locale);
    QFETCH(QStringList, shown);
    if (!SpeaksLocaleLanguage(locale))
        QSKIP("Windows speaks the user's display language");
    const Run run = RunReport(arguments, locale);
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.err.isEmpty(), qPrintable(run.err));
    const QString out = QString::fromUtf8(run.out).replace(u"\r\n"_s, u"\n"_s); // text, as stderr
    for (const QString &text : shown)
        QVERIFY2(out.contains(text), qPrintable(text + u" not in:\n"_s + out));
    if (arguments.contains(u"--version"_s)) // the project's version, as 2.01
        QVERIFY2(QRegularExpression(u"^kavr-im-report \\d+\\.\\d+\n$"_s).match(out).hasMatch(),
                 qPrintable(out));
}

void TestReportCommand::reportNotWritten()
{
    saveGood();
    // A folder where the file should be: it cannot be replaced.
    QVERIFY(QDir().mkpath(path(u"busy.csv"_s)));
    const Run run = RunReport({resultDir(), u"-o"_s, path(u"busy.csv"_s)});
    QCOMPARE(run.exitCode, 3);
    QVERIFY2(run.err.contains(u"cannot write"_s), qPrintable(run.err));

    const Run noFolder = RunReport({resultDir(), u"-o"_s, path(u"none/all.csv"_s)});
    QCOMPARE(noFolder.exitCode, 3);
}

void TestReportCommand::progressForLargeFolders()
{
    saveGood();
    const Run small = RunReport({resultDir(), u"-o"_s, path(u"all.csv"_s)});
    QVERIFY(!small.err.contains(u"reading protocols"_s));

    ScriptedTest test = CompleteTest();
    const int total = ProgressLine::Threshold + 10;
    for (int n = int(GoodTests().size()); n < total; ++n) {
        test.code = u"Испытуемый-%1"_s.arg(n);
        test.save(resultDir());
    }
    const Run large = RunReport({resultDir(), u"-o"_s, path(u"all.csv"_s)});
    QCOMPARE(large.exitCode, 0);
    const QStringList progress = large.err.split(u'\n').filter(u"reading protocols: "_s);
    QVERIFY2(progress.size() >= 2 && progress.size() <= 11, qPrintable(large.err));
    QCOMPARE(progress.last(), u"reading protocols: %1 of %1"_s.arg(total));
    QVERIFY(!large.err.contains(u'\r')); // not a terminal: whole lines
    QCOMPARE(RowsByCode(ReadAll(path(u"all.csv"_s)), u',').size(), total);
}

QTEST_GUILESS_MAIN(TestReportCommand)
#include "test_reportcommand.moc"
