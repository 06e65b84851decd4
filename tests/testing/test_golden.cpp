// Scripted tests on a clock moved by hand, their protocols and journals compared byte for byte
// with the files kept in tests/golden. KAVR_UPDATE_GOLDEN=1 writes the files instead, for a
// change that means to alter a format.
#include "support/FormFixture.h"
#include "support/TestFiles.h"
#include "testing/core/JournalRecovery.h"
#include "ui/FigureImage.h"
#include "ui/Panel.h"

#include <QDir>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

using namespace kavr;
using namespace kavr::test;
using namespace Qt::StringLiterals;

namespace {

enum class End { AllPlaced, TimedOut, Killed, SaveRefused };

struct Script
{
    QString code;
    QString name;
    int variant;
    FormatSettings settings;
    std::uint64_t seed;
    qint64 instructionMs;
    QList<std::pair<int, int>> placements; // figure, and the figure whose panel it goes to
    int pickedAtEnd; // 0: none
    End end;
};

QString GoldenDir()
{
    return qEnvironmentVariable("KAVR_SOURCE_DIR") + u"/tests/golden"_s;
}

// The file compared, or written when asked to.
void Golden(const QString &name, const QByteArray &actual)
{
    const QString path = GoldenDir() + u'/' + name;
    if (qEnvironmentVariable("KAVR_UPDATE_GOLDEN") == u"1"_s) {
        QVERIFY(WriteAll(path, actual));
        return;
    }
    const QByteArray expected = ReadAll(path);
    QVERIFY2(!expected.isEmpty(), qPrintable(path));
    QCOMPARE(actual, expected);
}

} // namespace

Q_DECLARE_METATYPE(Script)

class GoldenTest : public QObject
{
    Q_OBJECT
private slots:
    void scriptedTests_data();
    void scriptedTests();
};

void GoldenTest::scriptedTests_data()
{
    QTest::addColumn<Script>("script");
    QList<std::pair<int, int>> all;
    for (int f = 1; f <= FigureCount; ++f)
        all << std::pair{f, f == 3 ? 4 : f == 4 ? 3 : f};
    QTest::newRow("complete") << Script{
        u"Код-7"_s, u"Петров А.Б."_s, 0, RussianSettings(), 7, 23'456, all, 0, End::AllPlaced};
    QTest::newRow("timeout") << Script{
        u"QA-12"_s,
        u"Smith J."_s,
        1,
        American(),
        11,
        9'050,
        {{12, 12}, {11, 11}, {10, 10}, {9, 9}, {8, 5}, {7, 7}, {6, 6}},
        5,
        End::TimedOut};
    QTest::newRow("killed") << Script{u"Ёлка Щ-Ъ"_s,
                                      u"Иванова Е.Ё."_s,
                                      1,
                                      RussianSettings(),
                                      3,
                                      15'001,
                                      {{2, 2}, {5, 5}, {1, 9}, {12, 12}, {7, 7}},
                                      4,
                                      End::Killed};
    QTest::newRow("unsaved") << Script{
        u"Код-7"_s, u"Петров А.Б."_s, 0, RussianSettings(), 7, 23'456, all, 0, End::SaveRefused};
}

void GoldenTest::scriptedTests()
{
    QFETCH(Script, script);
    const QString row = QString::fromLatin1(QTest::currentDataTag());
    auto f = std::make_unique<FormFixture>(SaveTarget{}, script.settings);
    const QString protocolPath = f->resultDir() + u'/' + ProtocolFileName(script.code);
    const QString journalPath = f->resultDir() + u'/' + JournalFileName(script.code);
    if (script.end == End::SaveRefused)
        QVERIFY(QDir().mkpath(protocolPath)); // a folder the protocol cannot replace

    f->form->run().fixDrawSeed(script.seed);
    f->enterSubject(script.code, script.name, script.variant);
    f->clock.advanceMs(script.instructionMs);
    f->startAnswerPhase();
    qint64 step = 0;
    for (const auto &[figure, onPanelOf] : script.placements) {
        ++step;
        f->clock.advanceMs(800 + 113 * step);
        f->click(f->form->boards().AnswerImages[f->offerPositionOf(figure)]);
        f->clock.advanceMs(450 + 71 * step);
        f->click(f->form->boards().TaskPanels[f->panelOf(onPanelOf)]);
    }
    if (script.pickedAtEnd) {
        f->clock.advanceMs(1'234);
        f->click(f->form->boards().AnswerImages[f->offerPositionOf(script.pickedAtEnd)]);
    }
    if (script.end == End::TimedOut)
        f->clock.advanceMs(60'000);
    if (script.end == End::Killed)
        f->clock.advanceMs(777);

    switch (script.end) {
    case End::AllPlaced:
    case End::TimedOut:
        QVERIFY2(f->errors.isEmpty(), qPrintable(f->errors.join(u'\n')));
        Golden(row + u".IM.txt"_s, ReadAll(protocolPath));
        break;
    case End::Killed:
    case End::SaveRefused: {
        QCOMPARE(f->errors.size(), script.end == End::SaveRefused ? 1 : 0);
        const QString resultDir = f->resultDir();
        QTemporaryDir keep;
        const QString result = keep.filePath(u"Result"_s);
        QVERIFY(QDir().mkpath(result));
        // What a killed program leaves: the journal, closed without a word.
        const QByteArray journal = ReadAll(journalPath);
        f.reset();
        Golden(row + u".IM.journal"_s, journal);
        QVERIFY(WriteAll(result + u'/' + JournalFileName(script.code), journal));
        const RecoveryReport report = RecoverJournals({result, {}});
        QCOMPARE(report.paths(RecoveryReport::Kind::Recovered).size(), 1);
        const QByteArray recovered = ReadAll(report.paths(RecoveryReport::Kind::Recovered).first());
        // A test that ended recovers as what it saved; one killed, as its own file.
        Golden(script.end == End::SaveRefused ? u"complete.IM.txt"_s : row + u".IM.recovered.txt"_s,
               recovered);
        break;
    }
    }
}

QTEST_MAIN(GoldenTest)
#include "test_golden.moc"
