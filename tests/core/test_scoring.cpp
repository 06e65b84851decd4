// Scoring of the twelve placement records: counts, mean time, its spread and variation.
#include "testing/core/Scoring.h"

#include <QTest>

#include <cmath>

using namespace kavr;

Q_DECLARE_METATYPE(kavr::ChoiceTable)

namespace {

ChoiceRecord Placed(double time, int panel, int key, int picture, int answer)
{
    return {time, panel, key, picture, answer};
}

ChoiceRecord NotPlaced(double time = 0.0, int key = 0, int picture = 0, int answer = 0)
{
    return {time, -1, key, picture, answer};
}

// Records 1..n as given, the rest untouched since the set-up (Time 0, PanelNo -1).
ChoiceTable Table(std::initializer_list<ChoiceRecord> records)
{
    ChoiceTable table{};
    int i = 1;
    for (const ChoiceRecord &r : records)
        table[i++] = r;
    return table;
}

} // namespace

class TestScoring : public QObject
{
    Q_OBJECT

private slots:
    void scores_data();
    void scores();
    void equalTimesGiveZeroSpread_data();
    void equalTimesGiveZeroSpread();
    void elementZeroIsIgnored();
};

void TestScoring::scores_data()
{
    QTest::addColumn<ChoiceTable>("choices");
    QTest::addColumn<int>("placed");
    QTest::addColumn<int>("correct");
    QTest::addColumn<int>("wrong");
    QTest::addColumn<int>("missing");
    QTest::addColumn<double>("mean");
    QTest::addColumn<double>("sd");
    QTest::addColumn<double>("cv");

    // Times 1..12 s: mean 6.5, sample variance 12 * 13 / 12 = 13.
    ChoiceTable allCorrect{};
    for (int i = 1; i <= 12; ++i)
        allCorrect[i] = Placed(i, 13 - i, i, i, i);
    QTest::newRow("all twelve correct")
        << allCorrect << 12 << 12 << 0 << 0 << 6.5 << std::sqrt(13.0)
        << 100.0 * std::sqrt(13.0) / 6.5;

    ChoiceTable allWrong{};
    for (int i = 1; i <= 12; ++i)
        allWrong[i] = Placed(2.0, i, i, i, i % 12 + 1);
    QTest::newRow("all twelve wrong, equal times")
        << allWrong << 12 << 0 << 12 << 0 << 2.0 << 0.0 << 0.0;

    QTest::newRow("nothing placed")
        << Table({NotPlaced(60.004)}) << 0 << 0 << 0 << 12 << 0.0 << 0.0 << 0.0;

    QTest::newRow("one placed") << Table({Placed(3.5, 4, 7, 2, 7)}) << 1 << 1 << 0 << 11 << 3.5
                                << 0.0 << 0.0;

    // {1, 3}: mean 2, sample variance 2.
    QTest::newRow("two placed, one wrong")
        << Table({Placed(1.0, 4, 7, 2, 7), Placed(3.0, 5, 1, 3, 9)}) << 2 << 1 << 1 << 10 << 2.0
        << std::sqrt(2.0) << 100.0 * std::sqrt(2.0) / 2.0;

    // {2, 4, 6}: mean 4, sample variance 4; the picked figure of record 4 does not count.
    QTest::newRow("time-out with a figure picked")
        << Table({Placed(2.0, 1, 3, 5, 3), Placed(4.0, 2, 8, 1, 8), Placed(6.0, 3, 5, 2, 11),
                  NotPlaced(9.9, 0, 7, 12)})
        << 3 << 2 << 1 << 9 << 4.0 << 2.0 << 50.0;

    // An earlier set-up left Key = Answer in records the new test did not reach.
    QTest::newRow("leftovers of an earlier set-up skipped")
        << Table({Placed(1.0, 6, 2, 4, 2), Placed(3.0, 7, 5, 9, 5), NotPlaced(0.0, 9, 3, 9),
                  NotPlaced(0.0, 4, 8, 4), NotPlaced(0.0, 11, 1, 11)})
        << 2 << 2 << 0 << 10 << 2.0 << std::sqrt(2.0) << 100.0 * std::sqrt(2.0) / 2.0;

    QTest::newRow("zero times give no variation")
        << Table({Placed(0.0, 1, 1, 1, 1), Placed(0.0, 2, 2, 2, 2)}) << 2 << 2 << 0 << 10 << 0.0
        << 0.0 << 0.0;
}

void TestScoring::scores()
{
    QFETCH(ChoiceTable, choices);
    QFETCH(int, placed);
    QFETCH(int, correct);
    QFETCH(int, wrong);
    QFETCH(int, missing);
    QFETCH(double, mean);
    QFETCH(double, sd);
    QFETCH(double, cv);

    const Score score = ScoreChoices(choices);
    QCOMPARE(score.placed, placed);
    QCOMPARE(score.correct, correct);
    QCOMPARE(score.wrong, wrong);
    QCOMPARE(score.missing, missing);
    // Compared with a tolerance: the sums run in a different order than the formulas above.
    QVERIFY2(std::abs(score.mean - mean) < 1e-12, qPrintable(QString::number(score.mean, 'g', 17)));
    QVERIFY2(std::abs(score.sd - sd) < 1e-9, qPrintable(QString::number(score.sd, 'g', 17)));
    QVERIFY2(std::abs(score.cv - cv) < 1e-9, qPrintable(QString::number(score.cv, 'g', 17)));
}

void TestScoring::equalTimesGiveZeroSpread_data()
{
    QTest::addColumn<double>("time");
    QTest::addColumn<int>("count");

    QTest::newRow("12 x 2.3 s") << 2.3 << 12;
    QTest::newRow("12 x 4.1 s") << 4.1 << 12;
    QTest::newRow("8 x 0.7 s") << 0.7 << 8;
    QTest::newRow("6 x 0.3 s") << 0.3 << 6;
    QTest::newRow("3 x 1.7 s") << 1.7 << 3;
}

void TestScoring::equalTimesGiveZeroSpread()
{
    QFETCH(double, time);
    QFETCH(int, count);

    ChoiceTable choices{};
    double s1 = 0.0;
    double s2 = 0.0;
    for (int i = 1; i <= count; ++i) {
        choices[i] = Placed(time, i, i, i, i);
        s1 += time;
        s2 += time * time;
    }
    // These times are chosen so that the rounding leaves a negative residue, whose square
    // root would be NaN.
    QVERIFY2(count * s2 - s1 * s1 < 0.0, "the case does not exercise the guard");

    const Score score = ScoreChoices(choices);
    QCOMPARE(score.sd, 0.0);
    QCOMPARE(score.cv, 0.0);
    QVERIFY(std::abs(score.mean - time) < 1e-12);
}

void TestScoring::elementZeroIsIgnored()
{
    ChoiceTable choices{};
    choices[0] = Placed(5.0, 3, 3, 3, 3);
    choices[1] = Placed(1.0, 1, 1, 1, 2);
    const Score score = ScoreChoices(choices);
    QCOMPARE(score.placed, 1);
    QCOMPARE(score.correct, 0);
    QCOMPARE(score.mean, 1.0);
}

QTEST_GUILESS_MAIN(TestScoring)
#include "test_scoring.moc"
