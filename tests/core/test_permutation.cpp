// The permutation draw of the board set-up: always a permutation, the single-draw bias of
// 1000 mod 12 kept, reproducible from a seed.
#include "testing/core/Permutation.h"

#include <QTest>

#include <array>

using namespace kavr;

namespace {

// Chi-square of observed counts of the values 1..12 against expected probabilities.
double ChiSquare(const std::array<qint64, FigureCount + 1> &counts, qint64 total,
                 const std::array<double, FigureCount + 1> &probability)
{
    double chi = 0.0;
    for (int v = 1; v <= FigureCount; ++v) {
        const double expected = probability[v] * double(total);
        const double d = double(counts[v]) - expected;
        chi += d * d / expected;
    }
    return chi;
}

// Chi-square with 11 degrees of freedom exceeds this with probability 0.001.
constexpr double ChiSquare11At0001 = 31.26;

} // namespace

class TestPermutation : public QObject
{
    Q_OBJECT

private slots:
    void alwaysAPermutation();
    void recognisesNonPermutations_data();
    void recognisesNonPermutations();
    void singleDrawKeepsBias();
    void reseedReproduces();
};

void TestPermutation::alwaysAPermutation()
{
    RandomSource random(20261207);
    std::array<std::array<int, FigureCount + 1>, FigureCount + 1> seen{}; // [position][value]
    for (int n = 0; n < 20000; ++n) {
        const Permutation p = DrawPermutation(random);
        QVERIFY(IsPermutation(p));
        QCOMPARE(p[0], std::uint8_t(0));
        for (int i = 1; i <= FigureCount; ++i)
            ++seen[i][p[i]];
    }
    // Every value turns up at every position.
    for (int i = 1; i <= FigureCount; ++i)
        for (int v = 1; v <= FigureCount; ++v)
            QVERIFY2(seen[i][v] > 0, qPrintable(QStringLiteral("%1 never at %2").arg(v).arg(i)));
}

void TestPermutation::recognisesNonPermutations_data()
{
    QTest::addColumn<QList<int>>("values");
    QTest::addColumn<bool>("permutation");

    QTest::newRow("identity") << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12} << true;
    QTest::newRow("reversed") << QList<int>{12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1} << true;
    QTest::newRow("repeat") << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 11} << false;
    QTest::newRow("zero") << QList<int>{0, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12} << false;
    QTest::newRow("thirteen") << QList<int>{13, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12} << false;
}

void TestPermutation::recognisesNonPermutations()
{
    QFETCH(QList<int>, values);
    QFETCH(bool, permutation);
    Permutation p{};
    for (int i = 1; i <= FigureCount; ++i)
        p[i] = std::uint8_t(values[i - 1]);
    QCOMPARE(IsPermutation(p), permutation);
}

void TestPermutation::singleDrawKeepsBias()
{
    // The first position takes a single draw: (r mod 12) + 1 for r uniform in 0..999, so
    // 1-4 come 84 times in 1000 and 5-12 83 times.
    std::array<double, FigureCount + 1> biased{};
    std::array<double, FigureCount + 1> uniform{};
    for (int v = 1; v <= FigureCount; ++v) {
        biased[v] = v <= 4 ? 0.084 : 0.083;
        uniform[v] = 1.0 / FigureCount;
    }

    RandomSource random(12345);
    constexpr qint64 Draws = 3'000'000;
    std::array<qint64, FigureCount + 1> counts{};
    for (qint64 n = 0; n < Draws; ++n)
        ++counts[DrawPermutation(random)[1]];

    const double againstBiased = ChiSquare(counts, Draws, biased);
    const double againstUniform = ChiSquare(counts, Draws, uniform);
    QVERIFY2(againstBiased < ChiSquare11At0001, qPrintable(QString::number(againstBiased)));
    // The sample is large enough to tell the bias from an even draw.
    QVERIFY2(againstUniform > ChiSquare11At0001, qPrintable(QString::number(againstUniform)));
}

void TestPermutation::reseedReproduces()
{
    RandomSource a(7);
    RandomSource b(99);
    b.reseed(7);
    std::array<Permutation, 50> first{};
    for (Permutation &p : first) {
        p = DrawPermutation(a);
        QCOMPARE(DrawPermutation(b), p);
    }

    a.reseed(7);
    for (const Permutation &p : first)
        QCOMPARE(DrawPermutation(a), p);

    a.reseed(8);
    bool differs = false;
    for (const Permutation &p : first)
        differs = differs || DrawPermutation(a) != p;
    QVERIFY(differs);
}

QTEST_GUILESS_MAIN(TestPermutation)
#include "test_permutation.moc"
