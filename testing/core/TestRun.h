#pragma once
// One test, apart from its window: its state under the names the test has always had, and the
// steps that change it. The main window reads its controls, calls a step and shows what the
// state then says; recovery replays a journal through the same steps (JournalReader.h), so a
// recovered protocol is composed exactly as the test composes its own.
//
// Stage and SessionOpen: 0/false log-in; 1/true subject entry; 2/true instruction and practice;
// 3/true exposure; 3/false answer phase; 4/false finished. Each step says in which stages it
// may be taken; outside them it does nothing and answers false, so that a click or a key that
// means nothing now leaves the test as it is.
//
// Times: every step reads the clock once for each time it keeps (MarkTime, AnswerStartTime,
// a placement's seconds), when it is called: the window calls it once the screen it answers is
// up. A live run journals each step that the protocol needs (TestJournal.h), after it has taken
// its times; a replayed one journals nothing. Nothing here throws but finish(), when the
// protocol could not be saved.
#include "parameters/TestVariant.h"
#include "testing/core/ChoiceRecord.h"
#include "testing/core/Clock.h"
#include "testing/core/Format.h"
#include "testing/core/Permutation.h"
#include "testing/core/ProtocolFile.h"
#include "testing/core/TestJournal.h"

#include <QDateTime>
#include <QStringList>

#include <memory>

namespace kavr {

// The test's state, as the run keeps it and a journal gives it back.
struct TestState
{
    int Stage = 0;
    bool SessionOpen = false;
    qint32 VariantIndex = 0;
    Permutation KeyOrder{};
    ChoiceTable Choices{};
    quint8 ChoiceNo = 0; // 0 until the answer phase; AllPlaced once all twelve are
    quint8 SelectedFigure = 0;
    qint64 MarkTime = 0;
    qint64 AnswerStartTime = 0;
    double AnswerTime = 0.0; // seconds, from the answer phase's start to the test's end
    QStringList ResultLog; // the protocol being built
    QString code; // the subject's, from the set-up
};

class TestRun final
{
public:
    // A run that journals its steps and saves its protocol to target, formatted as format says
    // (already encodable()); sync as TestJournal's. clock must outlive the run.
    TestRun(Clock &clock, FormatSettings format, SaveTarget target, TestJournal::FileSync sync);
    // A run replayed from state, journaling nothing and saving nowhere.
    TestRun(Clock &clock, FormatSettings format, TestState state);
    ~TestRun();
    TestRun(const TestRun &) = delete;
    TestRun &operator=(const TestRun &) = delete;

    const TestState &state() const { return m_state; }
    const FormatSettings &format() const { return m_format; }
    // The variant's text: the list's item, the title's addition, the protocol's variant name.
    QString variantText() const;
    // Every set-up draws from seed, for scripted tests.
    void fixDrawSeed(std::uint64_t seed) { m_random.fixSeed(seed); }

    // The variant a set-up takes from the list: the item selected, unless the text in the field
    // names no item (typed into it), and the first for anything else.
    static qint32 VariantOfList(int selectedIndex, QStringView listText);

    // The program's start: Stage 0, no session, an empty protocol.
    void open();
    // The log-in, in Stages 0 and 1: Stage 1 and the session open.
    bool logIn();
    // The set-up, while the session is open: the protocol's header lines for code and name, the
    // variant, a fresh KeyOrder, the placements cleared. Answers the OfferOrder the answer row
    // and the practice palette are built in (position i offers figure KeyOrder[OfferOrder[i]]).
    Permutation setUp(const QString &code, const QString &name, qint32 variant);
    // The set-up's instruction is up: Stage 2, nothing picked, the instruction time counts
    // from now. A set-up repeated during the exposure journals its lines.
    void instructionShown();
    // F1, in Stage 2 only: the instruction time goes to the protocol; Stage 3.
    bool start();
    // The figures are up: the journal opens with the protocol so far and the variant (a set-up
    // repeated during the exposure goes on in the same journal), then whether the timed phases
    // have the processor, and how or why not.
    void exposureShown(bool priorityGranted, const QString &priorityHow);
    // The exposure's end, the answer row up: the answer time and the first placement count from
    // now; ChoiceNo 1.
    bool beginAnswer();

    // A figure picked: in the answer row at position (offering figure), for the placement in
    // progress; on the practice palette at position, nothing recorded. A second pick of the
    // same figure keeps it picked.
    bool pick(int position, int figure);
    void pickPractice(int position);
    // The picked figure put on the task panel panelNo (showing key) during the exposure: the
    // placement in progress is recorded and timed, the next one begins. Answers whether that
    // was the twelfth. Nothing when no figure is picked.
    bool place(int panelNo, int key);
    // As place(), its seconds and mark as a journal gives them.
    bool placeAt(int panelNo, int key, double seconds, qint64 mark);
    // A practice figure put on a practice panel.
    bool placePractice();

    // The test's end, by the twelfth placement or the answer time running out: the placement
    // in progress is charged with the time since the last mark, the answer time taken; Stage 4.
    void stopAnswer();
    // As stopAnswer(), the times as a journal gives them.
    void stopAnswerAt(double answerSeconds, double inProgressSeconds);
    // The end time, scoring and result lines appended to the protocol; journaled before the save.
    void composeResult();
    // The protocol saved where the target takes it; throws KavrError with the operator's text
    // (and where the journal still keeps the test) when it went nowhere or not to Result.
    void save();
    // The protocol last written; empty until one was.
    const QString &protocolPath() const { return m_protocolPath; }
    // The program's end: no protocol any more.
    void close();

    // The journal of the test in progress, open from the exposure until the protocol is saved;
    // none for a replayed run.
    const TestJournal *journal() const { return m_journal.get(); }

private:
    void journalLines();
    QString journalNote();

    Clock &m_clock;
    FormatSettings m_format;
    SaveTarget m_target;
    std::unique_ptr<TestJournal> m_journal;
    qsizetype m_journaledLines = 0; // lines of the protocol already in the journal
    RandomSource m_random;
    TestState m_state;
    QString m_protocolPath;
};

} // namespace kavr
