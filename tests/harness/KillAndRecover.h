#pragma once
// A test of the real program interrupted at a chosen moment (killed, or its whole session
// ended) and started again on the same folders, as a crash or a power cut would leave it: the
// kill tests of both systems play it. The start after the interruption must turn the journal of
// the test into <code>.IM.recovered.txt, remove the journal and its lock, and name the file in
// the maroon line of the log-in layer; the recovered protocol is read back through the report's
// reader and compared, row by row, with what the test did and when (its dated clicks).
// Successive interruptions share the program's folder: the recovered files add up there.
#include "harness/Operator.h"
#include "parameters/Figures.h"

#include <QDateTime>
#include <QImage>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>

namespace kavr::harness {

class ProgramUnderTest;
class XInput;
class XvfbSession;

// Where a test is interrupted.
struct Interruption
{
    QString code;
    QString name;
    int variant = 0;          // 0: "Вариант A", 1: "Вариант B"
    bool inExposure = false;  // 3 s into the exposure, else in the answer phase
    // Placements in order: the answer position picked and the position whose figure's panel it
    // is put on (the same position: a right placement).
    QList<int> positions;
    QList<int> onto;
    int pickedLast = 0;       // picked, not placed, before the interruption; 0: none
};

class KillAndRecover final
{
public:
    // clickMargin: how late, in seconds, the program may act on a click the harness dated (its
    // event loop, on a machine shared with other work). shotPrefix goes before the names of the
    // screenshots (in KAVR_E2E_SHOTS). None is owned; all must outlive this.
    KillAndRecover(const XvfbSession &server, XInput &input, ProgramUnderTest &run, double clickMargin,
                   QString shotPrefix = {});
    ~KillAndRecover();

    // Starts the program and logs in; false when the subject entry did not come.
    bool startAndLogIn();
    Operator &person() { return *m_person; }

    // A refused entry before the valid one: the reason shows above the notice of the start,
    // which still ends with the file's name.
    void refuseEntry(const QString &name);
    // Plays the test from the subject entry up to the moment of its interruption, with QtTest
    // checks on the way (the caller asks QTest::currentTestFailed()); the caller interrupts it.
    void play(const Interruption &plan);
    // After the interruption and startAndLogIn(): Result holds the recovered protocol (or, for a
    // test interrupted after its twelfth placement, perhaps the one it saved) besides those of
    // the earlier interruptions, and nothing else; the notice names it; the protocol says what
    // the test did.
    void checkRecovered(const Interruption &plan);

private:
    // A click of the answer phase the program acted on: a pick, or the second click of a
    // placement.
    struct Event
    {
        bool placement = false;
        int position = 0;
        int panel = 0;
        std::int64_t ns = 0;
        QDateTime wall;
    };
    struct Expected;
    Expected expect() const;
    void shot(const QString &what) const;

    const XvfbSession &m_server;
    XInput &m_input;
    ProgramUnderTest &m_run;
    double m_clickMargin;
    QString m_shotPrefix;
    std::unique_ptr<Operator> m_person;
    QStringList m_kept;  // the files Result must hold from the interruptions before
    QImage m_noticeText; // the notice's first line, the same for every file

    // What the test played last did.
    QList<Event> m_events;
    PerFigure<int> m_keyOrder{}; // figure on each task panel
    PerFigure<int> m_offered{};  // figure at each answer position
    PerFigure<int> m_panelOf{};  // task panel of each figure
    std::int64_t m_enter = 0, m_f1 = 0, m_answerLow = 0, m_answerHigh = 0;
    QDateTime m_enterWall, m_f1Wall;
};

} // namespace kavr::harness

Q_DECLARE_METATYPE(kavr::harness::Interruption)
