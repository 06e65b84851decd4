#include "support/JournalTool.h"

#include <QCoreApplication>
#include <QDir>

namespace kavr::test {

namespace {

constexpr int StepMs = 60'000;

QStringList Lines(QProcess &process)
{
    QStringList lines = QString::fromUtf8(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    for (QString &line : lines)
        line = line.trimmed(); // CR LF on Windows
    return lines;
}

} // namespace

QString JournalTool::program()
{
    QString name = QStringLiteral("kavr_journal_tool");
    if (QCoreApplication::applicationFilePath().endsWith(QStringLiteral(".exe")))
        name += QStringLiteral(".exe");
    return QDir(QCoreApplication::applicationDirPath()).filePath(name);
}

JournalTool::Result JournalTool::run(const QStringList &args, const QStringList &launcher,
                                     const QString &program)
{
    QProcess process;
    QStringList all = launcher;
    all << program << args;
    process.start(all.takeFirst(), all);
    process.closeWriteChannel();
    Result result;
    if (!process.waitForFinished(StepMs)) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.lines = Lines(process);
    const bool saysReady = result.lines.removeAll(QStringLiteral("ready")) > 0;
    const bool needsReady = args.value(0) != u"save";
    result.ok = process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0
        && (saysReady || !needsReady);
    if (!result.ok)
        result.lines << QString::fromUtf8(process.readAllStandardError());
    return result;
}

JournalTool::JournalTool(const QStringList &args, const QStringList &launcher)
    : m_process(std::make_unique<QProcess>())
{
    QStringList all = launcher;
    all << program() << args;
    m_process->start(all.takeFirst(), all);
    while (!m_ready && m_process->waitForReadyRead(StepMs))
        m_ready = Lines(*m_process).contains(QStringLiteral("ready"));
}

JournalTool::~JournalTool()
{
    finish();
}

void JournalTool::go()
{
    m_process->closeWriteChannel();
}

JournalTool::Result JournalTool::finish()
{
    go();
    if (!m_process->waitForFinished(StepMs))
        m_process->kill();
    m_process->waitForFinished();
    Result result;
    result.lines = Lines(*m_process);
    result.ok = m_ready && m_process->exitStatus() == QProcess::NormalExit && m_process->exitCode() == 0;
    return result;
}

} // namespace kavr::test
