#pragma once
// kavr-im-report run as a process under given regional settings, as the command tests run it.
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace kavr::test {

struct ReportRun
{
    int exitCode = -1; // -1: did not finish
    QByteArray out;
    QString err; // text, LF line ends
};

// The report's program, built beside the test.
QString ReportProgram();
ReportRun RunReport(const QStringList &arguments, const QString &locale = QStringLiteral("C"),
                    const QString &program = ReportProgram());

} // namespace kavr::test
