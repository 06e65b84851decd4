// The HTML summary, read back as XML: one table row per protocol, twelve bars per chart in the
// colours of the marks and in the order of the times, texts escaped, nothing fetched from
// anywhere; the figure pictures of the group page and of a subject's page carried inside
// them, byte for byte the catalogue's.
#include "assets/PictureCatalogue.h"
#include "report/html/GroupPage.h"
#include "report/html/SubjectPage.h"
#include "report/html/TimeChart.h"
#include "report/read/ProtocolReader.h"
#include "support/ScriptedTest.h"
#include "testing/core/Protocol.h"

#include <QTest>
#include <QUrl>
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
    void picturesInsideThePage();
    void emptyFolder();
};

void TestHtmlReport::tableAndCharts()
{
    const QList<ScriptedTest> tests
        = {CompleteTest(), TimeOutTest(), TwiceSetUpTest(), NothingPlacedTest()};
    QList<ProtocolRecord> records;
    for (const ScriptedTest &t : tests)
        records << t.read();
    const Page page = Parse(GroupPage(records, u","_s, u"/opt/kavr-im/Result"_s));
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
    const QByteArray html = GroupPage({record}, u"."_s, u"<folder>"_s);
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
        = GroupPage({CompleteTest().read(), TimeOutTest().read()}, u","_s, u"Result"_s);
    for (const char *reference :
         {"http:", "https:", "src=", "href=", "url(", "@import", "<script", "<link", "<img"})
        QVERIFY2(!html.contains(reference), reference);
    QVERIFY(html.contains("Content-Security-Policy"));
    QVERIFY(html.contains("<meta charset=\"utf-8\"/>"));
}

// Every reference in a page: the pictures it defines (id -> data: URI), the pictures it uses,
// and the other addresses (links).
struct References
{
    QHash<QString, QString> images;
    QStringList uses;
    QStringList links;
    QString error;
};

References ReferencesOf(const QByteArray &html)
{
    References r;
    QXmlStreamReader xml(html);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamAttributes a = xml.attributes();
        const QString href = a.value(u"href"_s).toString();
        if (a.hasAttribute(u"src"_s) || a.hasAttribute(u"xlink:href"_s))
            r.error = u"an address outside href: "_s + xml.name().toString();
        if (xml.name() == u"image")
            r.images.insert(a.value(u"id"_s).toString(), href);
        else if (xml.name() == u"use")
            r.uses << href;
        else if (!href.isEmpty())
            r.links << href;
    }
    if (xml.hasError())
        r.error = xml.errorString();
    return r;
}

// The pictures a page uses, by number, after checking that each is defined in it as the
// catalogue's own file.
QList<qint32> UsedPictures(const References &r)
{
    QList<qint32> numbers;
    for (const QString &use : r.uses) {
        const QString id = use.mid(1);
        if (!use.startsWith(u'#') || !r.images.contains(id) || !id.startsWith(u"pic"_s))
            return {-1};
        const qint32 number = id.mid(3).toInt();
        const QString expected = u"data:image/jpeg;base64,"_s
            + QString::fromLatin1(assets::PictureData(number).toBase64());
        if (r.images.value(id) != expected)
            return {-2};
        if (!numbers.contains(number))
            numbers << number;
    }
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

void TestHtmlReport::picturesInsideThePage()
{
    const QList<ProtocolRecord> records = {CompleteTest().read(), CyrillicCodeTest().read()};
    GroupPageOptions options;
    options.pictures = assets::PictureData;
    options.pagesUrl = u"pages/"_s;
    const QByteArray group = GroupPage(records, ComputeGroupStatistics(records), options);
    const References g = ReferencesOf(group);
    QVERIFY2(g.error.isEmpty(), qPrintable(g.error));
    // The figure heat maps: the exposure pictures of both variants.
    QList<qint32> both;
    for (int f = 1; f <= 12; ++f)
        both << f;
    for (int f = 1; f <= 12; ++f)
        both << 100 + f;
    QCOMPARE(UsedPictures(g), both);
    QCOMPARE(g.images.size(), 24);
    QCOMPARE(g.links, (QStringList{u"pages/"_s + QString::fromLatin1(QUrl::toPercentEncoding(u"Иванов-01.IM.html"_s)),
                                   u"pages/"_s + QString::fromLatin1(QUrl::toPercentEncoding(u"Ёлкина Щ-Ъ №3.IM.html"_s))}));

    // A subject's page: exposure pictures 101-112 and answer pictures 113-124 of variant B.
    SubjectPageOptions page;
    page.pictures = assets::PictureData;
    const QByteArray subject = SubjectPage(records.at(1), page);
    const References s = ReferencesOf(subject);
    QVERIFY2(s.error.isEmpty(), qPrintable(s.error));
    QVERIFY(s.links.isEmpty());
    const QList<qint32> used = UsedPictures(s);
    QVERIFY(!used.isEmpty());
    for (qint32 number : used)
        QVERIFY2(number > 100 && number <= 124, qPrintable(QString::number(number)));
    QCOMPARE(s.images.size(), used.size()); // nothing embedded that is not shown

    for (const QByteArray &html : {group, subject}) {
        for (const char *reference : {"http:", "https:", "@import", "<script", "<link", "<img", "file:"})
            QVERIFY2(!html.contains(reference), reference);
        QVERIFY(html.contains("default-src 'none'; style-src 'unsafe-inline'; img-src data:"));
        QVERIFY(QString::fromUtf8(html).count(u"url("_s) == QString::fromUtf8(html).count(u"url(#"_s));
    }
}

void TestHtmlReport::emptyFolder()
{
    const Page page = Parse(GroupPage({}, u","_s, u"Result"_s));
    QVERIFY2(page.error.isEmpty(), qPrintable(page.error));
    QVERIFY(page.rows.isEmpty());
    QVERIFY(page.axes.isEmpty()); // no chart
}

QTEST_GUILESS_MAIN(TestHtmlReport)
#include "test_htmlreport.moc"
