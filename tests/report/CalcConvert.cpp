#include "CalcConvert.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace kavr::test {

QString CalcProgram()
{
    return QStandardPaths::findExecutable(u"soffice"_s);
}

bool ConvertWithCalc(const QString &book, const QString &outDir, QString *why)
{
    // Every sheet to a CSV of its own (the last field, -1), text cells quoted (the 7th), cells
    // as shown (the 9th), in UTF-8 (76); a profile of its own, and a UTF-8 locale for the
    // sheets' Cyrillic names in the files' names.
    QProcess calc;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"HOME"_s, outDir + u"/home"_s);
    environment.insert(u"LC_ALL"_s, u"C.UTF-8"_s);
    calc.setProcessEnvironment(environment);
    calc.setProcessChannelMode(QProcess::MergedChannels);
    calc.start(CalcProgram(),
               {u"--headless"_s, u"--convert-to"_s,
                u"csv:Text - txt - csv (StarCalc):44,34,76,1,,0,true,true,true,false,false,-1"_s,
                u"--outdir"_s, outDir, book});
    const bool ended = calc.waitForFinished(180000);
    *why = QString::fromUtf8(calc.readAll());
    return ended && calc.exitStatus() == QProcess::NormalExit && calc.exitCode() == 0;
}

} // namespace kavr::test
