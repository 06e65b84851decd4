#include "report/csv/CsvFormat.h"

#include "testing/core/Format.h"

#include <cmath>

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

QString CsvCell(const TableCell &cell, const CsvFormat &format)
{
    switch (cell.kind) {
    case TableCell::Kind::Empty: return {};
    case TableCell::Kind::Text:
    case TableCell::Kind::Date:
    case TableCell::Kind::Time: return cell.text;
    case TableCell::Kind::FileText:
    case TableCell::Kind::SetUpDate: return CsvText(cell.text);
    case TableCell::Kind::Number:
        // Counts, most of the cells, as integers: the same text, without the rounding's work.
        if (cell.decimals == 0 && cell.number == std::trunc(cell.number)
            && std::abs(cell.number) < 1e15)
            return QString::number(qint64(cell.number));
        return CsvFixed(cell.number, cell.decimals, format);
    }
    return {};
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
