#include "platform/files/FileAccess.h"

#include <QRandomGenerator>

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

QString ProbeFileName()
{
    return TemporaryFileName(ProbePrefix.sliced(1).chopped(1).toString());
}

} // namespace kavr::platform
