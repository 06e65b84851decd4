#include "platform/files/FileAccess.h"

#include <QRandomGenerator>
#include <QRegularExpression>

namespace kavr::platform {

namespace {

// The random part of a temporary name: eight hex digits.
constexpr int TemporaryDigits = 8;

} // namespace

QString TemporaryFileName(const QString &finalName)
{
    return QStringLiteral(".%1.%2.tmp")
        .arg(finalName)
        .arg(QRandomGenerator::global()->generate(), TemporaryDigits, 16, QLatin1Char('0'));
}

QStringList TemporaryFilesOf(const QStringList &names, QStringView finalSuffix)
{
    const QRegularExpression temporary(QStringLiteral("^\\..*%1\\.[0-9a-f]{%2}\\.tmp$")
                                           .arg(QRegularExpression::escape(finalSuffix.toString()))
                                           .arg(TemporaryDigits));
    QStringList found;
    for (const QString &name : names)
        if (temporary.match(name).hasMatch())
            found << name;
    return found;
}

QString FinalNameOf(const QString &temporaryName)
{
    return temporaryName.sliced(1).chopped(TemporaryDigits + 5); // ".<digits>.tmp"
}

QString ProbeFileName()
{
    return TemporaryFileName(ProbePrefix.sliced(1).chopped(1).toString());
}

} // namespace kavr::platform
