#include "support/GoldenScript.h"

#include "error/KavrError.h"
#include "support/TestSettings.h"

using namespace Qt::StringLiterals;

namespace kavr::test {

namespace {

QList<Placement> AllTwelve()
{
    QList<Placement> all;
    for (int f = 1; f <= FigureCount; ++f)
        all << Placement{f, f == 3 ? 4 : f == 4 ? 3 : f, 800 + 113 * f, 450 + 71 * f};
    return all;
}

} // namespace

QList<Placement> Paced(const QList<std::pair<int, int>> &moves)
{
    QList<Placement> placements;
    qint64 step = 0;
    for (const auto &[figure, onPanelOf] : moves) {
        ++step;
        placements << Placement{figure, onPanelOf, 800 + 113 * step, 450 + 71 * step};
    }
    return placements;
}

QList<std::pair<QString, Script>> GoldenScripts()
{
    const Script complete{u"Код-7"_s, u"Петров А.Б."_s, 0, RussianSettings(), 7,
                          23'456,     AllTwelve(),      0, End::AllPlaced};
    Script unsaved = complete;
    unsaved.end = End::SaveRefused;
    return {
        {u"complete"_s, complete},
        {u"timeout"_s,
         Script{u"QA-12"_s, u"Smith J."_s, 1, American(), 11, 9'050,
                Paced({{12, 12}, {11, 11}, {10, 10}, {9, 9}, {8, 5}, {7, 7}, {6, 6}}), 5,
                End::TimedOut}},
        {u"killed"_s,
         Script{u"Ёлка Щ-Ъ"_s, u"Иванова Е.Ё."_s, 1, RussianSettings(), 3, 15'001,
                Paced({{2, 2}, {5, 5}, {1, 9}, {12, 12}, {7, 7}}), 4, End::Killed}},
        {u"unsaved"_s, unsaved},
    };
}

QString GoldenDir()
{
    return qEnvironmentVariable("KAVR_SOURCE_DIR") + u"/tests/golden"_s;
}

ScriptedRun::ScriptedRun(const Script &script, const QString &resultDir,
                         const QStringList &fallbacks, TestJournal::FileSync sync)
    : m_run(clock, script.settings.encodable(), {resultDir, fallbacks}, std::move(sync))
{
    m_run.fixDrawSeed(script.seed);
    m_run.open();
    m_run.logIn();
    setUp(script);
    clock.advanceMs(script.instructionMs);
    if (script.setUpAgainDuringExposure) {
        startExposure(script);
        clock.advanceMs(5'000);
        setUp(script);
        clock.advanceMs(3'500);
    }
    startExposure(script);
    clock.advanceMs(30'000);
    m_run.beginAnswer();
    for (const Placement &p : script.placements) {
        pick(p);
        place(p);
    }
    if (script.pickedAtEnd) {
        clock.advanceMs(1'234);
        m_run.pick(offerPositionOf(script.pickedAtEnd), script.pickedAtEnd);
    }
}

void ScriptedRun::pick(const Placement &p)
{
    clock.advanceMs(p.pickMs);
    m_run.pick(offerPositionOf(p.figure), p.figure);
}

void ScriptedRun::place(const Placement &p)
{
    clock.advanceMs(p.placeMs);
    const int panel = panelOf(p.onPanelOf);
    if (m_run.place(panel, m_run.state().KeyOrder[panel]))
        finish();
}

void ScriptedRun::timeOut()
{
    clock.advanceMs(m_run.state().AnswerStartTime + 60'000 - clock.ClockMs());
    finish();
}

void ScriptedRun::finish()
{
    m_run.stopAnswer();
    m_run.composeResult();
    try {
        m_run.save();
    } catch (const KavrError &e) {
        errors << e.message();
    }
}

int ScriptedRun::offerPositionOf(int figure) const
{
    for (int i = 1; i <= FigureCount; ++i)
        if (m_run.state().KeyOrder[m_offerOrder[i]] == figure)
            return i;
    return 0;
}

int ScriptedRun::panelOf(int figure) const
{
    for (int i = 1; i <= FigureCount; ++i)
        if (m_run.state().KeyOrder[i] == figure)
            return i;
    return 0;
}

void ScriptedRun::setUp(const Script &script)
{
    m_offerOrder = m_run.setUp(script.code, script.name, script.variant);
    m_run.instructionShown();
}

void ScriptedRun::startExposure(const Script &script)
{
    m_run.start();
    m_run.exposureShown(script.priorityGranted, u"granted by the fake"_s);
}

} // namespace kavr::test
