#include "testing/core/TestRecorder.h"

#include "platform/files/FileAccess.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <utility>

namespace kavr {

TestRecorder::TestRecorder(Clock &clock, SaveTarget target, FormatSettings format, TestJournal::FileSync sync)
    : m_clock(clock), m_target(std::move(target)), m_format(std::move(format)), m_journal(std::move(sync))
{
}

void TestRecorder::exposureBegan(const QString &code, const QStringList &protocol, const QString &variant)
{
    if (m_journal.isOpen()) {
        protocolLines(protocol);
        m_journal.variant(variant, m_clock.ClockMs(), m_clock.now());
        return;
    }
    m_journal.begin(m_target, code, m_format, protocol, variant, m_clock.ClockMs(), m_clock.now());
    m_journaledLines = protocol.size();
}

void TestRecorder::protocolLines(const QStringList &protocol)
{
    if (!m_journal.isOpen() || m_journaledLines >= protocol.size())
        return;
    m_journal.logLines(protocol.mid(m_journaledLines), m_clock.ClockMs(), m_clock.now());
    m_journaledLines = protocol.size();
}

void TestRecorder::priority(bool granted, const QString &how)
{
    m_journal.priority(granted, how, m_clock.ClockMs(), m_clock.now());
}

void TestRecorder::answerBegan(qint64 answerStart)
{
    m_journal.answerBegan(answerStart, m_clock.now());
}

void TestRecorder::pick(int choiceNo, const ChoiceTable &choices)
{
    if (IsFigureNumber(choiceNo))
        m_journal.pick(choiceNo, choices[choiceNo], m_clock.ClockMs(), m_clock.now());
}

void TestRecorder::place(int choiceNo, const ChoiceTable &choices, qint64 mark)
{
    if (IsFigureNumber(choiceNo))
        m_journal.place(choiceNo, choices[choiceNo], mark, m_clock.now());
}

void TestRecorder::finish(double answerSeconds, int choiceNo, const ChoiceTable &choices, const QDateTime &end)
{
    m_journal.finish(answerSeconds, choiceNo, choices[std::min(choiceNo, FigureCount)], m_clock.ClockMs(), end);
}

void TestRecorder::protocolSaved(const QString &path)
{
    const QString journal = m_journal.path();
    if (journal.isEmpty() || platform::FolderSurvivesRestart(QFileInfo(path).absolutePath())
        || !platform::FolderSurvivesRestart(QFileInfo(journal).absolutePath()))
        m_journal.discard();
}

QString TestRecorder::journalNote()
{
    const TestJournal::Durability journal = m_journal.durability();
    if (journal.durable)
        return QStringLiteral("\nТест сохранён в журнале %1; протокол будет восстановлен при следующем "
                              "запуске программы")
            .arg(QDir::toNativeSeparators(m_journal.path()));
    return QStringLiteral("\nВнимание: %1, протокол этого теста может быть утерян").arg(journal.problem);
}

} // namespace kavr
