#include "testing/core/JournalReader.h"

#include "parameters/TestVariant.h"
#include "testing/core/JournalLine.h"
#include "testing/core/Protocol.h"
#include "testing/core/SubjectEntryCheck.h"

namespace kavr {

namespace {

// A test lasts minutes from its start to its end; a journal dated further apart, or a clock
// reading beyond what a millisecond clock reaches, was not written by the program, and times
// in it could overflow what is computed from them.
constexpr qint64 MaxClockMs = qint64(1) << 53;
constexpr qint64 MaxTestMs = qint64(24) * 3600 * 1000;
constexpr double MaxSeconds = double(MaxTestMs) / 1000;

struct Refusal
{
    QString message;
};

// The clock a replayed step reads: the journal's readings of the event in hand.
class ReplayClock final : public Clock
{
public:
    ReplayClock(qint64 ms, QDateTime wall) : m_ms(ms), m_wall(std::move(wall)) { }
    Time monotonic() const override { return std::chrono::milliseconds(m_ms); }
    QDateTime now() const override { return m_wall; }
    std::unique_ptr<Timer> timer(TimerKind, std::function<void()>) override { return nullptr; }
    void waitUntil(Time) override { }

private:
    qint64 m_ms;
    QDateTime m_wall;
};

// Takes step on test's state as the test took it, at the reading ms and wall.
template <typename Step>
auto Replay(InterruptedTest &test, qint64 ms, const QDateTime &wall, Step step)
{
    ReplayClock clock(ms, wall);
    TestRun run(clock, test.settings, std::move(test.state));
    const auto done = step(run);
    test.state = run.state();
    return done;
}

// The magic line of a later format than this program's: "KAVR.IM journal <n>", n above its own.
bool IsNewerMagic(const QStringList &fields)
{
    const QString magic = journal::Magic.toString();
    const QString prefix = magic.first(magic.lastIndexOf(u' ') + 1);
    bool ok = false;
    const int version = fields.size() == 1 && fields.first().startsWith(prefix)
        ? fields.first().sliced(prefix.size()).toInt(&ok)
        : 0;
    return ok && version > magic.sliced(prefix.size()).toInt();
}

class Reader
{
public:
    JournalReadOutcome read(const QByteArray &bytes)
    {
        QList<QByteArrayView> lines;
        qsizetype start = 0;
        while (start < bytes.size()) {
            const qsizetype end = bytes.indexOf('\n', start);
            if (end < 0)
                break; // the last write was cut short
            lines << QByteArrayView(bytes).sliced(start, end - start);
            start = end + 1;
        }
        JournalReadOutcome outcome;
        try {
            for (qsizetype i = 0; i < lines.size(); ++i) {
                m_lineNo = int(i + 1);
                m_beforeLine = m_test;
                // A whole line that fails its checksum, the last one too, is damage: a power cut
                // may write a page's sectors in any order, and what it held is more than any
                // protocol shows. Only a line cut short is a write the program did not finish.
                const std::optional<QStringList> fields = journal::DecodeLine(lines.at(i));
                if (!fields)
                    refuse(QStringLiteral("line %1 is damaged").arg(m_lineNo));
                apply(*fields);
            }
        } catch (const Refusal &refusal) {
            outcome.error = refusal.message;
            outcome.newer = m_newer;
            if (!m_started || m_newer)
                return outcome; // a later version's journal is left whole for that version
            outcome.damagedLine = m_lineNo; // what came before it stands
            m_test = m_beforeLine;
        }
        if (!m_started) {
            // The program stopped as the test began.
            outcome.empty = Unfinished(bytes);
            outcome.error = QStringLiteral("no start of a test");
            return outcome;
        }
        outcome.test = m_test;
        return outcome;
    }

private:
    [[noreturn]] void refuse(const QString &message) const { throw Refusal{message}; }

    qint64 number(const QString &text, qint64 low, qint64 high) const
    {
        bool ok = false;
        const qint64 value = text.toLongLong(&ok);
        if (!ok || value < low || value > high)
            refuse(QStringLiteral("line %1: %2 is out of range").arg(m_lineNo).arg(text));
        return value;
    }

    double seconds(const QString &text) const
    {
        bool ok = false;
        const double value = text.toDouble(&ok);
        if (!ok || !(value >= 0) || !(value <= MaxSeconds))
            refuse(QStringLiteral("line %1: no time").arg(m_lineNo));
        return value;
    }

    void expectFields(const QStringList &fields, qsizetype count) const
    {
        if (fields.size() != count)
            refuse(QStringLiteral("line %1 has %2 fields, %3 expected")
                       .arg(m_lineNo)
                       .arg(fields.size())
                       .arg(count));
    }

    // What an unfinished first write leaves: a beginning of its first lines, or the zeros a
    // power cut leaves in place of what was written.
    static bool Unfinished(const QByteArray &bytes)
    {
        QByteArray text = bytes;
        while (text.endsWith('\0'))
            text.chop(1);
        for (QStringView version : {journal::Magic, journal::EarlierMagic}) {
            const QByteArray magic = journal::EncodeLine({version.toString()});
            if (magic.startsWith(text)
                || (text.startsWith(magic) && !text.sliced(magic.size()).contains('\n')))
                return true;
        }
        return false;
    }

    void apply(const QStringList &f)
    {
        if (m_lineNo == 1) {
            if (f != QStringList{journal::Magic.toString()}
                && f != QStringList{journal::EarlierMagic.toString()}) {
                m_newer = IsNewerMagic(f);
                refuse(m_newer ? QStringLiteral("a journal of a later version of the program")
                               : QStringLiteral("not a journal of this program"));
            }
            return;
        }
        const QString &kind = f.first();
        if (f.size() < 3)
            refuse(QStringLiteral("line %1 is too short").arg(m_lineNo));
        const qint64 ms = m_started ? number(f.at(1), m_startMs - MaxTestMs, m_startMs + MaxTestMs)
                                    : number(f.at(1), -MaxClockMs, MaxClockMs);
        const QDateTime wall = QDateTime::fromString(f.at(2), Qt::ISODateWithMs);
        if (!wall.isValid())
            refuse(QStringLiteral("line %1: no date and time").arg(m_lineNo));
        if (!m_started && kind != journal::StartEvent)
            refuse(QStringLiteral("line %1 comes before the start").arg(m_lineNo));
        if (m_test.finished)
            refuse(QStringLiteral("line %1 comes after the end").arg(m_lineNo));
        m_test.lastMs = ms;
        m_test.lastWall = wall;

        if (kind == journal::StartEvent) {
            expectFields(f, 7);
            if (m_started || f.at(3).isEmpty())
                refuse(QStringLiteral("line %1: a second start or no code").arg(m_lineNo));
            // Named by a journal anyone may have written: the code must be one the entry would
            // have taken, since it names the recovered protocol.
            if (CheckSubjectCode(f.at(3)))
                refuse(QStringLiteral("line %1: the code cannot name a protocol").arg(m_lineNo));
            m_started = true;
            m_startMs = ms;
            m_test.state.code = f.at(3);
            m_test.state.Stage = 3; // the journal begins with the exposure
            m_test.state.SessionOpen = true;
            m_test.settings.decimalSeparator = f.at(4);
            m_test.settings.shortDateFormat = f.at(5);
            m_test.settings.longTimeFormat = f.at(6);
        } else if (kind == journal::LineEvent) {
            expectFields(f, 4);
            m_test.state.ResultLog << f.at(3);
            m_test.journaledLines = m_test.state.ResultLog.size();
        } else if (kind == journal::VariantEvent) {
            expectFields(f, 4);
            m_test.state.VariantIndex = variantIndex(f.at(3));
        } else if (kind == journal::AnswerEvent) {
            expectFields(f, 3);
            if (!Replay(m_test, ms, wall, [](TestRun &run) { return run.beginAnswer(); }))
                refuse(QStringLiteral("line %1: a second answer phase").arg(m_lineNo));
        } else if (kind == journal::PickEvent) {
            expectFields(f, 6);
            inProgress(f.at(3));
            const int picture = int(number(f.at(4), 1, FigureCount));
            const int answer = int(number(f.at(5), 1, FigureCount));
            Replay(m_test, ms, wall, [&](TestRun &run) { return run.pick(picture, answer); });
        } else if (kind == journal::PlaceEvent) {
            expectFields(f, 7);
            inProgress(f.at(3));
            const int panel = int(number(f.at(4), 1, FigureCount));
            const int key = int(number(f.at(5), 0, FigureCount));
            const double placed = seconds(f.at(6));
            Replay(m_test, ms, wall,
                   [&](TestRun &run) { return run.placeAt(panel, key, placed, ms); });
        } else if (kind == journal::FinishEvent) {
            expectFields(f, 6);
            const int choiceNo = int(number(f.at(4), 1, AllPlaced));
            if (!m_test.answerBegan() || choiceNo != m_test.state.ChoiceNo)
                refuse(QStringLiteral("line %1: the end names record %2").arg(m_lineNo).arg(choiceNo));
            const double answerSeconds = seconds(f.at(3));
            const double recordSeconds = seconds(f.at(5));
            Replay(m_test, ms, wall, [&](TestRun &run) {
                run.stopAnswerAt(answerSeconds, recordSeconds);
                run.composeResult();
                return true;
            });
            m_test.finished = true;
        } else if (kind == journal::PriorityEvent) {
            expectFields(f, 5);
            if (f.at(3) != journal::Granted && f.at(3) != journal::Refused)
                refuse(QStringLiteral("line %1: no grant").arg(m_lineNo));
            m_test.priority = f.at(3);
        } else {
            refuse(QStringLiteral("line %1: unknown event %2").arg(m_lineNo).arg(kind));
        }
    }

    // A pick or a placement names the record in progress in the answer phase.
    void inProgress(const QString &text) const
    {
        const int choiceNo = int(number(text, 1, FigureCount));
        if (!m_test.answerBegan() || choiceNo != m_test.state.ChoiceNo)
            refuse(QStringLiteral("line %1: record %2 is not the one in progress")
                       .arg(m_lineNo)
                       .arg(choiceNo));
    }

    // The variant a journal names: one of the list's items, as only those are written. Another
    // was added by a later version of the program, which alone can recover the test.
    qint32 variantIndex(const QString &text)
    {
        for (qint32 i = 0; i < VariantCount; ++i)
            if (TestVariants[i].itemText == text)
                return i;
        m_newer = true;
        refuse(QStringLiteral("line %1: a variant this program does not know").arg(m_lineNo));
    }

    InterruptedTest m_test;
    InterruptedTest m_beforeLine; // the test before the line being read
    bool m_started = false;
    qint64 m_startMs = 0;
    bool m_newer = false;
    int m_lineNo = 0;

};

} // namespace

bool InterruptedTest::identified() const
{
    return journaledLines > protocol::SubjectLineIndex;
}

QStringList InterruptedTest::protocolLines() const
{
    if (finished)
        return state.ResultLog;
    // The answer time runs out at the last event.
    ReplayClock clock(lastMs, lastWall);
    TestRun run(clock, settings, state);
    run.stopAnswer();
    run.composeResult();
    return run.state().ResultLog;
}

JournalReadOutcome ReadJournal(const QByteArray &bytes)
{
    return Reader().read(bytes);
}

} // namespace kavr
