#include "testing/core/TestRun.h"

#include "error/KavrError.h"
#include "platform/files/FileAccess.h"
#include "testing/core/Protocol.h"
#include "testing/core/Scoring.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace kavr {

TestRun::TestRun(Clock &clock, FormatSettings format, SaveTarget target, TestJournal::FileSync sync)
    : m_clock(clock),
      m_format(std::move(format)),
      m_target(std::move(target)),
      m_journal(std::make_unique<TestJournal>(std::move(sync)))
{
}

TestRun::TestRun(Clock &clock, FormatSettings format, TestState state)
    : m_clock(clock),
      m_format(std::move(format)),
      m_state(std::move(state))
{
}

TestRun::~TestRun() = default;

QString TestRun::variantText() const
{
    return TestVariants[m_state.VariantIndex].itemText.toString();
}

qint32 TestRun::VariantOfList(int selectedIndex, QStringView listText)
{
    if (selectedIndex < 0 || selectedIndex >= VariantCount)
        return 0;
    return TestVariants[selectedIndex].itemText == listText ? selectedIndex : 0;
}

// ---- Stages -------------------------------------------------------------------------------

void TestRun::open()
{
    m_state.SessionOpen = false;
    m_state.ResultLog.clear();
}

bool TestRun::logIn()
{
    if (m_state.Stage > 1)
        return false;
    m_state.SessionOpen = true;
    m_state.Stage = 1;
    return true;
}

Permutation TestRun::setUp(const QString &code, const QString &name, qint32 variant)
{
    m_state.ResultLog.append(protocol::HeaderLines(code, name, m_clock.now(), m_format));
    m_state.code = code;
    m_state.VariantIndex = variant >= 0 && variant < VariantCount ? variant : 0;
    m_random.reseedFromClock();
    m_state.KeyOrder = DrawPermutation(m_random);
    const Permutation offerOrder = DrawPermutation(m_random);
    for (int i = 1; i <= FigureCount; ++i) {
        m_state.Choices[i].Time = 0.0;
        m_state.Choices[i].PanelNo = -1;
    }
    return offerOrder;
}

void TestRun::instructionShown()
{
    m_state.Stage = 2;
    m_state.MarkTime = m_clock.ClockMs();
    m_state.SelectedFigure = 0;
    journalLines(); // a set-up repeated during the exposure
}

bool TestRun::start()
{
    if (m_state.Stage != 2)
        return false; // the timed test starts only from the instruction, with the boards built
    m_state.ResultLog.append(
        protocol::InstructionLine(SecondsSince(m_clock, m_state.MarkTime), m_format));
    m_state.Stage = 3;
    m_state.SelectedFigure = 0;
    return true;
}

void TestRun::exposureShown(bool priorityGranted, const QString &priorityHow)
{
    if (!m_journal)
        return;
    // From now on the subject's work must survive whatever stops the program.
    if (m_journal->isOpen()) {
        journalLines();
        m_journal->variant(variantText(), m_clock.ClockMs(), m_clock.now());
    } else {
        m_journal->begin(m_target, m_state.code, m_format, m_state.ResultLog, variantText(),
                         m_clock.ClockMs(), m_clock.now());
        m_journaledLines = m_state.ResultLog.size();
    }
    m_journal->priority(priorityGranted, priorityHow, m_clock.ClockMs(), m_clock.now());
}

bool TestRun::beginAnswer()
{
    if (m_state.Stage != 3 || !m_state.SessionOpen)
        return false;
    m_state.MarkTime = m_clock.ClockMs();
    m_state.AnswerStartTime = m_state.MarkTime;
    m_state.SessionOpen = false;
    m_state.ChoiceNo = 1;
    if (m_journal)
        m_journal->answerBegan(m_state.AnswerStartTime, m_clock.now());
    return true;
}

// ---- Placements ---------------------------------------------------------------------------

bool TestRun::pick(int position, int figure)
{
    if (m_state.Stage != 3 || m_state.SessionOpen || !IsFigureNumber(m_state.ChoiceNo))
        return false;
    ChoiceRecord &record = m_state.Choices[m_state.ChoiceNo];
    record.PictureNo = position;
    record.Answer = figure;
    m_state.SelectedFigure = quint8(position);
    if (m_journal)
        m_journal->pick(m_state.ChoiceNo, record, m_clock.ClockMs(), m_clock.now());
    return true;
}

void TestRun::pickPractice(int position)
{
    m_state.SelectedFigure = quint8(position);
}

bool TestRun::place(int panelNo, int key)
{
    if (m_state.Stage != 3 || m_state.SessionOpen || m_state.SelectedFigure == 0
        || !IsFigureNumber(m_state.ChoiceNo))
        return false;
    const double seconds = m_state.Choices[m_state.ChoiceNo].Time
        + SecondsSince(m_clock, m_state.MarkTime);
    return placeAt(panelNo, key, seconds, m_clock.ClockMs());
}

bool TestRun::placeAt(int panelNo, int key, double seconds, qint64 mark)
{
    ChoiceRecord &record = m_state.Choices[m_state.ChoiceNo];
    record.PanelNo = panelNo;
    record.Key = key;
    record.Time = seconds;
    m_state.SelectedFigure = 0;
    m_state.MarkTime = mark;
    // The time is taken and the screen changed; the journal line costs one write().
    if (m_journal)
        m_journal->place(m_state.ChoiceNo, record, mark, m_clock.now());
    ++m_state.ChoiceNo;
    return m_state.ChoiceNo == AllPlaced;
}

bool TestRun::placePractice()
{
    if (m_state.SelectedFigure == 0)
        return false;
    m_state.SelectedFigure = 0;
    return true;
}

// ---- End of the test ----------------------------------------------------------------------

void TestRun::stopAnswer()
{
    const double inProgress = IsFigureNumber(m_state.ChoiceNo)
        ? m_state.Choices[m_state.ChoiceNo].Time + SecondsSince(m_clock, m_state.MarkTime)
        : 0.0;
    // A test stopped before its answer phase (recovered from its exposure) had no answer time.
    stopAnswerAt(m_state.ChoiceNo == 0 ? 0.0 : SecondsSince(m_clock, m_state.AnswerStartTime),
                 inProgress);
}

void TestRun::stopAnswerAt(double answerSeconds, double inProgressSeconds)
{
    if (IsFigureNumber(m_state.ChoiceNo))
        m_state.Choices[m_state.ChoiceNo].Time = inProgressSeconds; // the placement in progress
    m_state.AnswerTime = answerSeconds;
    m_state.SessionOpen = false;
    m_state.Stage = 4;
}

void TestRun::composeResult()
{
    const QDateTime end = m_clock.now();
    m_state.ResultLog.append(protocol::FinishTimeLine(end.time(), m_format));
    const Score score = ScoreChoices(m_state.Choices);
    m_state.ResultLog.append(
        protocol::ResultLines(variantText(), m_state.AnswerTime, score, m_state.Choices, m_format));
    // Should the save fail everywhere, the journal holds the test as it ended.
    if (m_journal)
        m_journal->finish(m_state.AnswerTime, m_state.ChoiceNo,
                          m_state.Choices[std::min<int>(m_state.ChoiceNo, FigureCount)],
                          m_clock.ClockMs(), end);
}

void TestRun::save()
{
    const SaveOutcome saved = TrySaveProtocol(m_target, m_state.code, m_state.ResultLog);
    m_protocolPath = saved.path;
    if (!saved.path.isEmpty() && m_journal) {
        // The journal goes, unless the protocol lies where the machine's next start empties
        // the folder and the journal does not; saved nowhere, the journal still holds it.
        const QString journal = m_journal->path();
        if (journal.isEmpty()
            || platform::FolderSurvivesRestart(QFileInfo(saved.path).absolutePath())
            || !platform::FolderSurvivesRestart(QFileInfo(journal).absolutePath()))
            m_journal->discard();
    }
    if (!saved.error.isEmpty())
        throw KavrError(saved.error + (saved.path.isEmpty() ? journalNote() : QString()));
}

void TestRun::close()
{
    m_state.ResultLog.clear();
}

// ---- The journal --------------------------------------------------------------------------

// The lines appended to the protocol since the journal took the last, while it is open.
void TestRun::journalLines()
{
    if (!m_journal || !m_journal->isOpen() || m_journaledLines >= m_state.ResultLog.size())
        return;
    m_journal->logLines(m_state.ResultLog.mid(m_journaledLines), m_clock.ClockMs(), m_clock.now());
    m_journaledLines = m_state.ResultLog.size();
}

// For a protocol saved nowhere, a paragraph to follow the save's error: where the journal still
// keeps the test, or that it may be lost.
QString TestRun::journalNote()
{
    const TestJournal::Durability journal = m_journal ? m_journal->durability()
                                                      : TestJournal::Durability{};
    if (journal.durable)
        return QStringLiteral(
                   "\nТест сохранён в журнале %1; протокол будет восстановлен при следующем "
                   "запуске программы")
            .arg(QDir::toNativeSeparators(m_journal->path()));
    return QStringLiteral("\nВнимание: %1, протокол этого теста может быть утерян")
        .arg(journal.problem);
}

} // namespace kavr
