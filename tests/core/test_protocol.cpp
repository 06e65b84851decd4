// The protocol's lines for scripted tests, compared with texts written out by hand; the
// variants whose names and phase lengths they carry.
#include "parameters/TestVariant.h"
#include "support/TestChoices.h"
#include "support/TestSettings.h"
#include "testing/core/Protocol.h"

#include <QTest>

using namespace kavr;
using namespace kavr::test;
using namespace Qt::StringLiterals;

namespace {

QStringList WholeProtocol(const ChoiceTable &choices, double answerSeconds)
{
    const FormatSettings ru = Russian();
    QStringList lines = protocol::HeaderLines(u"Иванов-01"_s, u"Иванов И.И."_s,
                                              QDateTime(QDate(2026, 12, 7), QTime(14, 5, 9)), ru);
    lines << protocol::InstructionLine(47.6, ru) << protocol::FinishTimeLine(QTime(14, 7, 31), ru)
          << protocol::ResultLines(u"Вариант A"_s, answerSeconds, ScoreChoices(choices),
                                   choices, ru);
    return lines;
}

} // namespace

class TestProtocol : public QObject
{
    Q_OBJECT

private slots:
    void scriptedTest();
    void nothingPlaced();
    void columnWidths();
    void wideValueWrittenWhole();
    void rowsFollowDecimalSeparator();
    void instructionLine_data();
    void instructionLine();
    void variants_data();
    void variants();
};

void TestProtocol::scriptedTest()
{
    // Columns: 8 | 11 | 9 | 6 | 10 | 6 | 5 characters.
    const QStringList expected = {
        u"Результаты выполнения теста \"Образная память\""_s,
        u"Код: Иванов-01  Имя: Иванов И.И.  Дата ПФО: 07.12.2026 14:05:09"_s,
        u"Иванов-01"_s,
        u"Время изучения инструкции  48 сек"_s,
        u"Время окончания теста : 14:07:31"_s,
        u"Вариант A. Время экспозиции  30 сек. Время для ответа  60 сек."_s,
        u"T ответа =  60 сек,  N[+] = 5,  N[-] = 2,  N[0] = 5"_s,
        u"Tcp = 4,4 сек  SD = 3,3 сек  V = 75%"_s,
        u"4,39"_s,
        u"3,28"_s,
        u"N выбора" u"      Время" u" N панели" u"  Ключ" u" N рисунка" u" Ответ"_s,
        u"       1" u"       3,21" u"        5" u"     7" u"         2" u"     7" u"    +"_s,
        u"       2" u"       2,13" u"       11" u"     3" u"         9" u"     3" u"    +"_s,
        u"       3" u"       4,50" u"        1" u"    12" u"         4" u"     8" u"    -"_s,
        u"       4" u"       1,00" u"        8" u"     1" u"        12" u"     1" u"    +"_s,
        u"       5" u"      10,88" u"        2" u"     9" u"         6" u"     9" u"    +"_s,
        u"       6" u"       6,00" u"       12" u"     4" u"         1" u"     5" u"    -"_s,
        u"       7" u"       3,00" u"        3" u"     6" u"        10" u"     6" u"    +"_s,
        u"       8" u"      29,28" u"       -1" u"     0" u"         3" u"    11" u"     "_s,
        u"       9" u"       0,00" u"       -1" u"     0" u"         0" u"     0" u"     "_s,
        u"      10" u"       0,00" u"       -1" u"     0" u"         0" u"     0" u"     "_s,
        u"      11" u"       0,00" u"       -1" u"     0" u"         0" u"     0" u"     "_s,
        u"      12" u"       0,00" u"       -1" u"     0" u"         0" u"     0" u"     "_s,
    };
    const QStringList actual = WholeProtocol(TimeOutChoices(), 60.016);
    QCOMPARE(actual.size(), 23);
    for (qsizetype i = 0; i < expected.size(); ++i)
        QCOMPARE(actual.at(i), expected.at(i));
}

void TestProtocol::nothingPlaced()
{
    ChoiceTable choices{};
    choices[1].Time = 60.004;
    const QStringList lines = WholeProtocol(choices, 60.004);
    QCOMPARE(lines.size(), 23);
    QCOMPARE(lines.at(6), u"T ответа =  60 сек,  N[+] = 0,  N[-] = 0,  N[0] = 12"_s);
    QCOMPARE(lines.at(7), u"Tcp = 0,0 сек  SD = 0,0 сек  V =  0%"_s);
    QCOMPARE(lines.at(8), u"0,00"_s);
    QCOMPARE(lines.at(9), u"0,00"_s);
    QCOMPARE(lines.at(11),
             u"       1" u"      60,00" u"       -1" u"     0" u"         0" u"     0" u"     "_s);
    QCOMPARE(lines.at(12),
             u"       2" u"       0,00" u"       -1" u"     0" u"         0" u"     0" u"     "_s);
}

void TestProtocol::columnWidths()
{
    const QStringList lines = WholeProtocol(TimeOutChoices(), 60.016);
    QCOMPARE(lines.at(10).size(), 50);
    for (int row = 11; row < 23; ++row)
        QCOMPARE(lines.at(row).size(), 55);
}

void TestProtocol::wideValueWrittenWhole()
{
    const ChoiceRecord record{123456789.0, 1234567890, 3, 2147483647, 3};
    const QString row = protocol::RowLine(1, record, Russian());
    QCOMPARE(row,
             u"       1" u"123456789,00" u"1234567890" u"     3" u"2147483647" u"     3"
             u"    +"_s);
}

void TestProtocol::rowsFollowDecimalSeparator()
{
    const ChoiceRecord record{10.875, 2, 9, 6, 9};
    const FormatSettings us = FormatSettings::fromLocale(QLocale(QLocale::English,
                                                                 QLocale::UnitedStates));
    QCOMPARE(protocol::RowLine(5, record, us),
             u"       5" u"      10.88" u"        2" u"     9" u"         6" u"     9"
             u"    +"_s);
}

void TestProtocol::instructionLine_data()
{
    QTest::addColumn<double>("seconds");
    QTest::addColumn<QString>("expected");

    QTest::newRow("half rounds up") << 7.5 << u"Время изучения инструкции   8 сек"_s;
    QTest::newRow("three digits") << 125.4 << u"Время изучения инструкции 125 сек"_s;
    QTest::newRow("wider than its field") << 1234.0 << u"Время изучения инструкции 1234 сек"_s;
}

void TestProtocol::instructionLine()
{
    QFETCH(double, seconds);
    QFETCH(QString, expected);
    QCOMPARE(protocol::InstructionLine(seconds, Russian()), expected);
}

void TestProtocol::variants_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QChar>("letter");
    QTest::addColumn<int>("firstExposurePicture");
    QTest::addColumn<int>("firstAnswerPicture");
    QTest::addColumn<QString>("variantLine");
    // The letters are Latin; the phase texts are the practice boards' captions' and the
    // instruction's.
    QTest::newRow("A") << 0 << QChar(u'A') << 1 << 13
                       << u"Вариант A. Время экспозиции  30 сек. Время для ответа  60 сек."_s;
    QTest::newRow("B") << 1 << QChar(u'B') << 101 << 113
                       << u"Вариант B. Время экспозиции  30 сек. Время для ответа  60 сек."_s;
}

void TestProtocol::variants()
{
    QFETCH(int, index);
    QFETCH(QChar, letter);
    QFETCH(int, firstExposurePicture);
    QFETCH(int, firstAnswerPicture);
    QFETCH(QString, variantLine);
    QCOMPARE(FigureCount, 12);
    const TestVariant &variant = TestVariants.at(index);
    QCOMPARE(variant.itemText.toString(), u"Вариант "_s + letter);
    QCOMPARE(QChar(variant.letter), letter);
    QCOMPARE(variant.exposurePictures + 1, firstExposurePicture);
    QCOMPARE(variant.answerPictures + 1, firstAnswerPicture);
    QCOMPARE(variant.exposureSeconds, 30);
    QCOMPARE(variant.answerSeconds, 60);
    QCOMPARE(variant.exposureCaption.toString(), u"30 сек"_s);
    QCOMPARE(variant.answerCaption.toString(), u"60 сек"_s);
    QCOMPARE(variant.exposureInstruction.toString(), u"30 секунд"_s);
    QCOMPARE(variant.answerInstruction.toString(), u"60 секунд"_s);
    const ChoiceTable choices = TimeOutChoices();
    QCOMPARE(protocol::ResultLines(variant.itemText.toString(), 60.016, ScoreChoices(choices),
                                   choices, Russian())
                 .first(),
             variantLine);
}

QTEST_GUILESS_MAIN(TestProtocol)
#include "test_protocol.moc"
