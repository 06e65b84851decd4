#include "testing/core/LogInNotice.h"

#include <QCoreApplication>
#include <QDir>

#include <utility>

namespace kavr {

LogInNotice::LogInNotice()
    : m_programFolder(QCoreApplication::applicationDirPath()), m_temporaryFolder(QDir::tempPath())
{
}

void LogInNotice::entryControlsShown(const SaveTarget &target, const QString &screenProblem)
{
    m_workplace = CheckWorkplace(target, m_programFolder, m_temporaryFolder);
    m_screenProblem = screenProblem;
    m_seen = true;
    m_earlier = m_carried.lines();
    m_carried.clear();
}

std::optional<EntryProblem> LogInNotice::workplaceRefusal() const
{
    if (!m_workplace.runsFromTemporaryFolder)
        return std::nullopt;
    return EntryProblem{EntryProblem::Field::Code,
                        QStringLiteral("Тест нельзя начать, пока программа запущена из временной папки")};
}

void LogInNotice::carry(const QStringList &lines)
{
    const QString problem = m_carried.keep(lines);
    if (!problem.isEmpty()) {
        m_uncarried << lines;
        m_carryProblem = problem;
    }
}

QString LogInNotice::closing()
{
    if (!m_seen)
        carry(std::exchange(m_recoveryWithPaths, {}));
    if (m_uncarried.isEmpty())
        return {};
    return QStringLiteral("Сообщение о восстановленных протоколах не удалось сохранить до "
                          "следующего запуска (%1):\n")
               .arg(m_carryProblem)
        + std::exchange(m_uncarried, {}).join(u'\n');
}

void LogInNotice::subjectTaken()
{
    m_recovery.clear();
    m_earlier.clear();
    m_refusal.clear();
}

QString LogInNotice::text() const
{
    QStringList lines;
    if (!m_refusal.isEmpty())
        lines << m_refusal;
    lines << m_workplace.lines();
    if (!m_screenProblem.isEmpty())
        lines << m_screenProblem;
    lines << m_earlier << m_recovery;
    return lines.join(u'\n');
}

} // namespace kavr
