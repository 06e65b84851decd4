#pragma once
// The scripted tests whose protocols and journals are kept in tests/golden, and a test taken
// through them step by step without a window, as the window takes its steps: each when its
// screen is up, on a clock moved by hand, with a fixed draw.
#include "support/FakeClock.h"
#include "testing/core/TestRun.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace kavr::test {

enum class End { AllPlaced, TimedOut, Killed, SaveRefused };

struct Placement
{
    int figure;
    int onPanelOf; // the figure whose task panel it goes to
    qint64 pickMs; // before the pick, then before the placement
    qint64 placeMs;
};

struct Script
{
    QString code;
    QString name;
    int variant;
    FormatSettings settings;
    std::uint64_t seed;
    qint64 instructionMs;
    QList<Placement> placements;
    int pickedAtEnd; // 0: none
    End end;
    bool setUpAgainDuringExposure = false;
    bool priorityGranted = true;
};

// The golden files' scripts by name: "complete" (all twelve, two wrong), "timeout" (seven placed,
// a figure in hand), "killed" (five placed, a figure in hand, no end), "unsaved" (complete's
// script, its save refused).
QList<std::pair<QString, Script>> GoldenScripts();
// The folder the golden files are kept in.
QString GoldenDir();

// figures placed one after the other, each with its own pause before the pick and the placement.
QList<Placement> Paced(const QList<std::pair<int, int>> &moves);

class ScriptedRun
{
public:
    // Runs script up to its last placement or pick, saving to resultDir (then to fallbacks); the
    // twelfth placement ends the test as FinishTest does. The journal is synced by sync.
    ScriptedRun(const Script &script, const QString &resultDir, const QStringList &fallbacks = {},
                TestJournal::FileSync sync = {});

    // A placement's two clicks, each after its pause.
    void pick(const Placement &p);
    void place(const Placement &p);

    // The answer time runs out at its deadline.
    void timeOut();
    // As FinishTest: stopped, composed, saved; the operator's error goes to errors.
    void finish();

    int offerPositionOf(int figure) const;
    int panelOf(int figure) const;

    FakeClock clock;
    TestRun &run() { return m_run; }
    const TestRun &run() const { return m_run; }
    QStringList errors;

private:
    void setUp(const Script &script);
    void startExposure(const Script &script);

    TestRun m_run;
    Permutation m_offerOrder{};
};

} // namespace kavr::test
