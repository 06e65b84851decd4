#include "ReportRun.h"

#include "support/ChildLocale.h"

#include <QCoreApplication>
#include <QProcess>

namespace kavr::test {

QString ReportProgram()
{
    return QCoreApplication::applicationDirPath() + u'/' + QStringLiteral(KAVR_REPORT);
}

ReportRun RunReport(const QStringList &arguments, const QString &locale, const QString &program)
{
    const ChildLocale settings(locale);
    QProcess process;
    process.setProcessEnvironment(settings.environment());
    process.start(program, arguments);
    ReportRun run;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput();
    // Messages are text: the platform's line ends (CR LF on Windows), read as LF.
    run.err = QString::fromUtf8(process.readAllStandardError()).replace(QStringLiteral("\r\n"),
                                                                        QStringLiteral("\n"));
    return run;
}

} // namespace kavr::test
