#include "report/csv/CsvFormat.h"

#include "testing/core/Format.h"

namespace kavr::report {

namespace {

QString Quoted(const QString &field, QChar separator)
{
    if (!field.contains(separator) && !field.contains(u'"') && !field.contains(u'\n')
        && !field.contains(u'\r'))
        return field;
    QString quoted = field;
    quoted.replace(u'"', QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

} // namespace

QString CsvText(const QString &text)
{
    static const QString formulaStarts = QStringLiteral("=+-@\t\r");
    if (!text.isEmpty() && formulaStarts.contains(text.front()))
        return u'\'' + text;
    return text;
}

QString CsvFixed(double value, int decimals, const CsvFormat &format)
{
    FormatSettings settings;
    settings.decimalSeparator = format.decimalMark;
    return FormatFixed(value, decimals, settings);
}

QString CsvLine(const QStringList &fields, QChar separator)
{
    QStringList quoted;
    quoted.reserve(fields.size());
    for (const QString &field : fields)
        quoted << Quoted(field, separator);
    return quoted.join(separator) + QStringLiteral("\r\n");
}

QByteArray CsvDocument(const QString &lines)
{
    return "\xEF\xBB\xBF" + lines.toUtf8();
}

CsvFormat CsvFormat::fromLocale(const QLocale &locale)
{
    CsvFormat format;
    format.decimalMark = locale.decimalPoint();
    format.separator = format.decimalMark == QStringLiteral(",") ? u';' : u',';
    return format;
}

} // namespace kavr::report
