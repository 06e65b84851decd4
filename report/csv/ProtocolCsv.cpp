#include "report/csv/ProtocolCsv.h"

#include "testing/core/Figures.h"
#include "testing/core/Protocol.h"

namespace kavr::report {

QStringList ProtocolCsvTitles(bool withNames)
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

QStringList ProtocolCsvFields(const ProtocolRecord &record, const CsvFormat &format, bool withNames)
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

QByteArray ProtocolCsv(const QList<ProtocolRecord> &records, const CsvFormat &format,
                       bool withNames)
{
    QString text = CsvLine(ProtocolCsvTitles(withNames), format.separator);
    for (const ProtocolRecord &record : records)
        text += CsvLine(ProtocolCsvFields(record, format, withNames), format.separator);
    return CsvDocument(text);
}

} // namespace kavr::report
