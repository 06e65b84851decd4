#include "report/csv/CsvReport.h"

#include "testing/core/Figures.h"
#include "testing/core/Format.h"
#include "testing/core/Protocol.h"

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

QStringList CsvColumns(bool withNames)
{
    QStringList columns = {QStringLiteral("Код"),
                           QStringLiteral("Имя"),
                           QStringLiteral("Дата ПФО"),
                           QStringLiteral("Вариант"),
                           QStringLiteral("Время изучения инструкции, сек"),
                           QStringLiteral("T ответа, сек"),
                           QStringLiteral("N[+]"),
                           QStringLiteral("N[-]"),
                           QStringLiteral("N[0]"),
                           QStringLiteral("Tcp, сек"),
                           QStringLiteral("SD, сек"),
                           QStringLiteral("V, %")};
    // The protocol's own column titles, after the placement number.
    QStringList perPlacement;
    for (qsizetype c = 1; c < qsizetype(protocol::ColumnTitles.size()); ++c)
        perPlacement << protocol::ColumnTitles[c].trimmed().toString();
    perPlacement << QStringLiteral("Отметка");
    for (int i = 1; i <= FigureCount; ++i) {
        for (const QString &title : perPlacement)
            columns << QStringLiteral("%1: %2").arg(i).arg(title);
    }
    columns << QStringLiteral("Восстановлен");
    if (!withNames)
        columns.removeAt(1);
    return columns;
}

QStringList CsvFields(const ProtocolRecord &record, const CsvFormat &format, bool withNames)
{
    const Score &s = record.score;
    QStringList fields = {CsvText(record.code),
                          CsvText(record.name),
                          CsvText(record.dateTime),
                          CsvText(record.variant),
                          CsvFixed(record.instructionSeconds, 0, format),
                          CsvFixed(record.answerSeconds, 0, format),
                          QString::number(s.correct),
                          QString::number(s.wrong),
                          QString::number(s.missing),
                          CsvFixed(s.mean, 2, format),
                          CsvFixed(s.sd, 2, format),
                          CsvFixed(s.cv, 0, format)};
    for (int i = 1; i <= FigureCount; ++i) {
        const ChoiceRecord &c = record.choices[i];
        fields << CsvFixed(c.Time, 2, format) << QString::number(c.PanelNo) << QString::number(c.Key)
               << QString::number(c.PictureNo) << QString::number(c.Answer)
               << protocol::RowMark(c).toString();
    }
    fields << (record.recovered ? QStringLiteral("да") : QString());
    if (!withNames)
        fields.removeAt(1);
    return fields;
}

QByteArray CsvReport(const QList<ProtocolRecord> &records, const CsvFormat &format,
                     bool withNames)
{
    QString text = CsvLine(CsvColumns(withNames), format.separator);
    for (const ProtocolRecord &record : records)
        text += CsvLine(CsvFields(record, format, withNames), format.separator);
    return CsvDocument(text);
}

} // namespace kavr::report
