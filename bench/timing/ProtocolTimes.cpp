#include "ProtocolTimes.h"

#include <QRegularExpression>
#include <QStringDecoder>

namespace kavr::bench {

QList<double> ProtocolTimes(const QByteArray &windows1251, QString *error)
{
    auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return QList<double>{};
    };
    QStringDecoder decoder("windows-1251");
    const QStringList lines = QString(decoder(windows1251)).split(QStringLiteral("\r\n"));
    qsizetype head = -1;
    for (qsizetype i = 0; i < lines.size() && head < 0; ++i)
        if (lines[i].startsWith(QStringLiteral("N выбора")))
            head = i;
    if (head < 0)
        return fail(QStringLiteral("no placement table"));
    static const QRegularExpression row(QStringLiteral("^\\s*(\\d+)\\s+(\\d+[.,]\\d\\d)\\s"));
    QList<double> seconds;
    for (int n = 1; n <= 12; ++n) {
        const qsizetype i = head + n;
        const QRegularExpressionMatch match = i < lines.size() ? row.match(lines[i]) : QRegularExpressionMatch();
        if (!match.hasMatch() || match.captured(1).toInt() != n)
            return fail(QStringLiteral("placement row %1 unreadable").arg(n));
        seconds << match.captured(2).replace(QLatin1Char(','), QLatin1Char('.')).toDouble();
    }
    return seconds;
}

} // namespace kavr::bench
