// Reading the program's line layouts backwards: field widths, overflowing values, either
// decimal separator, and every layout read back from what the program's own formatting wrote.
#include "error/KavrError.h"
#include "report/read/ProtocolLineParser.h"
#include "testing/core/Protocol.h"

#include <QRandomGenerator>
#include <QTest>

using namespace kavr;
using namespace kavr::report;
using namespace Qt::StringLiterals;

namespace p = kavr::protocol;

class TestProtocolLineParser : public QObject
{
    Q_OBJECT

private slots:
    void match_data();
    void match();
    void rowsReadBack_data();
    void rowsReadBack();
    void everyLayoutReadsBack();
    void literals();
    void unsupportedFormats_data();
    void unsupportedFormats();
    void manyWaysToSplitStayFinite();
};

void TestProtocolLineParser::match_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("fields"); // empty: no match

    const QString row = p::RowFormat.toString();
    QTest::newRow("row, correct") << row
                                  << u"       1       3,21        5     7         2     7    +"_s
                                  << QStringList{u"1"_s, u"3.21"_s, u"5"_s, u"7"_s,
                                                 u"2"_s, u"7"_s,    u"+"_s};
    QTest::newRow("row, not placed: blank mark")
        << row << u"       8      29.28       -1     0         3    11     "_s
        << QStringList{u"8"_s, u"29.28"_s, u"-1"_s, u"0"_s, u"3"_s, u"11"_s, QString()};
    QTest::newRow("row, values wider than their fields touch")
        << row << u"       1123456789,001234567890     32147483647     3    +"_s
        << QStringList{u"1"_s, u"123456789.00"_s, u"1234567890"_s, u"3"_s, u"2147483647"_s, u"3"_s,
                       u"+"_s};
    QTest::newRow("row, every field exactly full")
        << row
        << u"12345678"
           u"-1234567.89"
           u"123456789"
           u"123456"
           u"1234567890"
           u"-12345"
           u"    -"_s
        << QStringList{u"12345678"_s,   u"-1234567.89"_s, u"123456789"_s, u"123456"_s,
                       u"1234567890"_s, u"-12345"_s,      u"-"_s};
    QTest::newRow("row, leading zero")
        << row << u"       1       3,21       05     7         2     7    +"_s << QStringList{};
    QTest::newRow("row, mark cut off")
        << row << u"       1       3,21        5     7         2     7"_s << QStringList{};
    QTest::newRow("row, one blank too few")
        << row << u"      1       3,21        5     7         2     7    +"_s << QStringList{};
    QTest::newRow("row, one decimal")
        << row << u"       1        3,2        5     7         2     7    +"_s << QStringList{};
    QTest::newRow("row, blank inside a number")
        << row << u"       1       3,21      1 5     7         2     7    +"_s << QStringList{};
    QTest::newRow("row, text after the mark")
        << row << u"       1       3,21        5     7         2     7    +x"_s << QStringList{};
    QTest::newRow("row, letter for a number")
        << row << u"       1       3,21        5     O         2     7    +"_s << QStringList{};

    const QString subject = p::SubjectLineFormat.toString();
    QTest::newRow("subject, blanks inside name and date")
        << subject << u"Код: Иванов-01  Имя: Иванов И. И.  Дата ПФО: 07.12.2026 14:05:09"_s
        << QStringList{u"Иванов-01"_s, u"Иванов И. И."_s, u"07.12.2026 14:05:09"_s};
    QTest::newRow("subject, code with a blank")
        << subject << u"Код: Петров 7  Имя: П.  Дата ПФО: 3/1/26"_s
        << QStringList{u"Петров 7"_s, u"П."_s, u"3/1/26"_s};
    QTest::newRow("subject, one blank before Имя")
        << subject << u"Код: Иванов Имя: Иванов И.И.  Дата ПФО: 07.12.2026"_s << QStringList{};

    const QString instruction = p::InstructionLineFormat.toString();
    QTest::newRow("instruction, three digits")
        << instruction << u"Время изучения инструкции 125 сек"_s << QStringList{u"125"_s};
    QTest::newRow("instruction, wider than its field")
        << instruction << u"Время изучения инструкции 1234 сек"_s << QStringList{u"1234"_s};
    QTest::newRow("instruction, decimals where none belong")
        << instruction << u"Время изучения инструкции 12,5 сек"_s << QStringList{};

    const QString counts = p::CountsLineFormat.toString();
    QTest::newRow("counts") << counts << u"T ответа =  60 сек,  N[+] = 5,  N[-] = 2,  N[0] = 5"_s
                            << QStringList{u"60"_s, u"5"_s, u"2"_s, u"5"_s};
    QTest::newRow("counts, blank before a number without width")
        << counts << u"T ответа =  60 сек,  N[+] =  5,  N[-] = 2,  N[0] = 5"_s << QStringList{};

    const QString spread = p::SpreadLineFormat.toString();
    QTest::newRow("spread, Russian") << spread << u"Tcp = 4,4 сек  SD = 3,3 сек  V = 75%"_s
                                     << QStringList{u"4.4"_s, u"3.3"_s, u"75"_s, u"%"_s};
    QTest::newRow("spread, V of one digit") << spread << u"Tcp = 0.0 сек  SD = 0.0 сек  V =  0%"_s
                                            << QStringList{u"0.0"_s, u"0.0"_s, u"0"_s, u"%"_s};
}

void TestProtocolLineParser::match()
{
    QFETCH(QString, format);
    QFETCH(QString, line);
    QFETCH(QStringList, fields);
    const std::optional<QStringList> matched = ProtocolLineParser(format).match(line);
    if (fields.isEmpty()) {
        QVERIFY2(!matched, qPrintable(matched ? matched->join(u'|') : QString()));
        return;
    }
    QVERIFY(matched);
    QCOMPARE(*matched, fields);
}

void TestProtocolLineParser::rowsReadBack_data()
{
    QTest::addColumn<QString>("separator");
    QTest::newRow("comma") << u","_s;
    QTest::newRow("point") << u"."_s;
    QTest::newRow("Arabic") << u"٫"_s;
}

// Rows of random values, some far wider than their fields, read back to the same values.
void TestProtocolLineParser::rowsReadBack()
{
    QFETCH(QString, separator);
    FormatSettings settings;
    settings.decimalSeparator = separator;
    const ProtocolLineParser layout(p::RowFormat);
    QRandomGenerator random(20261207);
    for (int n = 0; n < 2000; ++n) {
        // A value wider than its field touches the next one; two such in a row could be split
        // more than one way (the writer cannot tell), so a wide value is followed by a padded
        // one.
        bool previousWide = false;
        auto value = [&](int width) {
            const bool wide = !previousWide && random.bounded(3) == 0;
            previousWide = wide;
            if (wide)
                return qint32(random.bounded(1, 1 << 30)) * (random.bounded(2) ? 1 : -1);
            return qint32(random.bounded(-1, width == 6 ? 1000 : 100000));
        };
        ChoiceRecord record;
        const int i = value(8);
        record.Time
            = !previousWide && random.bounded(3) == 0 ? random.bounded(1e12) : random.bounded(1e6);
        previousWide = false; // the decimals end the time field
        record.PanelNo = value(9);
        record.Key = value(6);
        record.PictureNo = value(10);
        previousWide = true; // the mark after the answer is text, which could take in digits
        record.Answer = value(6);
        const QString line = p::RowLine(i, record, settings);
        const std::optional<QStringList> f = layout.match(line);
        QVERIFY2(f, qPrintable(line));
        QCOMPARE(f->size(), 7);
        QCOMPARE(f->at(0).toInt(), i);
        QCOMPARE(f->at(1), FormatFixed(record.Time, 2, FormatSettings{}));
        QCOMPARE(f->at(2).toInt(), record.PanelNo);
        QCOMPARE(f->at(3).toInt(), record.Key);
        QCOMPARE(f->at(4).toInt(), record.PictureNo);
        QCOMPARE(f->at(5).toInt(), record.Answer);
        QCOMPARE(f->at(6), p::RowMark(record).toString());
    }
}

void TestProtocolLineParser::everyLayoutReadsBack()
{
    const FormatSettings ru = FormatSettings::fromLocale(QLocale(QLocale::Russian));
    const Score score{9, 7, 2, 3, 4.386, 3.2749, 74.67};
    ChoiceTable choices{};
    const QStringList results = p::ResultLines(u"Вариант B"_s, 59.5, score, choices, ru);
    struct Case
    {
        QStringView format;
        QString line;
        QStringList fields;
    };
    const QList<Case> cases = {
        {p::SubjectLineFormat,
         p::HeaderLines(u"К-1"_s, u"Имя И.О."_s, QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)), ru)
             .at(1),
         {u"К-1"_s, u"Имя И.О."_s, u"02.01.2026 03:04:05"_s}},
        {p::InstructionLineFormat, p::InstructionLine(7.5, ru), {u"8"_s}},
        {p::FinishTimeLineFormat, p::FinishTimeLine(QTime(23, 59, 1), ru), {u"23:59:01"_s}},
        {p::VariantLineFormat, results.at(0), {u"Вариант B"_s, u"30"_s, u"60"_s}},
        {p::CountsLineFormat, results.at(1), {u"60"_s, u"7"_s, u"2"_s, u"3"_s}},
        {p::SpreadLineFormat, results.at(2), {u"4.4"_s, u"3.3"_s, u"75"_s, u"%"_s}},
        {p::SecondsLineFormat, results.at(3), {u"4.39"_s}},
        {p::SecondsLineFormat, results.at(4), {u"3.27"_s}},
    };
    for (const Case &c : cases) {
        const std::optional<QStringList> f = ProtocolLineParser(c.format).match(c.line);
        QVERIFY2(f, qPrintable(c.line));
        QCOMPARE(*f, c.fields);
    }
}

void TestProtocolLineParser::literals()
{
    const ProtocolLineParser subject(p::SubjectLineFormat);
    QCOMPARE(subject.fieldCount(), 3);
    QCOMPARE(subject.literals(), (QStringList{u"Код: "_s, u"  Имя: "_s, u"  Дата ПФО: "_s}));
    QCOMPARE(ProtocolLineParser(u"%d%%").literals(), QStringList{u"%"_s});
}

void TestProtocolLineParser::unsupportedFormats_data()
{
    QTest::addColumn<QString>("format");
    QTest::newRow("unknown conversion") << u"a %x"_s;
    QTest::newRow("%f without precision") << u"%5f"_s;
    QTest::newRow("%s with precision") << u"%5.2s"_s;
    QTest::newRow("ends in %") << u"50 %"_s;
}

void TestProtocolLineParser::unsupportedFormats()
{
    QFETCH(QString, format);
    QVERIFY_THROWS_EXCEPTION(KavrError, ProtocolLineParser{format});
}

// A line of nothing but the separators between the fields: a search that tried every split
// would not come back. Each state is tried once, so it does.
void TestProtocolLineParser::manyWaysToSplitStayFinite()
{
    QString line = u"Код: "_s;
    while (line.size() < 4000)
        line += u"  Имя: "_s;
    QVERIFY(!ProtocolLineParser(p::SubjectLineFormat).match(line));
    line += u"  Дата ПФО: x"_s;
    const std::optional<QStringList> f = ProtocolLineParser(p::SubjectLineFormat).match(line);
    QVERIFY(f);
    QCOMPARE(f->at(0), QString()); // the shortest code that fits
    QCOMPARE(f->at(2), u"x"_s);
}

QTEST_GUILESS_MAIN(TestProtocolLineParser)
#include "test_protocollineparser.moc"
