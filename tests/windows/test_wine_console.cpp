// The report from the package in a console of a Russian Windows, under Wine: a console whose
// code page (866) would garble UTF-8 bytes. What the report says and the table it writes to the
// console read there as they are meant, Cyrillic included, from the console program
// (kavr-im-report.com) and from the window program started at a prompt (kavr-im-report.exe,
// which joins the prompt's console). Started from the desktop, the window program opens its
// window instead. Wine makes a console only where it has a display: the session runs on a
// private Xvfb.
#include "harness/WineSession.h"
#include "harness/XvfbSession.h"
#include "report/CalcConvert.h"
#include "report/ReportRun.h"
#include "support/ScriptedTest.h"
#include "support/TestFiles.h"

#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace kavr;
using namespace kavr::harness;
using namespace kavr::test;
using namespace Qt::StringLiterals;

class WineConsoleTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void reportReadsRightInAConsole_data();
    void reportReadsRightInAConsole();
    void windowFromTheDesktop();
    void workbookAsOnLinux();

private:
    // A path in the folder as one types it at a command prompt.
    QString windows(const QString &name) const
    {
        return WineSession::windowsPath(m_folder + u'/' + name).replace(u'/', u'\\');
    }

    XvfbSession m_x;
    QTemporaryDir m_root;
    std::unique_ptr<WineSession> m_wine;
    QString m_folder; // KAVR.IM unpacked into a folder with Cyrillic letters and a blank
};

void WineConsoleTest::initTestCase()
{
    QVERIFY2(m_x.start(), "Xvfb did not start");
    QVERIFY(m_root.isValid());
    m_wine = std::make_unique<WineSession>(m_x, m_root.filePath(u"wine"_s), QStringLiteral(KAVR_WINDOW_LIST));
    QString why;
    QVERIFY2(m_wine->create(96, &why), qPrintable(why));
    QVERIFY(WineSession::unpack(QStringLiteral(KAVR_WINDOWS_ZIP), m_root.filePath(u"Лаборатория 1"_s)));
    m_folder = m_root.filePath(u"Лаборатория 1/KAVR.IM"_s);
    CyrillicCodeTest().save(m_folder + u"/Result"_s);
}

void WineConsoleTest::reportReadsRightInAConsole_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("argument");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("shown"); // the console's lines, after the table when there is one
    QTest::addColumn<bool>("table"); // the CSV on the screen first, as -o writes it
    for (const QString &program : {u"kavr-im-report.com"_s, u"kavr-im-report.exe"_s}) {
        QTest::addRow("a message, %s", qPrintable(program))
            << program << windows(u"Нет такой папки"_s) << 2
            << QStringList{u"kavr-im-report: нет папки "_s + windows(u"Нет такой папки"_s),
                           u"Справка: kavr-im-report --help"_s}
            << false;
        QTest::addRow("the table, %s", qPrintable(program))
            << program << windows(u"Result"_s) << 0
            << QStringList{u"kavr-im-report: прочитано 1 из 1 файла протоколов в папке "_s
                           + windows(u"Result"_s)}
            << true;
    }
}

void WineConsoleTest::reportReadsRightInAConsole()
{
    QFETCH(QString, program);
    QFETCH(QString, argument);
    QFETCH(int, exitCode);
    QFETCH(QStringList, shown);
    QFETCH(bool, table);
    // A command line as typed at the prompt.
    const QString command = u"\"%1\" \"%2\""_s.arg(windows(program), argument);
    if (table) {
        // The table as a file gets it: UTF-8 with its byte-order mark, which a console leaves out.
        const QString csv = m_root.filePath(u"table.csv"_s);
        const QStringList toFile = m_wine->inConsole(command + u" -o \"%1\""_s.arg(WineSession::windowsPath(csv)));
        QCOMPARE(toFile.value(1), u"exit 0"_s);
        const QByteArray bytes = ReadAll(csv);
        QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
        QStringList lines = QString::fromUtf8(bytes.sliced(3)).split(u"\r\n"_s);
        QCOMPARE(lines.takeLast(), QString());
        QVERIFY(lines.join(u'\n').contains(CyrillicCodeTest().name));
        shown = lines + shown;
    }
    const QStringList console = m_wine->inConsole(command);
    QCOMPARE(console.value(0), u"code page 866"_s); // where UTF-8 bytes come out garbled
    QCOMPARE(console.value(1), u"exit %1"_s.arg(exitCode));
    QCOMPARE(console.mid(2), shown);
}

void WineConsoleTest::windowFromTheDesktop()
{
    // As Explorer starts it on a double-click: no console, no standard streams.
    QCOMPARE(m_wine->runProgram({u"start"_s, u"/unix"_s, m_folder + u"/kavr-im-report.exe"_s}, 30000),
             0);
    const std::optional<WinWindow> window = m_wine->waitForMainWindow(30000);
    QVERIFY2(window, "no window");
    QVERIFY2(window->title.startsWith(u"KAVR.IM"_s), qPrintable(window->title));
    QVERIFY(window->client.width() > 600 && window->client.height() > 300);
    m_wine->close(window->handle);
    QTRY_VERIFY_WITH_TIMEOUT(!m_wine->mainWindow(), 10000);
}

// The workbook the Windows exe writes (into the folder with Cyrillic letters) holds the cells
// the Linux build's does, as Calc reads them; only the folder is named each system's way.
void WineConsoleTest::workbookAsOnLinux()
{
    if (CalcProgram().isEmpty())
        QSKIP("soffice is missing (apt-get install libreoffice-calc-nogui)");
    const QString windowsBook = m_folder + u"/windows.xlsx"_s;
    const QString linuxBook = m_root.filePath(u"linux.xlsx"_s);
    const QStringList console = m_wine->inConsole(
        u"\"%1\" \"%2\" -o \"%3\" --xlsx \"%4\""_s.arg(
            windows(u"kavr-im-report.com"_s), windows(u"Result"_s), windows(u"table.csv"_s),
            windows(u"windows.xlsx"_s)));
    QCOMPARE(console.value(1), u"exit 0"_s);
    const ReportRun run = RunReport({m_folder + u"/Result"_s, u"-o"_s, m_root.filePath(u"t.csv"_s),
                                     u"--xlsx"_s, linuxBook},
                                    u"ru_RU.UTF-8"_s);
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));
    const QString calc = m_root.filePath(u"calc"_s);
    QString why;
    QVERIFY2(ConvertWithCalc(windowsBook, calc, &why), qPrintable(why));
    QVERIFY2(ConvertWithCalc(linuxBook, calc, &why), qPrintable(why));
    for (const QString &sheet : {u"Испытуемые"_s, u"Размещения"_s, u"Группа"_s}) {
        QString fromWindows = QString::fromUtf8(ReadAll(calc + u"/windows-"_s + sheet + u".csv"_s));
        const QString fromLinux = QString::fromUtf8(ReadAll(calc + u"/linux-"_s + sheet + u".csv"_s));
        QVERIFY2(fromLinux.contains(CyrillicCodeTest().code), qPrintable(sheet));
        fromWindows.replace(windows(u"Result"_s), m_folder + u"/Result"_s);
        QCOMPARE(fromWindows, fromLinux);
    }
}

QTEST_MAIN(WineConsoleTest)
#include "test_wine_console.moc"
