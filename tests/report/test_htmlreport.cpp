// The HTML summary, read back as XML: one table row per protocol, twelve bars per chart in the
// colours of the marks and in the order of the times, texts escaped, nothing fetched from
// anywhere.
#include "support/ScriptedTest.h"
#include "report/HtmlReport.h"
#include "report/ProtocolReader.h"
#include "testing/core/Protocol.h"

#include <QTest>
#include <QXmlStreamReader>

using namespace kavr;
using namespace kavr::report;
using namespace kavr::test;
using namespace Qt::StringLiterals;

namespace {

struct Bar
{
    QString cssClass;
    int height = 0;
};

struct Row
{
    QStringList cells; // texts of the cells without a chart
    QList<Bar> bars;
};

struct Page
{
    QString title;
    QStringList axes; // the scale of each chart
    QList<Row> rows;
    QStringList elements; // every element name met
    QString error;
};

Page Parse(const QByteArray &html)
{
    Page page;
    QXmlStreamReader xml(html);
    bool inBody = false;
    bool inChart = false;
    QString text;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            const QString name = xml.name().toString();
            page.elements << name;
            text.clear();
            if (name == u"tbody")
                inBody = true;
            else if (name == u"svg")
                inChart = true;
            else if (inBody && name == u"tr")
                page.rows.append(Row{});
            else if (inBody && name == u"rect")
                page.rows.last().bars.append(
                    Bar{xml.attributes().value(QLatin1StringView("class")).toString(),
                        xml.attributes().value(QLatin1StringView("height")).toInt()});
        } else if (xml.isCharacters()) {
            text += xml.text();
        } else if (xml.isEndElement()) {
            if (xml.name() == u"h1")
                page.title = text;
            else if (xml.name() == u"text")
                page.axes << text;
            else if (inBody && xml.name() == u"td" && !inChart)
                page.rows.last().cells << text;
            else if (xml.name() == u"td")
                inChart = false;
            else if (xml.name() == u"tbody")
                inBody = false;
            text.clear();
        }
    }
    if (xml.hasError())
        page.error = xml.errorString();
    return page;
}

QString ClassOf(const ChoiceRecord &c)
{
    if (!c.placed())
        return QString::fromLatin1(NotPlacedBarClass);
    return QString::fromLatin1(c.correct() ? CorrectBarClass : WrongBarClass);
}

} // namespace

class TestHtmlReport : public QObject
{
    Q_OBJECT

private slots:
    void tableAndCharts();
    void textsEscaped();
    void selfContained();
    void emptyFolder();
};

void TestHtmlReport::tableAndCharts()
{
    const QList<ScriptedTest> tests
        = {CompleteTest(), TimeOutTest(), TwiceSetUpTest(), NothingPlacedTest()};
    QList<ProtocolRecord> records;
    for (const ScriptedTest &t : tests)
        records << t.read();
    const Page page = Parse(HtmlReport(records, u","_s, u"/opt/kavr-im/Result"_s));
    QVERIFY2(page.error.isEmpty(), qPrintable(page.error));
    QCOMPARE(page.title, protocol::TitleLine.toString());
    QCOMPARE(page.rows.size(), records.size());
    // Each chart to its longest time, in whole 5 s steps.
    QCOMPARE(page.axes, (QStringList{u"15 с"_s, u"30 с"_s, u"15 с"_s, u"60 с"_s}));

    for (qsizetype r = 0; r < records.size(); ++r) {
        const ProtocolRecord &record = records.at(r);
        const Row &row = page.rows.at(r);
        QCOMPARE(row.cells.at(0), QString::number(r + 1));
        QCOMPARE(row.cells.at(1), record.code);
        QCOMPARE(row.cells.at(2), record.name);
        QCOMPARE(row.cells.at(7), QString::number(record.score.correct));
        FormatSettings comma;
        comma.decimalSeparator = u","_s;
        QCOMPARE(row.cells.at(10), FormatFixed(record.score.mean, 2, comma));
        QCOMPARE(row.bars.size(), 12);
        for (int i = 1; i <= 12; ++i) {
            QCOMPARE(row.bars.at(i - 1).cssClass, ClassOf(record.choices[i]));
            QVERIFY(row.bars.at(i - 1).height >= 1 && row.bars.at(i - 1).height <= 44);
            for (int j = 1; j <= 12; ++j) {
                if (record.choices[i].Time > record.choices[j].Time)
                    QVERIFY(row.bars.at(i - 1).height >= row.bars.at(j - 1).height);
            }
        }
    }
    QCOMPARE(page.rows.at(3).bars.at(0).height, 44); // 60.00 s of 60 s
    QCOMPARE(page.rows.at(1).bars.at(7).height, 43); // 29.28 s of 30 s
    QCOMPARE(page.rows.at(0).bars.at(4).height, 32); // 10.88 s of 15 s
    QVERIFY(page.rows.at(2).cells.last().contains(u"2 раза"_s));
    QVERIFY(page.rows.at(0).cells.last().isEmpty());
}

void TestHtmlReport::textsEscaped()
{
    ProtocolRecord record = CompleteTest().read();
    record.name = u"<script>alert(1)</script> & \"Co\""_s;
    record.code = u"</td></tr><tr><td>x"_s;
    const QByteArray html = HtmlReport({record}, u"."_s, u"<folder>"_s);
    const Page page = Parse(html);
    QVERIFY2(page.error.isEmpty(), qPrintable(page.error));
    QVERIFY(!page.elements.contains(u"script"_s));
    QCOMPARE(page.rows.size(), 1);
    QCOMPARE(page.rows.at(0).cells.at(1), record.code);
    QCOMPARE(page.rows.at(0).cells.at(2), record.name);
}

void TestHtmlReport::selfContained()
{
    const QByteArray html
        = HtmlReport({CompleteTest().read(), TimeOutTest().read()}, u","_s, u"Result"_s);
    for (const char *reference :
         {"http:", "https:", "src=", "href=", "url(", "@import", "<script", "<link", "<img"})
        QVERIFY2(!html.contains(reference), reference);
    QVERIFY(html.contains("Content-Security-Policy"));
    QVERIFY(html.contains("<meta charset=\"utf-8\"/>"));
}

void TestHtmlReport::emptyFolder()
{
    const Page page = Parse(HtmlReport({}, u","_s, u"Result"_s));
    QVERIFY2(page.error.isEmpty(), qPrintable(page.error));
    QVERIFY(page.rows.isEmpty());
    QVERIFY(page.axes.isEmpty()); // no chart
}

QTEST_GUILESS_MAIN(TestHtmlReport)
#include "test_htmlreport.moc"
