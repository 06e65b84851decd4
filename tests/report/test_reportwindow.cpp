// The report's window offscreen over a folder the program's own code wrote: what the table
// shows of each protocol, the file it could not read, the choices made in the window against
// the command line's same choices, and the page of a sorted row handed to the browser.
#include "ReportRun.h"
#include "report/command/ReportOptions.h"
#include "report/html/SubjectPage.h"
#include "report/window/ReportWindow.h"
#include "report/window/SubjectTableModel.h"
#include "support/ScriptedTest.h"
#include "support/TestFiles.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <algorithm>
#include <functional>
#include <memory>

using namespace kavr;
using namespace kavr::report;
using namespace kavr::test;
using namespace Qt::StringLiterals;

namespace {

QList<ScriptedTest> Tests()
{
    return {CompleteTest(), TimeOutTest(), TwiceSetUpTest(), NothingPlacedTest(),
            CyrillicCodeTest()};
}

// A set-up date that some of the tests are before and some on or after.
QDate MiddleDate()
{
    QList<QDate> dates;
    for (const ScriptedTest &test : Tests())
        dates << test.setUp.date();
    std::sort(dates.begin(), dates.end());
    return dates.at(dates.size() / 2);
}

} // namespace

class ReportWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void tableShowsEveryProtocol();
    void choicesAsTheCommandLine_data();
    void choicesAsTheCommandLine();
    void pageOfASortedRow();

private:
    // A window over the folder, its protocols read; the command line's regional settings ("C").
    std::unique_ptr<ReportWindow> openWindow();
    template <typename T> static T *child(ReportWindow &window, const char *name)
    {
        return window.findChild<T *>(QLatin1String(name));
    }

    QTemporaryDir m_root;
    QString m_folder;
    QString m_cutShort; // a protocol cut off inside its rows
};

void ReportWindowTest::initTestCase()
{
    QVERIFY(m_root.isValid());
    m_folder = m_root.filePath(u"Result"_s);
    QVERIFY(QDir().mkpath(m_folder));
    for (const ScriptedTest &test : Tests())
        test.save(m_folder);
    QByteArray bytes = CompleteTest().bytes();
    bytes.truncate(bytes.size() * 3 / 4);
    m_cutShort = m_folder + u"/Обрыв.IM.txt"_s;
    QFile file(m_cutShort);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}

std::unique_ptr<ReportWindow> ReportWindowTest::openWindow()
{
    const OptionsOutcome parsed = ParseReportOptions({m_folder}, QLocale::c(), {});
    if (!parsed.options)
        return nullptr;
    auto window = std::make_unique<ReportWindow>(*parsed.options, u"kavr-im-report test"_s);
    QSignalSpy read(window.get(), &ReportWindow::folderRead);
    if (!read.wait(20000))
        return nullptr;
    return window;
}

void ReportWindowTest::tableShowsEveryProtocol()
{
    const std::unique_ptr<ReportWindow> window = openWindow();
    QVERIFY(window);
    const QAbstractItemModel *table = child<QTableView>(*window, "subjects")->model();
    const QList<ScriptedTest> tests = Tests();
    QCOMPARE(table->rowCount(), tests.size());
    for (const ScriptedTest &test : tests) {
        const ProtocolRecord expected = test.expected();
        const QModelIndexList found = table->match(table->index(0, SubjectTableModel::Code),
                                                   Qt::DisplayRole, expected.code, 1,
                                                   Qt::MatchExactly);
        QVERIFY2(found.size() == 1, qPrintable(expected.code));
        const auto cell = [&](int column, int role = Qt::DisplayRole) {
            return table->index(found.front().row(), column).data(role);
        };
        QCOMPARE(cell(SubjectTableModel::Name).toString(), expected.name);
        QCOMPARE(cell(SubjectTableModel::Variant).toString(), expected.variant);
        QCOMPARE(cell(SubjectTableModel::Correct).toInt(), expected.score.correct);
        QCOMPARE(cell(SubjectTableModel::Wrong).toInt(), expected.score.wrong);
        QCOMPARE(cell(SubjectTableModel::Missing).toInt(), expected.score.missing);
        QCOMPARE(cell(SubjectTableModel::MeanTime, SubjectTableModel::SortRole).toDouble(),
                 expected.score.mean);
        QCOMPARE(cell(SubjectTableModel::AnswerTime, SubjectTableModel::SortRole).toDouble(),
                 expected.answerSeconds);
    }
    // The cut file named with the line at fault, as the command line names it.
    const QTreeWidget *skipped = child<QTreeWidget>(*window, "skipped");
    QCOMPARE(skipped->topLevelItemCount(), 1);
    QCOMPARE(skipped->topLevelItem(0)->text(0), QDir::toNativeSeparators(m_cutShort));
    const ReportRun console = RunReport({m_folder, u"-o"_s, m_root.filePath(u"all.csv"_s)});
    QVERIFY2(console.err.contains(u"%1:%2: "_s.arg(QDir::toNativeSeparators(m_cutShort),
                                                   skipped->topLevelItem(0)->text(1))),
             qPrintable(console.err));

    // Another folder, which is missing: nothing of this one stays, whatever is chosen then.
    window->openFolder(m_root.filePath(u"Нет такой папки"_s));
    child<QComboBox>(*window, "variant")->setCurrentIndex(1);
    QCOMPARE(table->rowCount(), 0);
    QCOMPARE(child<QTreeWidget>(*window, "skipped")->topLevelItemCount(), 0);
}

void ReportWindowTest::choicesAsTheCommandLine_data()
{
    QTest::addColumn<std::function<void(ReportWindow &)>>("choose");
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("variant B") << std::function([](ReportWindow &w) {
        QComboBox *variant = child<QComboBox>(w, "variant");
        variant->setCurrentIndex(variant->findText(u"Вариант B"_s));
    }) << QStringList{u"--variant"_s, u"B"_s};
    QTest::newRow("codes") << std::function([](ReportWindow &w) {
        child<QLineEdit>(w, "codes")->setText(u"и* p-?042"_s);
    }) << QStringList{u"--code"_s, u"и*"_s, u"--code"_s, u"p-?042"_s};
    QTest::newRow("since, without names") << std::function([](ReportWindow &w) {
        child<QDateEdit>(w, "since")->setDate(MiddleDate());
        child<QCheckBox>(w, "sinceOn")->setChecked(true);
        child<QCheckBox>(w, "withoutNames")->setChecked(true);
    }) << QStringList{u"--since"_s, MiddleDate().toString(Qt::ISODate), u"--no-names"_s};
}

void ReportWindowTest::choicesAsTheCommandLine()
{
    QFETCH(std::function<void(ReportWindow &)>, choose);
    QFETCH(QStringList, arguments);
    const std::unique_ptr<ReportWindow> window = openWindow();
    QVERIFY(window);
    choose(*window);
    // Every output of the window against the command line's with the same choice.
    const std::pair<ReportWindow::Output, QString> outputs[] = {
        {ReportWindow::Output::Table, u"-o"_s},
        {ReportWindow::Output::Placements, u"--long"_s},
        {ReportWindow::Output::Summary, u"--summary"_s},
    };
    QStringList command = arguments << m_folder;
    for (const auto &[output, option] : outputs) {
        const QString path = m_root.filePath(u"window%1.csv"_s.arg(option));
        QCOMPARE(window->save(output, path), QString());
        command << option << m_root.filePath(u"console%1.csv"_s.arg(option));
    }
    const ReportRun console = RunReport(command);
    QCOMPARE(console.exitCode, 1); // the cut file
    const int rows = child<QTableView>(*window, "subjects")->model()->rowCount();
    QVERIFY(rows > 0 && rows < Tests().size());
    for (const auto &[output, option] : outputs)
        QCOMPARE(ReadAll(m_root.filePath(u"window%1.csv"_s.arg(option))),
                 ReadAll(m_root.filePath(u"console%1.csv"_s.arg(option))));
    // The workbook's cells are the same tables' (read back by Calc in test_report_workbook).
    const QString book = m_root.filePath(u"window.xlsx"_s);
    QCOMPARE(window->save(ReportWindow::Output::Workbook, book), QString());
    QVERIFY(ReadAll(book).startsWith("PK\x03\x04"));
}

void ReportWindowTest::pageOfASortedRow()
{
    const std::unique_ptr<ReportWindow> window = openWindow();
    QVERIFY(window);
    QList<QUrl> opened;
    window->setUrlOpener([&](const QUrl &url) {
        opened << url;
        return true;
    });
    // Sorted by the mean time, longest first: the first row is the slowest subject's.
    child<QTableView>(*window, "subjects")
        ->sortByColumn(SubjectTableModel::MeanTime, Qt::DescendingOrder);
    ProtocolRecord slowest = CompleteTest().expected();
    for (const ScriptedTest &test : Tests()) {
        if (test.expected().score.mean > slowest.score.mean)
            slowest = test.expected();
    }
    QVERIFY(window->openSubjectPage(0));
    QVERIFY(window->openGroupPage());
    QCOMPARE(opened.size(), 2);
    QVERIFY2(opened[0].toLocalFile().endsWith(u'/' + SubjectPageFileName(slowest)),
             qPrintable(opened[0].toString()));
    QVERIFY(ReadAll(opened[0].toLocalFile()).contains(slowest.code.toUtf8()));
    QVERIFY(ReadAll(opened[1].toLocalFile()).contains(slowest.code.toUtf8()));
}

QTEST_MAIN(ReportWindowTest)
#include "test_reportwindow.moc"
